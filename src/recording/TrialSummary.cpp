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
void AssignStart(const Run& run, db::TableRow& record, long beginning, const QString& inflowText,
                 const QString& outflowText) {
    const ExperimentSetupRecord& setup = run.setup;
    const RunStateRecord& state = run.state;
    const long ending = beginning - 1;
    record.set(QStringLiteral("Subject"), state.SubjectName);
    record.set(QStringLiteral("Version"), state.Version);
    record.set(QStringLiteral("Trial"), static_cast<qint32>(beginning));
    record.set(QStringLiteral("Date"), run.Today());
    record.set(QStringLiteral("startTime"), TimeField(state.PeriodStartTime));
    record.set(QStringLiteral("endTime"), TimeField(state.PeriodEndTime));
    record.set(QStringLiteral("UserInFlow"), OrderValue(inflowText, state.UserInFlow, ending));
    record.set(QStringLiteral("UserOutFlow"), OrderValue(outflowText, state.UserOutFlow, ending));
    record.set(QStringLiteral("EnvInFlow"), ElementOrZero(state.EnvInFlow, beginning));
    record.set(QStringLiteral("EnvOutFlow"), ElementOrZero(state.EnvOutFlow, beginning));
    AssignTankColumns(run, record);
    AssignFlowFlags(run, record);
    record.set(QStringLiteral("TotBonus"), state.TotBonus);
    record.set(QStringLiteral("LowerBoundFromGoal"), setup.LowerBoundFromGoal);
    record.set(QStringLiteral("UpperBoundFromGoal"), setup.UpperBoundFromGoal);
}

// The columns overwritten at the end of period CurrentTrial; the amount in model units.
void AssignEnd(const Run& run, db::TableRow& record, double amountInTank) {
    const RunStateRecord& state = run.state;
    record.set(QStringLiteral("AmountInTank"), amountInTank);
    record.set(QStringLiteral("CurrentBonus"), state.CurrentBonus);
    record.set(QStringLiteral("TotBonus"), state.TotBonus);
    record.set(QStringLiteral("CurrentCost"), state.CurrentCost);
    record.set(QStringLiteral("TotCost"), state.TotCost);
    if (run.setup.IsTimeDriven) AssignOrderColumns(run, record);
    AssignPipelineColumns(run, record);
}

// A period played again after an interruption starts from a row as a new one is: no end
// values, and false flags (AssignStart leaves false flags unassigned).
void ClearForNewAttempt(db::TableRow& record) {
    for (const char* column : {"CurrentBonus", "CurrentCost", "TotCost", "BackOrder",
                               "ForwardDischarge", "TotalBackOrder", "TotalForwardDischarge"}) {
        record.set(QString::fromLatin1(column), QVariant());
    }
    for (const char* flag :
         {"IsUserInFlow", "IsUserOutFlow", "IsEnvInFlow", "IsEnvOutFlow", "graphicalMode"}) {
        record.set(QString::fromLatin1(flag), 0);
    }
}

// The row of a period of the participant and version. One text for every period: the engine
// prepares it once per connection.
db::Query SummaryRowOf(const Run& run, long trial) {
    return {QStringLiteral("Version=? and Subject=? and Trial=?"),
            {run.state.Version, run.state.SubjectName, qlonglong(trial)}};
}

// Edits the period's row when it exists; false when there is none.
bool EditSummaryRow(Run& run, long trial, const QString& status,
                    const std::function<void(db::TableRow&)>& assign) {
    return UpdateRecord(run, kTable, SummaryRowOf(run, trial), status, assign);
}

}  // namespace

void RecordTrialSummary(Run& run, const QString& inflowText, const QString& outflowText) {
    const long beginning = run.state.CurrentTrial + 1L;
    const auto assign = [&](db::TableRow& record) {
        AssignStart(run, record, beginning, inflowText, outflowText);
    };
    // A period begun before an interruption keeps its one row: the new attempt takes it over.
    const bool begunBefore =
        EditSummaryRow(run, beginning, QStringLiteral("Recording data"), [&](db::TableRow& record) {
            ClearForNewAttempt(record);
            assign(record);
        });
    if (!begunBefore) {
        InsertRecord(run, kTable, QStringLiteral("Recording data"), assign);
    }
    run.state.PeriodStartTime = runtime::TimeValue{};
    run.state.PeriodEndTime = runtime::TimeValue{};
}

db::Query TrialSummaryQuery(const Run& run) {
    const db::Query row = SummaryRowOf(run, run.state.CurrentTrial);
    return {QStringLiteral("select * from datTrialSummary where ") + row.sql, row.parameters};
}

void UpdateTrialAmount(Run& run) {
    const QString status = QStringLiteral("Recording Amount");
    const double amount = InModelUnits(run, run.state.AmountInTank);
    const auto assignEnd = [&run, amount](db::TableRow& record) { AssignEnd(run, record, amount); };
    if (EditSummaryRow(run, run.state.CurrentTrial, status, assignEnd)) return;
    // The row of this period was never created (or was removed): append it complete, as
    // it would have been created at the start of the period and completed now. The entry
    // boxes of that moment are unknown, so the stored orders are recorded.
    InsertRecord(run, kTable, status, [&](db::TableRow& record) {
        AssignStart(run, record, run.state.CurrentTrial, QStringLiteral("0"), QStringLiteral("0"));
        assignEnd(record);
    });
}

void CompleteRestoredTrialSummary(Run& run) {
    EditSummaryRow(
        run, run.state.CurrentTrial, QStringLiteral("Recording Amount"),
        [&run](db::TableRow& record) { AssignEnd(run, record, run.state.AmountInTank); });
}
