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
QString ParticipantRows(const Run& run, const QString& what, const QString& table,
                        const QString& more) {
    return QStringLiteral("SELECT ") + what + QStringLiteral(" FROM ") + table +
           QStringLiteral(" WHERE ") + table + QStringLiteral(".Subject=") +
           SqlText(run.state.SubjectName) + QStringLiteral(" and version =") +
           SqlText(run.state.Version) + more + QStringLiteral(" ORDER BY  ") + table +
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
double RecordedNumber(const db::Rows& row, const char* column) {
    const QVariant value = row.value(QString::fromLatin1(column));
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
Whole RecordedWhole(const db::Rows& row, const char* column, Whole (*convert)(double)) {
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

LastEvent ReadLastEvent(const db::Rows& row) {
    const auto field = [&row](const char* name) { return row.value(QString::fromLatin1(name)); };
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

void Restore(Run& run, const LastEvent& last) {
    RunStateRecord& state = run.state;
    ExperimentSetupRecord& setup = run.setup;
    state.EventID = last.eventID;
    state.CurrentCost = last.currentCost;
    state.TotCost = last.totCost;
    state.CurrentBonus = last.currentBonus;
    state.TotBonus = last.totBonus;
    setup.BonusAmount = last.bonusAmount;
    // The recorded pipeline elements are those of the period the row was recorded in.
    SetElement(state.BackOrder, last.trial, last.backOrder);
    state.TotalBackOrder = last.totalBackOrder;
    SetElement(state.ForwardDischarge, last.trial, last.forwardDischarge);
    state.TotalForwardDischarge = last.totalForwardDischarge;
    // Model units; the simulation screen scales it when it places the marks.
    state.AmountInTank = last.amountInTank;
    state.UserInflowTP = last.userInflowTP;
    state.UserOutflowTP = last.userOutflowTP;
    // The flags as they stood after the row was recorded: a period's scoring is its last
    // event, and right after it the participant's flows have ended, and in participant-paced
    // runs the environment's too (a time-driven period ends with the environment's phase,
    // whose flags stand until the next period).
    const bool userFlowsEnded = last.isScoring;
    const bool environmentEnded = last.isScoring && !last.isTimeDriven;
    state.IsUserInFlow = last.isUserInFlow && !userFlowsEnded;
    state.IsUserOutFlow = last.isUserOutFlow && !userFlowsEnded;
    state.IsEnvInFlow = last.isEnvInFlow && !environmentEnded;
    state.IsEnvOutFlow = last.isEnvOutFlow && !environmentEnded;
    setup.graphicalMode = last.graphicalMode;
    setup.IsTimeDriven = last.isTimeDriven;
    setup.IsBonusOnTimeGap = last.isBonusOnTimeGap;
    setup.TimeBetweenEnvTries = last.timeBetweenEnvTries;
    setup.deltaTmeBetweenEnvUsr = last.deltaTmeBetweenEnvUsr;
}

double GetLastUserFlow(Run& run, const QString& column, const QString& table, std::int16_t trial) {
    if (table.isEmpty()) return 0;
    const db::Rows rows =
        ReadRows(run,
                 ParticipantRows(run, column, table,
                                 QStringLiteral(" and Trial =") + QString::number(trial)),
                 kStatus);
    return rows.atEnd() ? 0 : Number(rows.value(column));
}

// The delay a run starts with: the first segment of the delay scenario, as loaded.
std::int16_t StartingDelay(const std::vector<double>& values) {
    return runtime::ToInt16(ElementOrZero(values, 0));
}

// Orders of the periods first..current, latest recorded value of each.
void RestoreOrders(Run& run, std::vector<double>& orders, const QString& column, long first,
                   long current) {
    for (long t = current; t >= first; --t) {
        SetElement(orders, t,
                   GetLastUserFlow(run, column, QStringLiteral("datExperimentTrials"),
                                   static_cast<std::int16_t>(t)));
    }
}

// In time-driven mode the period clock asks whether one of the participant's own orders
// is flowing: after a complete period that is so exactly when an order fell due in it.
bool OwnOrderDueNow(const Run& run) {
    const long current = run.state.CurrentTrial;
    const long in = current - (run.state.UserInflowTP - 1);
    const long out = current - (run.state.UserOutflowTP - 1);
    return (in >= 1 && ElementOrZero(run.state.UserInFlow, in) > 0) ||
           (out >= 1 && ElementOrZero(run.state.UserOutFlow, out) > 0);
}

// The participant's event rows as the continuation judges them.
struct RecordedRun {
    std::vector<RecordedEvent> kept;  // not superseded, oldest first
    std::int32_t highestEventID = 0;  // of all rows
    bool latestTimeDriven = false;    // as the latest kept row records it
};

RecordedRun ReadRecordedRun(Run& run, const QString& table) {
    db::Rows rows =
        ReadRows(run, ParticipantRows(run, QStringLiteral("*"), table, QString()), kStatus);
    RecordedRun recorded;
    for (; !rows.atEnd(); rows.next()) {
        const auto eventID = RecordedWhole(rows, "EventID", runtime::ToInt32);
        recorded.highestEventID = std::max(recorded.highestEventID, eventID);
        if (IsSuperseded(rows)) continue;
        if (recorded.kept.empty())
            recorded.latestTimeDriven = db::IsTrue(rows.value(QStringLiteral("IsTimeDriven")));
        recorded.kept.push_back({eventID, RecordedWhole(rows, "Trial", runtime::ToInt16),
                                 rows.value(QStringLiteral("eventType")).toString()});
    }
    std::reverse(recorded.kept.begin(), recorded.kept.end());
    return recorded;
}

// Submit presses of the participant in a period, not superseded.
long SubmitPressesIn(Run& run, long trial) {
    db::Rows rows = ReadRows(run,
                             QStringLiteral("SELECT * FROM datUserTimesSummary WHERE Subject=") +
                                 SqlText(run.state.SubjectName) + QStringLiteral(" and Version=") +
                                 SqlText(run.state.Version) + QStringLiteral(" and Trial=") +
                                 QString::number(trial),
                             kStatus);
    long presses = 0;
    for (; !rows.atEnd(); rows.next()) {
        presses += !IsSuperseded(rows);
    }
    return presses;
}

void StartFresh(Run& run) {
    RunStateRecord& state = run.state;
    const ExperimentSetupRecord& setup = run.setup;
    state.TotCost = setup.BaseMoney;
    state.TotBonus = setup.BaseMoney;
    state.CurrentCost = 0;
    state.CurrentBonus = 0;
    SetElement(state.BackOrder, 0, 0);
    FillInitialPipeline(state.BackOrder, setup.InitialBackOrder, state.UserInflowTP, 1);
    state.TotalBackOrder = setup.InitialBackOrder;
    SetElement(state.ForwardDischarge, 0, 0);
    FillInitialPipeline(state.ForwardDischarge, setup.InitialForwardDischarge, state.UserOutflowTP,
                        1);
    state.TotalForwardDischarge = setup.InitialForwardDischarge;
}

void Continue(Run& run) {
    RunStateRecord& state = run.state;
    const ExperimentSetupRecord& setup = run.setup;
    const long current = state.CurrentTrial;
    // The initial pipelines as the run started them, for the periods still to come: a run
    // interrupted within its first delay periods still receives its initial orders.
    FillInitialPipeline(state.BackOrder, setup.InitialBackOrder,
                        StartingDelay(state.InflowDelayValue), current + 1);
    FillInitialPipeline(state.ForwardDischarge, setup.InitialForwardDischarge,
                        StartingDelay(state.OutflowDelayValue), current + 1);
    // Every order that can still fall due, also under a delay that rises later.
    RestoreOrders(
        run, state.UserInFlow, QStringLiteral("UserInFlow"),
        FirstOrderStillDue(current, setup.MaxTrial, state.UserInflowTP, state.InflowDelayCount,
                           state.InflowDelayEnd, state.InflowDelayValue),
        current);
    RestoreOrders(
        run, state.UserOutFlow, QStringLiteral("UserOutFlow"),
        FirstOrderStillDue(current, setup.MaxTrial, state.UserOutflowTP, state.OutflowDelayCount,
                           state.OutflowDelayEnd, state.OutflowDelayValue),
        current);
    // The last period was complete: its environment has acted.
    state.EnvActionDone = true;
    state.UserFlowPending = setup.IsTimeDriven && OwnOrderDueNow(run);
    // Where each order falls due once, what has fallen due never falls due again.
    state.InflowArrivals =
        ArrivalsThrough(current, setup.MaxTrial, StartingDelay(state.InflowDelayValue),
                        state.InflowDelayCount, state.InflowDelayEnd, state.InflowDelayValue);
    state.OutflowArrivals =
        ArrivalsThrough(current, setup.MaxTrial, StartingDelay(state.OutflowDelayValue),
                        state.OutflowDelayCount, state.OutflowDelayEnd, state.OutflowDelayValue);
}

}  // namespace

std::int16_t GetLastTrial(Run& run, const QString& table) {
    if (table.isEmpty()) return 0;
    const RecordedRun recorded = ReadRecordedRun(run, table);
    const bool timeDriven = recorded.latestTimeDriven;
    const long presses =
        recorded.kept.empty() || !timeDriven ? 0 : SubmitPressesIn(run, recorded.kept.back().trial);
    const CompletePeriod complete =
        LastCompletePeriod(recorded.kept, timeDriven, presses, run.setup.MaxTrial);
    std::int16_t trial = 0;
    if (complete.period > 0) {
        const db::Rows closing =
            ReadRows(run,
                     ParticipantRows(run, QStringLiteral("*"), table,
                                     QStringLiteral(" and EventID =") +
                                         QString::number(complete.closingEventID)),
                     kStatus);
        const LastEvent last = ReadLastEvent(closing);
        Restore(run, last);
        trial = last.trial;
    }
    // Numbering goes on after every recorded row, those of an interrupted attempt included.
    run.state.EventID = recorded.highestEventID;
    run.state.LastKeptEventID = complete.closingEventID;
    return trial;
}

double GetLastUserInFlow(Run& run, const QString& table, std::int16_t trial) {
    return GetLastUserFlow(run, QStringLiteral("UserInFlow"), table, trial);
}

double GetLastUserOutFlow(Run& run, const QString& table, std::int16_t trial) {
    return GetLastUserFlow(run, QStringLiteral("UserOutFlow"), table, trial);
}

void ForgetRestoredRun(Run& run) {
    const RunStateRecord initial;
    RunStateRecord& state = run.state;
    state.CurrentTrial = initial.CurrentTrial;
    state.EventID = initial.EventID;
    state.LastKeptEventID = initial.LastKeptEventID;
    state.CurrentCost = initial.CurrentCost;
    state.TotCost = initial.TotCost;
    state.CurrentBonus = initial.CurrentBonus;
    state.TotBonus = initial.TotBonus;
    std::fill(state.BackOrder.begin(), state.BackOrder.end(), 0.0);
    std::fill(state.ForwardDischarge.begin(), state.ForwardDischarge.end(), 0.0);
    state.TotalBackOrder = initial.TotalBackOrder;
    state.TotalForwardDischarge = initial.TotalForwardDischarge;
    state.AmountInTank = initial.AmountInTank;
    state.IsUserInFlow = initial.IsUserInFlow;
    state.IsUserOutFlow = initial.IsUserOutFlow;
    state.IsEnvInFlow = initial.IsEnvInFlow;
    state.IsEnvOutFlow = initial.IsEnvOutFlow;
    state.InflowArrivals = initial.InflowArrivals;
    state.OutflowArrivals = initial.OutflowArrivals;
}

void InitRun(Run& run) {
    RunStateRecord& state = run.state;
    if (state.CurrentTrial == 0) StartFresh(run);
    state.PipeUserIn = 0;
    state.PipeUserOut = 1;
    state.PipeEnvIn = 2;
    state.PipeEnvOut = 3;
    state.TankIndex = 0;
    SizeArray(state.UserInFlow, run.setup.MaxTrial + 1L);
    SizeArray(state.UserOutFlow, run.setup.MaxTrial + 1L);
    // Also a returning participant without a complete period, whose Submit may be recorded.
    SupersedeInterruptedAttempt(run);
    if (state.CurrentTrial != 0) {
        Continue(run);
        CompleteRestoredTrialSummary(run);
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
