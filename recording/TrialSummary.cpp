#include "recording/TrialSummary.h"

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "recording/RecordWriter.h"
#include "runtime/Clock.h"

namespace {

const QString kTable = QStringLiteral("datTrialSummary");

// An order as the summary records it: the integer 0 when its entry box was empty.
QVariant OrderValue(const QString& boxText, const std::vector<double>& orders, long period) {
    if (boxText.isEmpty()) return QVariant(0);
    return ElementOrZero(orders, period);
}

// The columns written when a period begins. The row is created before CurrentTrial
// advances: the user flows are those of the period that ends, the environment's those of
// the period that begins.
void AssignStart(db::Recordset& record, long beginning, const QString& inflowText,
                 const QString& outflowText) {
    const ExperimentSetupRecord& setup = ExperimentSetup;
    const RunStateRecord& run = RunState;
    const long ending = beginning - 1;
    record.SetField(QStringLiteral("Subject"), run.SubjectName);
    record.SetField(QStringLiteral("Version"), run.Version);
    record.SetField(QStringLiteral("Trial"), static_cast<qint32>(beginning));
    record.SetField(QStringLiteral("Date"), runtime::Today());
    record.SetField(QStringLiteral("startTime"), TimeField(run.PeriodStartTime));
    record.SetField(QStringLiteral("endTime"), TimeField(run.PeriodEndTime));
    record.SetField(QStringLiteral("UserInFlow"), OrderValue(inflowText, run.UserInFlow, ending));
    record.SetField(QStringLiteral("UserOutFlow"),
                    OrderValue(outflowText, run.UserOutFlow, ending));
    record.SetField(QStringLiteral("EnvInFlow"), ElementOrZero(run.EnvInFlow, beginning));
    record.SetField(QStringLiteral("EnvOutFlow"), ElementOrZero(run.EnvOutFlow, beginning));
    AssignTankColumns(record);
    AssignFlowFlags(record);
    record.SetField(QStringLiteral("TotBonus"), run.TotBonus);
    record.SetField(QStringLiteral("LowerBoundFromGoal"), setup.LowerBoundFromGoal);
    record.SetField(QStringLiteral("UpperBoundFromGoal"), setup.UpperBoundFromGoal);
}

// The columns overwritten at the end of period CurrentTrial.
void AssignEnd(db::Recordset& record) {
    const RunStateRecord& run = RunState;
    record.SetField(QStringLiteral("AmountInTank"), InModelUnits(run.AmountInTank));
    record.SetField(QStringLiteral("CurrentBonus"), run.CurrentBonus);
    record.SetField(QStringLiteral("TotBonus"), run.TotBonus);
    record.SetField(QStringLiteral("CurrentCost"), run.CurrentCost);
    record.SetField(QStringLiteral("TotCost"), run.TotCost);
    if (ExperimentSetup.IsTimeDriven) AssignOrderColumns(record);
    AssignPipelineColumns(record);
}

}  // namespace

void RecordTrialSummary(const QString& inflowText, const QString& outflowText) {
    WriteRecord(kTable, kTable, QStringLiteral("Recording data"), [&](db::Recordset& record) {
        record.AddNew();
        AssignStart(record, RunState.CurrentTrial + 1L, inflowText, outflowText);
        record.Update();
    });
    RunState.PeriodStartTime = runtime::TimeValue{};
    RunState.PeriodEndTime = runtime::TimeValue{};
}

QString TrialSummaryQuery() {
    return QStringLiteral("select * from datTrialSummary where Version=") +
           SqlText(RunState.Version) + QStringLiteral(" and Subject=") +
           SqlText(RunState.SubjectName) + QStringLiteral(" and Trial=") +
           QString::number(RunState.CurrentTrial);
}

void UpdateTrialAmount() {
    const QString status = QStringLiteral("Recording Amount");
    bool found = false;
    WriteRecord(kTable, TrialSummaryQuery(), status, [&](db::Recordset& record) {
        found = !record.Eof();
        if (!found) return;
        record.Edit();
        AssignEnd(record);
        record.Update();
    });
    if (found) return;
    // The row of this period was never created (or was removed): append it complete, as
    // it would have been created at the start of the period and completed now. The entry
    // boxes of that moment are unknown, so the stored orders are recorded.
    WriteRecord(kTable, kTable, status, [](db::Recordset& record) {
        record.AddNew();
        AssignStart(record, RunState.CurrentTrial, QStringLiteral("0"), QStringLiteral("0"));
        AssignEnd(record);
        record.Update();
    });
}
