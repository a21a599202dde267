#include "recording/Resume.h"

#include <algorithm>
#include <memory>

#include "access/TableAccess.h"
#include "config/DelaySchedule.h"
#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "db/Error.h"
#include "db/Schema.h"
#include "recording/InterruptedPeriod.h"
#include "recording/TrialSummary.h"
#include "runtime/NumberText.h"

namespace {

const QString kStatus = QStringLiteral("Getting last trial");

// "SELECT <what> FROM T WHERE T.Subject='…' and version ='…'<more> ORDER BY  T.EventID DESC;"
QString ParticipantRows(const QString& what, const QString& table, const QString& more) {
    return QStringLiteral("SELECT ") + what + QStringLiteral(" FROM ") + table +
           QStringLiteral(" WHERE ") + table + QStringLiteral(".Subject=") +
           SqlText(RunState.SubjectName) + QStringLiteral(" and version =") +
           SqlText(RunState.Version) + more + QStringLiteral(" ORDER BY  ") + table +
           QStringLiteral(".EventID DESC;");
}

double Number(const QVariant& value) {
    return value.toDouble();
}

// Everything GetLastTrial takes from the latest row, read completely before any field
// changes.
struct LastEvent {
    std::int16_t trial = 0;
    std::int32_t eventID = 0;
    double currentCost = 0, totCost = 0, currentBonus = 0, totBonus = 0, bonusAmount = 0;
    double backOrder = 0, totalBackOrder = 0, forwardDischarge = 0, totalForwardDischarge = 0;
    double amountInTank = 0;
    std::int16_t userInflowTP = 0, userOutflowTP = 0;
    bool isUserInFlow = false, isUserOutFlow = false, isEnvInFlow = false, isEnvOutFlow = false;
    bool graphicalMode = false, isTimeDriven = false, isBonusOnTimeGap = false;
    double timeBetweenEnvTries = 0, deltaTmeBetweenEnvUsr = 0;
    bool isScoring = false;  // an "After Cost Calculation" row
};

// A number of the latest row. A run cannot go on from a row that lacks one: guessing 0
// would continue with a wrong amount or period.
double RecordedNumber(db::Recordset& row, const char* column) {
    const QVariant value = row.Field(QString::fromLatin1(column));
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (value.isNull() || !isNumber) {
        throw runtime::RuntimeError(
            db::errors::DataTypeConversion,
            QStringLiteral("column %1 of the latest event holds %2, not a number")
                .arg(QString::fromLatin1(column), value.isNull()
                                                      ? QStringLiteral("nothing")
                                                      : u'\'' + value.toString() + u'\''));
    }
    return number;
}

template <typename Whole>
Whole RecordedWhole(db::Recordset& row, const char* column, Whole (*convert)(double)) {
    const double number = RecordedNumber(row, column);
    try {
        return convert(number);
    } catch (const runtime::RuntimeError&) {
        throw runtime::RuntimeError(db::errors::DataTypeConversion,
                                    QStringLiteral("column %1 of the latest event holds %2, beyond "
                                                   "the whole numbers it may hold")
                                        .arg(QString::fromLatin1(column), runtime::Plain(number)));
    }
}

LastEvent ReadLastEvent(db::Recordset& row) {
    const auto field = [&row](const char* name) { return row.Field(QString::fromLatin1(name)); };
    const auto number = [&row](const char* column) { return RecordedNumber(row, column); };
    LastEvent last;
    last.trial = RecordedWhole(row, "Trial", runtime::ToInt16);
    last.eventID = RecordedWhole(row, "EventID", runtime::ToInt32);
    last.currentCost = number("CurrentCost");
    last.totCost = number("TotCost");
    last.currentBonus = number("CurrentBonus");
    last.totBonus = number("TotBonus");
    last.bonusAmount = number("BonusAmount");
    last.backOrder = number("BackOrder");
    last.totalBackOrder = number("TotalBackOrder");
    last.forwardDischarge = number("ForwardDischarge");
    last.totalForwardDischarge = number("TotalForwardDischarge");
    last.amountInTank = number("AmountInTank");
    last.userInflowTP = RecordedWhole(row, "UserInflowTP", runtime::ToInt16);
    last.userOutflowTP = RecordedWhole(row, "UserOutflowTP", runtime::ToInt16);
    last.isUserInFlow = db::IsTrue(field("IsUserInFlow"));
    last.isUserOutFlow = db::IsTrue(field("IsUserOutFlow"));
    last.isEnvInFlow = db::IsTrue(field("IsEnvInFlow"));
    last.isEnvOutFlow = db::IsTrue(field("IsEnvOutFlow"));
    last.graphicalMode = db::IsTrue(field("graphicalMode"));
    last.isTimeDriven = db::IsTrue(field("IsTimeDriven"));
    last.isBonusOnTimeGap = db::IsTrue(field("IsBonusOnTimeGap"));
    last.timeBetweenEnvTries = number("TimeBetweenEnvTries");
    last.deltaTmeBetweenEnvUsr = number("deltaTmeBetweenEnvUsr");
    last.isScoring = field("eventType").toString() == QStringLiteral("After Cost Calculation");
    return last;
}

void SetElement(std::vector<double>& array, long index, double value) {
    if (HasElement(array, index)) array[static_cast<std::size_t>(index)] = value;
}

void Restore(const LastEvent& last) {
    RunStateRecord& run = RunState;
    ExperimentSetupRecord& setup = ExperimentSetup;
    run.EventID = last.eventID;
    run.CurrentCost = last.currentCost;
    run.TotCost = last.totCost;
    run.CurrentBonus = last.currentBonus;
    run.TotBonus = last.totBonus;
    setup.BonusAmount = last.bonusAmount;
    // The recorded pipeline elements are those of the period the row was recorded in.
    SetElement(run.BackOrder, last.trial, last.backOrder);
    run.TotalBackOrder = last.totalBackOrder;
    SetElement(run.ForwardDischarge, last.trial, last.forwardDischarge);
    run.TotalForwardDischarge = last.totalForwardDischarge;
    // Model units; the simulation screen scales it when it places the marks.
    run.AmountInTank = last.amountInTank;
    run.UserInflowTP = last.userInflowTP;
    run.UserOutflowTP = last.userOutflowTP;
    // The flags as they stood after the row was recorded: a period's scoring is its last
    // event, and right after it the participant's flows have ended, and in participant-paced
    // runs the environment's too (a time-driven period ends with the environment's phase,
    // whose flags stand until the next period).
    const bool userFlowsEnded = last.isScoring;
    const bool environmentEnded = last.isScoring && !last.isTimeDriven;
    run.IsUserInFlow = last.isUserInFlow && !userFlowsEnded;
    run.IsUserOutFlow = last.isUserOutFlow && !userFlowsEnded;
    run.IsEnvInFlow = last.isEnvInFlow && !environmentEnded;
    run.IsEnvOutFlow = last.isEnvOutFlow && !environmentEnded;
    setup.graphicalMode = last.graphicalMode;
    setup.IsTimeDriven = last.isTimeDriven;
    setup.IsBonusOnTimeGap = last.isBonusOnTimeGap;
    setup.TimeBetweenEnvTries = last.timeBetweenEnvTries;
    setup.deltaTmeBetweenEnvUsr = last.deltaTmeBetweenEnvUsr;
}

double GetLastUserFlow(const QString& column, const QString& table, std::int16_t trial) {
    if (table.isEmpty()) return 0;
    TableRead query(
        ParticipantRows(column, table, QStringLiteral(" and Trial =") + QString::number(trial)),
        kStatus);
    db::Recordset& rows = query.rows();
    return rows.Eof() ? 0 : Number(rows.Field(column));
}

// The delay a run starts with: the first segment of the delay scenario, as loaded.
std::int16_t StartingDelay(const std::vector<double>& values) {
    return runtime::ToInt16(ElementOrZero(values, 0));
}

// Orders of the periods first..current, latest recorded value of each.
void RestoreOrders(std::vector<double>& orders, const QString& column, long first, long current) {
    for (long t = current; t >= first; --t) {
        SetElement(orders, t,
                   GetLastUserFlow(column, QStringLiteral("datExperimentTrials"),
                                   static_cast<std::int16_t>(t)));
    }
}

// In time-driven mode the period clock asks whether one of the participant's own orders
// is flowing: after a complete period that is so exactly when an order fell due in it.
bool OwnOrderDueNow() {
    const long current = RunState.CurrentTrial;
    const long in = current - (RunState.UserInflowTP - 1);
    const long out = current - (RunState.UserOutflowTP - 1);
    return (in >= 1 && ElementOrZero(RunState.UserInFlow, in) > 0) ||
           (out >= 1 && ElementOrZero(RunState.UserOutFlow, out) > 0);
}

// The participant's event rows as the continuation judges them.
struct RecordedRun {
    std::vector<RecordedEvent> kept;  // not superseded, oldest first
    std::int32_t highestEventID = 0;  // of all rows
    bool latestTimeDriven = false;    // as the latest kept row records it
};

RecordedRun ReadRecordedRun(const QString& table) {
    TableRead query(ParticipantRows(QStringLiteral("*"), table, QString()), kStatus);
    db::Recordset& rows = query.rows();
    RecordedRun run;
    for (; !rows.Eof(); rows.MoveNext()) {
        const auto eventID = RecordedWhole(rows, "EventID", runtime::ToInt32);
        run.highestEventID = std::max(run.highestEventID, eventID);
        if (IsSuperseded(rows)) continue;
        if (run.kept.empty())
            run.latestTimeDriven = db::IsTrue(rows.Field(QStringLiteral("IsTimeDriven")));
        run.kept.push_back({eventID, RecordedWhole(rows, "Trial", runtime::ToInt16),
                            rows.Field(QStringLiteral("eventType")).toString()});
    }
    std::reverse(run.kept.begin(), run.kept.end());
    return run;
}

// Submit presses of the participant in a period, not superseded.
long SubmitPressesIn(long trial) {
    TableRead query(QStringLiteral("SELECT * FROM datUserTimesSummary WHERE Subject=") +
                        SqlText(RunState.SubjectName) + QStringLiteral(" and Version=") +
                        SqlText(RunState.Version) + QStringLiteral(" and Trial=") +
                        QString::number(trial),
                    kStatus);
    long presses = 0;
    for (db::Recordset& rows = query.rows(); !rows.Eof(); rows.MoveNext()) {
        presses += !IsSuperseded(rows);
    }
    return presses;
}

void StartFresh() {
    RunStateRecord& run = RunState;
    const ExperimentSetupRecord& setup = ExperimentSetup;
    run.TotCost = setup.BaseMoney;
    run.TotBonus = setup.BaseMoney;
    run.CurrentCost = 0;
    run.CurrentBonus = 0;
    SetElement(run.BackOrder, 0, 0);
    FillInitialPipeline(run.BackOrder, setup.InitialBackOrder, run.UserInflowTP, 1);
    run.TotalBackOrder = setup.InitialBackOrder;
    SetElement(run.ForwardDischarge, 0, 0);
    FillInitialPipeline(run.ForwardDischarge, setup.InitialForwardDischarge, run.UserOutflowTP, 1);
    run.TotalForwardDischarge = setup.InitialForwardDischarge;
}

void Continue() {
    RunStateRecord& run = RunState;
    const ExperimentSetupRecord& setup = ExperimentSetup;
    const long current = run.CurrentTrial;
    // The initial pipelines as the run started them, for the periods still to come: a run
    // interrupted within its first delay periods still receives its initial orders.
    FillInitialPipeline(run.BackOrder, setup.InitialBackOrder, StartingDelay(run.InflowDelayValue),
                        current + 1);
    FillInitialPipeline(run.ForwardDischarge, setup.InitialForwardDischarge,
                        StartingDelay(run.OutflowDelayValue), current + 1);
    // Every order that can still fall due, also under a delay that rises later.
    RestoreOrders(
        run.UserInFlow, QStringLiteral("UserInFlow"),
        FirstOrderStillDue(current, setup.MaxTrial, run.UserInflowTP, run.InflowDelayCount,
                           run.InflowDelayEnd, run.InflowDelayValue),
        current);
    RestoreOrders(
        run.UserOutFlow, QStringLiteral("UserOutFlow"),
        FirstOrderStillDue(current, setup.MaxTrial, run.UserOutflowTP, run.OutflowDelayCount,
                           run.OutflowDelayEnd, run.OutflowDelayValue),
        current);
    // The last period was complete: its environment has acted.
    run.EnvActionDone = true;
    run.UserFlowPending = setup.IsTimeDriven && OwnOrderDueNow();
    // Where each order falls due once, what has fallen due never falls due again.
    run.InflowArrivals =
        ArrivalsThrough(current, setup.MaxTrial, StartingDelay(run.InflowDelayValue),
                        run.InflowDelayCount, run.InflowDelayEnd, run.InflowDelayValue);
    run.OutflowArrivals =
        ArrivalsThrough(current, setup.MaxTrial, StartingDelay(run.OutflowDelayValue),
                        run.OutflowDelayCount, run.OutflowDelayEnd, run.OutflowDelayValue);
}

}  // namespace

