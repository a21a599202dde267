#include "recording/TrialSummary.h"

#include <functional>

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

// The columns overwritten at the end of period CurrentTrial; the amount in model units.
void AssignEnd(db::Recordset& record, double amountInTank) {
    const RunStateRecord& run = RunState;
    record.SetField(QStringLiteral("AmountInTank"), amountInTank);
    record.SetField(QStringLiteral("CurrentBonus"), run.CurrentBonus);
    record.SetField(QStringLiteral("TotBonus"), run.TotBonus);
    record.SetField(QStringLiteral("CurrentCost"), run.CurrentCost);
    record.SetField(QStringLiteral("TotCost"), run.TotCost);
    if (ExperimentSetup.IsTimeDriven) AssignOrderColumns(record);
    AssignPipelineColumns(record);
}

// A period played again after an interruption starts from a row as a new one is: no end
// values, and false flags (AssignStart leaves false flags unassigned).
void ClearForNewAttempt(db::Recordset& record) {
    for (const char* column : {"CurrentBonus", "CurrentCost", "TotCost", "BackOrder",
                               "ForwardDischarge", "TotalBackOrder", "TotalForwardDischarge"}) {
        record.SetField(QString::fromLatin1(column), QVariant());
    }
    for (const char* flag :
         {"IsUserInFlow", "IsUserOutFlow", "IsEnvInFlow", "IsEnvOutFlow", "graphicalMode"}) {
        record.SetField(QString::fromLatin1(flag), 0);
    }
}

// The query that finds the row of a period of the participant and version. One text for
// every period: the engine prepares it once per connection.
db::Query SummaryRowOf(long trial) {
    return {QStringLiteral("select * from datTrialSummary where Version=? and Subject=? and "
                           "Trial=?"),
            {RunState.Version, RunState.SubjectName, qlonglong(trial)}};
}

// Edits the period's row when it exists; false when there is none.
bool EditSummaryRow(long trial, const QString& status,
                    const std::function<void(db::Recordset&)>& assign) {
    bool found = false;
    WriteRecord(kTable, SummaryRowOf(trial), status, [&](db::Recordset& record) {
        found = !record.Eof();
        if (!found) return;
        record.Edit();
        assign(record);
        record.Update();
    });
    return found;
}

}  // namespace

void RecordTrialSummary(const QString& inflowText, const QString& outflowText) {
    const long beginning = RunState.CurrentTrial + 1L;
    const auto assign = [&](db::Recordset& record) {
        AssignStart(record, beginning, inflowText, outflowText);
    };
    // A period begun before an interruption keeps its one row: the new attempt takes it over.
    const bool begunBefore =
        EditSummaryRow(beginning, QStringLiteral("Recording data"), [&](db::Recordset& record) {
            ClearForNewAttempt(record);
            assign(record);
        });
    if (!begunBefore) {
        WriteRecord(kTable, kTable, QStringLiteral("Recording data"), [&](db::Recordset& record) {
            record.AddNew();
            assign(record);
            record.Update();
        });
    }
    RunState.PeriodStartTime = runtime::TimeValue{};
    RunState.PeriodEndTime = runtime::TimeValue{};
}

db::Query TrialSummaryQuery() {
    return SummaryRowOf(RunState.CurrentTrial);
}

void UpdateTrialAmount() {
    const QString status = QStringLiteral("Recording Amount");
    const double amount = InModelUnits(RunState.AmountInTank);
    const auto assignEnd = [amount](db::Recordset& record) { AssignEnd(record, amount); };
    if (EditSummaryRow(RunState.CurrentTrial, status, assignEnd)) return;
    // The row of this period was never created (or was removed): append it complete, as
    // it would have been created at the start of the period and completed now. The entry
    // boxes of that moment are unknown, so the stored orders are recorded.
    WriteRecord(kTable, kTable, status, [&](db::Recordset& record) {
        record.AddNew();
        AssignStart(record, RunState.CurrentTrial, QStringLiteral("0"), QStringLiteral("0"));
        assignEnd(record);
        record.Update();
    });
}

void CompleteRestoredTrialSummary() {
    EditSummaryRow(RunState.CurrentTrial, QStringLiteral("Recording Amount"),
                   [](db::Recordset& record) { AssignEnd(record, RunState.AmountInTank); });
}
