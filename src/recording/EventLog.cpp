#include "recording/EventLog.h"

#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "recording/RecordWriter.h"
#include "runtime/Clock.h"

namespace {

void AssignEvent(const Run& run, db::TableRow& record, const QString& eventType) {
    const ExperimentSetupRecord& setup = run.setup;
    const RunStateRecord& state = run.state;
    const long trial = state.CurrentTrial;
    record.set(QStringLiteral("Subject"), state.SubjectName);
    record.set(QStringLiteral("Version"), state.Version);
    record.set(QStringLiteral("eventType"), eventType);
    record.set(QStringLiteral("EventID"), state.EventID);
    record.set(QStringLiteral("Trial"), state.CurrentTrial);
    record.set(QStringLiteral("Date"), run.Today());
    record.set(QStringLiteral("Time"), run.TimeText());
    record.set(QStringLiteral("CurrentCost"), state.CurrentCost);
    record.set(QStringLiteral("TotCost"), state.TotCost);
    AssignOrderColumns(run, record);
    record.set(QStringLiteral("EnvInFlow"), ElementOrZero(state.EnvInFlow, trial));
    record.set(QStringLiteral("EnvOutFlow"), ElementOrZero(state.EnvOutFlow, trial));
    AssignPipelineColumns(run, record);
    AssignTankColumns(run, record);
    record.set(QStringLiteral("AfterEveryNTrials"), setup.AfterEveryNTrials);
    AssignFlowFlags(run, record);
    record.set(QStringLiteral("BonusAmount"), setup.BonusAmount);
    record.set(QStringLiteral("CurrentBonus"), state.CurrentBonus);
    record.set(QStringLiteral("TotBonus"), state.TotBonus);
    record.set(QStringLiteral("LowerBoundFromGoal"), setup.LowerBoundFromGoal);
    record.set(QStringLiteral("UpperBoundFromGoal"), setup.UpperBoundFromGoal);
    record.set(QStringLiteral("ExperimentTimeForInstructions"),
               setup.ExperimentTimeForInstructions);
    record.set(QStringLiteral("MaxNumberOfAScenarioType"), setup.MaxNumberOfAScenarioType);
    SetFlag(record, QStringLiteral("IsTimeDriven"), setup.IsTimeDriven);
    SetFlag(record, QStringLiteral("IsBonusOnTimeGap"), setup.IsBonusOnTimeGap);
    record.set(QStringLiteral("TimeBetweenEnvTries"), setup.TimeBetweenEnvTries);
    record.set(QStringLiteral("deltaTmeBetweenEnvUsr"), setup.deltaTmeBetweenEnvUsr);
}

}  // namespace

void RecordEvent(Run& run, const QString& eventType) {
    const QString table = QStringLiteral("datExperimentTrials");
    InsertRecord(run, table, QStringLiteral("Recording data"),
                 [&](db::TableRow& record) { AssignEvent(run, record, eventType); });
}
