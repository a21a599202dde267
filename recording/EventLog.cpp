#include "recording/EventLog.h"

#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "recording/RecordWriter.h"
#include "runtime/Clock.h"

namespace {

void AssignEvent(db::Recordset& record, const QString& eventType) {
    const ExperimentSetupRecord& setup = ExperimentSetup;
    const RunStateRecord& run = RunState;
    const long trial = run.CurrentTrial;
    record.SetField(QStringLiteral("Subject"), run.SubjectName);
    record.SetField(QStringLiteral("Version"), run.Version);
    record.SetField(QStringLiteral("eventType"), eventType);
    record.SetField(QStringLiteral("EventID"), run.EventID);
    record.SetField(QStringLiteral("Trial"), run.CurrentTrial);
    record.SetField(QStringLiteral("Date"), runtime::Today());
    record.SetField(QStringLiteral("Time"), runtime::TimeText());
    record.SetField(QStringLiteral("CurrentCost"), run.CurrentCost);
    record.SetField(QStringLiteral("TotCost"), run.TotCost);
    AssignOrderColumns(record);
    record.SetField(QStringLiteral("EnvInFlow"), ElementOrZero(run.EnvInFlow, trial));
    record.SetField(QStringLiteral("EnvOutFlow"), ElementOrZero(run.EnvOutFlow, trial));
    AssignPipelineColumns(record);
    AssignTankColumns(record);
    record.SetField(QStringLiteral("AfterEveryNTrials"), setup.AfterEveryNTrials);
    AssignFlowFlags(record);
    record.SetField(QStringLiteral("BonusAmount"), setup.BonusAmount);
    record.SetField(QStringLiteral("CurrentBonus"), run.CurrentBonus);
    record.SetField(QStringLiteral("TotBonus"), run.TotBonus);
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

void RecordEvent(const QString& eventType) {
    const QString table = QStringLiteral("datExperimentTrials");
    WriteRecord(table, table, QStringLiteral("Recording data"), [&](db::Recordset& record) {
        record.AddNew();
        AssignEvent(record, eventType);
        record.Update();
    });
}