std::int16_t GetLastTrial(const QString& table) {
    if (table.isEmpty()) return 0;
    const RecordedRun recorded = ReadRecordedRun(table);
    const bool timeDriven = recorded.latestTimeDriven;
    const long presses =
        recorded.kept.empty() || !timeDriven ? 0 : SubmitPressesIn(recorded.kept.back().trial);
    const CompletePeriod complete =
        LastCompletePeriod(recorded.kept, timeDriven, presses, ExperimentSetup.MaxTrial);
    std::int16_t trial = 0;
    if (complete.period > 0) {
        TableRead closing(ParticipantRows(QStringLiteral("*"), table,
                                          QStringLiteral(" and EventID =") +
                                              QString::number(complete.closingEventID)),
                          kStatus);
        const LastEvent last = ReadLastEvent(closing.rows());
        Restore(last);
        trial = last.trial;
    }
    // Numbering goes on after every recorded row, those of an interrupted attempt included.
    RunState.EventID = recorded.highestEventID;
    RunState.LastKeptEventID = complete.closingEventID;
    return trial;
}

double GetLastUserInFlow(const QString& table, std::int16_t trial) {
    return GetLastUserFlow(QStringLiteral("UserInFlow"), table, trial);
}

double GetLastUserOutFlow(const QString& table, std::int16_t trial) {
    return GetLastUserFlow(QStringLiteral("UserOutFlow"), table, trial);
}

