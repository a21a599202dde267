#include "recording/EventLog.h"

#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "recording/RecordWriter.h"
#include "runtime/Clock.h"

namespace {

void AssignEvent(const Run& run, db::Recordset& record, const QString& eventType) {
    const ExperimentSetupRecord& setup = run.setup;
    const RunStateRecord& state = run.state;
    const long trial = state.CurrentTrial;
    record.SetField(QStringLiteral("Subject"), state.SubjectName);
    record.SetField(QStringLiteral("Version"), state.Version);
    record.SetField(QStringLiteral("eventType"), eventType);
    record.SetField(QStringLiteral("EventID"), state.EventID);
    record.SetField(QStringLiteral("Trial"), state.CurrentTrial);
    record.SetField(QStringLiteral("Date"), run.Today());
    record.SetField(QStringLiteral("Time"), run.TimeText());
    record.SetField(QStringLiteral("CurrentCost"), state.CurrentCost);
    record.SetField(QStringLiteral("TotCost"), state.TotCost);
    AssignOrderColumns(run, record);
    record.SetField(QStringLiteral("EnvInFlow"), ElementOrZero(state.EnvInFlow, trial));
    record.SetField(QStringLiteral("EnvOutFlow"), ElementOrZero(state.EnvOutFlow, trial));
    AssignPipelineColumns(run, record);
    AssignTankColumns(run, record);
    record.SetField(QStringLiteral("AfterEveryNTrials"), setup.AfterEveryNTrials);
    AssignFlowFlags(run, record);
    record.SetField(QStringLiteral("BonusAmount"), setup.BonusAmount);
    record.SetField(QStringLiteral("CurrentBonus"), state.CurrentBonus);
    record.SetField(QStringLiteral("TotBonus"), state.TotBonus);
    record.SetField(QStringLiteral("LowerBoundFromGoal"), setup.LowerBoundFromGoal);
    record.SetField(QStringLiteral("UpperBoundFromGoal"), setup.UpperBoundFromGoal);
    record.SetField(QStringLiteral("ExperimentTimeForInstructions"),
                    setup.ExperimentTimeForInstructions);
    record.SetField(QStringLiteral("MaxNumberOfAScenarioType"), setup.MaxNumberOfAScenarioType);
    SetFlag(record, QStringLiteral("IsTimeDriven"), setup.IsTimeDriven);
    SetFlag(record, QStringLiteral("IsBonusOnTimeGap"), setup.IsBonusOnTimeGap);
    record.SetField(QStringLiteral("TimeBetweenEnvTries"), setup.TimeBetweenEnvTries);
    record.SetField(QStringLiteral("deltaTmeBetweenEnvUsr"), setup.deltaTmeBetweenEnvUsr);
}

}  // namespace

void RecordEvent(Run& run, const QString& eventType) {
    const QString table = QStringLiteral("datExperimentTrials");
    WriteRecord(run, table, table, QStringLiteral("Recording data"), [&](db::Recordset& record) {
        record.AddNew();
        AssignEvent(run, record, eventType);
        record.Update();
    });
}
