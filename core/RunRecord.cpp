#include "core/RunRecord.h"

ExperimentSetupRecord ExperimentSetup;
RunStateRecord RunState;

void ResetRunRecord() {
    ExperimentSetup = ExperimentSetupRecord{};
    RunState = RunStateRecord{};
}