void ForgetRestoredRun() {
    const RunStateRecord initial;
    RunStateRecord& run = RunState;
    run.CurrentTrial = initial.CurrentTrial;
    run.EventID = initial.EventID;
    run.LastKeptEventID = initial.LastKeptEventID;
    run.CurrentCost = initial.CurrentCost;
    run.TotCost = initial.TotCost;
    run.CurrentBonus = initial.CurrentBonus;
    run.TotBonus = initial.TotBonus;
    std::fill(run.BackOrder.begin(), run.BackOrder.end(), 0.0);
    std::fill(run.ForwardDischarge.begin(), run.ForwardDischarge.end(), 0.0);
    run.TotalBackOrder = initial.TotalBackOrder;
    run.TotalForwardDischarge = initial.TotalForwardDischarge;
    run.AmountInTank = initial.AmountInTank;
    run.IsUserInFlow = initial.IsUserInFlow;
    run.IsUserOutFlow = initial.IsUserOutFlow;
    run.IsEnvInFlow = initial.IsEnvInFlow;
    run.IsEnvOutFlow = initial.IsEnvOutFlow;
    run.InflowArrivals = initial.InflowArrivals;
    run.OutflowArrivals = initial.OutflowArrivals;
}

void InitRun() {
    RunStateRecord& run = RunState;
    if (run.CurrentTrial == 0) StartFresh();
    run.PipeUserIn = 0;
    run.PipeUserOut = 1;
    run.PipeEnvIn = 2;
    run.PipeEnvOut = 3;
    run.TankIndex = 0;
    SizeArray(run.UserInFlow, ExperimentSetup.MaxTrial + 1L);
    SizeArray(run.UserOutFlow, ExperimentSetup.MaxTrial + 1L);
    // Also a returning participant without a complete period, whose Submit may be recorded.
    SupersedeInterruptedAttempt();
    if (run.CurrentTrial != 0) {
        Continue();
        CompleteRestoredTrialSummary();
    }
}

