#include "core/RunRecord.h"

ExperimentSetupRecord ExperimentSetup;
RunStateRecord RunState;

void ResetRunRecord() {
    ExperimentSetup = ExperimentSetupRecord{};
    RunState = RunStateRecord{};
}

bool OrdersFallDueOnce(const ExperimentSetupRecord& setup) {
    return setup.IsTimeDriven || setup.OrdersDueOnce;
}