void FillInitialPipeline(std::vector<double>& pipeline, double initial, std::int16_t startingDelay,
                         long firstPeriod) {
    const long last = std::max<long>(startingDelay - 1, 1);
    const double share = startingDelay > 1 ? initial / (startingDelay - 1) : initial;
    for (long period = std::max<long>(firstPeriod, 1); period <= last; ++period) {
        SetElement(pipeline, period, share);
    }
}

long FirstOrderStillDue(long current, long maxTrial, std::int16_t delay, int count,
                        const std::vector<std::int16_t>& ends, const std::vector<double>& values) {
    long first = current;
    for (long period = current; period <= std::max(current, maxTrial); ++period) {
        if (period > current) delay = config::DelayIn(period, maxTrial, delay, count, ends, values);
        first = std::min(first, period - (delay - 1));
    }
    return std::max<long>(first, 1);
}

FlowArrivals ArrivalsThrough(long current, long maxTrial, std::int16_t startingDelay, int count,
                             const std::vector<std::int16_t>& ends,
                             const std::vector<double>& values) {
    FlowArrivals arrivals;
    arrivals.pipelineThrough = current;
    std::int16_t delay = startingDelay;
    for (long period = 1; period <= current; ++period) {
        delay = config::DelayIn(period, maxTrial, delay, count, ends, values);
        const long reached = period - (delay - 1);
        arrivals.ordersThrough = std::max(arrivals.ordersThrough, reached);
        arrivals.pipelineRestTaken = arrivals.pipelineRestTaken || reached >= 1;
    }
    return arrivals;
}
