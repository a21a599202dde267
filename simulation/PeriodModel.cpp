#include "simulation/PeriodModel.h"

#include <cstdlib>
#include <vector>

#include "config/DelaySchedule.h"
#include "core/Rounding.h"
#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "runtime/Clock.h"
#include "runtime/NumberText.h"

namespace period {

namespace {

// The fields that make one of the two user flows: its delay, the initial pipeline, the
// participant's orders, the total still on order and the flag that it acted.
struct FlowSide {
    std::int16_t RunStateRecord::*delay;
    std::vector<double> RunStateRecord::*pipeline;
    std::vector<double> RunStateRecord::*orders;
    double RunStateRecord::*totalOnOrder;
    bool RunStateRecord::*acted;
    FlowArrivals RunStateRecord::*arrivals;
    double sign;  // +1 fills the tank, -1 empties it
};

constexpr FlowSide kInflow{&RunStateRecord::UserInflowTP,
                           &RunStateRecord::BackOrder,
                           &RunStateRecord::UserInFlow,
                           &RunStateRecord::TotalBackOrder,
                           &RunStateRecord::IsUserInFlow,
                           &RunStateRecord::InflowArrivals,
                           +1.0};
constexpr FlowSide kOutflow{&RunStateRecord::UserOutflowTP,
                            &RunStateRecord::ForwardDischarge,
                            &RunStateRecord::UserOutFlow,
                            &RunStateRecord::TotalForwardDischarge,
                            &RunStateRecord::IsUserOutFlow,
                            &RunStateRecord::OutflowArrivals,
                            -1.0};

// Due amounts are handled only every AfterEveryNTrials periods (1 after loading; a value
// below 1 is taken as 1 rather than dividing by zero).
bool HandlesDueFlows() {
    const int every = ExperimentSetup.AfterEveryNTrials;
    return every <= 1 || RunState.CurrentTrial % every == 0;
}

DueFlow WithCaptions(DueFlow flow) {
    if (flow.due) {
        flow.doorCaption = QStringLiteral("USER: ") + runtime::Plain(flow.amount);
        flow.pipeCaption = Three(flow.amount);
    }
    return flow;
}

DueFlow Due(const FlowSide& side) {
    DueFlow flow;
    if (!HandlesDueFlows()) return flow;
    const long k = OrderPeriod(RunState.*side.delay);
    if (k <= 0) {
        // The initial pipeline's entry is due whatever it holds, zero included.
        flow.due = true;
        flow.amount = ElementOrZero(RunState.*side.pipeline, RunState.CurrentTrial);
    } else if (const double order = ElementOrZero(RunState.*side.orders, k); order > 0) {
        flow.due = true;
        flow.fromOrder = true;
        flow.amount = order;
    }
    return WithCaptions(flow);
}

// Each order once (see OrdersFallDueOnce): what falls due now and has not fallen due before;
// marks it fallen due. On a clock the clock's user phase and a Submit's may both run in a
// period, so a period's pipeline entry and every order fall due once. An order falls due in
// the first period whose delay reaches back to it: not again when the delay rises, and when
// the delay falls past orders that have not yet fallen due, they fall due together; so do
// the initial pipeline's entries not yet due when the delay first reaches back to period 1.
DueFlow TakeNewlyDue(const FlowSide& side) {
    DueFlow flow;
    if (!HandlesDueFlows()) return flow;
    FlowArrivals& arrivals = RunState.*side.arrivals;
    const std::vector<double>& pipeline = RunState.*side.pipeline;
    const long current = RunState.CurrentTrial;
    const long k = OrderPeriod(RunState.*side.delay);
    if (k <= 0) {
        if (current <= arrivals.pipelineThrough) return flow;
        flow.due = true;
        // An entry that came with the rest of the pipeline does not come again.
        if (!arrivals.pipelineRestTaken) flow.amount = ElementOrZero(pipeline, current);
        arrivals.pipelineThrough = current;
    } else if (!arrivals.pipelineRestTaken) {
        arrivals.pipelineRestTaken = true;
        double rest = 0;
        for (long entry = arrivals.pipelineThrough + 1; HasElement(pipeline, entry); ++entry)
            rest += pipeline[static_cast<std::size_t>(entry)];
        if (rest != 0) {
            flow.due = true;
            flow.amount = rest;
        }
    }
    for (long period = arrivals.ordersThrough + 1; period <= k; ++period) {
        const double order = ElementOrZero(RunState.*side.orders, period);
        if (order <= 0) continue;  // an order of 0 (or below) never falls due
        flow.due = true;
        flow.fromOrder = true;
        flow.amount += order;
        arrivals.ordersThrough = period;
    }
    if (flow.due) {
        arrivals.pending = true;
        arrivals.pendingFromOrder = arrivals.pendingFromOrder || flow.fromOrder;
        arrivals.pendingAmount += flow.amount;
    }
    return WithCaptions(flow);
}

// Each order once: what fell due and has not yet reached the stock, taken out of waiting.
DueFlow TakePending(const FlowSide& side) {
    FlowArrivals& arrivals = RunState.*side.arrivals;
    DueFlow flow;
    flow.due = arrivals.pending;
    flow.fromOrder = arrivals.pendingFromOrder;
    flow.amount = arrivals.pendingAmount;
    arrivals.pending = false;
    arrivals.pendingFromOrder = false;
    arrivals.pendingAmount = 0;
    return WithCaptions(flow);
}

// The participant's order that falls due now; a due period below 0 is an order of 0.
double DueOrder(const FlowSide& side) {
    return ElementOrZero(RunState.*side.orders, OrderPeriod(RunState.*side.delay));
}

DueFlow Announce(const FlowSide& side) {
    const DueFlow flow = OrdersFallDueOnce(ExperimentSetup) ? TakeNewlyDue(side) : Due(side);
    if (flow.fromOrder) RunState.UserFlowPending = true;
    if (flow.due) RunState.*side.acted = true;
    if (HandlesDueFlows()) {
        double& total = RunState.*side.totalOnOrder;
        total = total - flow.amount + ElementOrZero(RunState.*side.orders, RunState.CurrentTrial);
    }
    return flow;
}

// Changes the held amount by delta model units; in graphical mode through model units.
void ChangeAmount(double delta) {
    if (ExperimentSetup.graphicalMode) {
        const double twips = RunState.TwipsPerMark;
        RunState.AmountInTank = (RunState.AmountInTank * (1 / twips) + delta) * twips;
    } else {
        RunState.AmountInTank = RunState.AmountInTank + delta;
    }
}

DueFlow Apply(const FlowSide& side) {
    const DueFlow flow = OrdersFallDueOnce(ExperimentSetup) ? TakePending(side) : Due(side);
    if (flow.fromOrder) RunState.UserFlowPending = true;
    if (flow.due) {
        ChangeAmount(side.sign * flow.amount);
        // A Submit clears the flags; a flow it did not announce still acts in its phase.
        RunState.*side.acted = true;
    }
    return flow;
}

void UpdateDelay(std::int16_t& delay, long count, const std::vector<std::int16_t>& ends,
                 const std::vector<double>& values) {
    delay = config::DelayIn(RunState.CurrentTrial, ExperimentSetup.MaxTrial, delay,
                            static_cast<int>(count), ends, values);
}

QString DueOrderReadout(const FlowSide& side) {
    const long k = OrderPeriod(RunState.*side.delay);
    return Readout(k >= 1 ? ElementOrZero(RunState.*side.orders, k) : 0.0);
}

// Goal and amount in model units, multiplied by the reciprocal as the scoring does.
double ScoredValue(double held) {
    return ExperimentSetup.graphicalMode ? held * (1 / RunState.TwipsPerMark) : held;
}

}  // namespace

QString Three(double x) {
    return runtime::FormatNumber(x, QStringLiteral("00.000"));
}

QString Readout(double x) {
    return runtime::FormatNumber(
        x, ExperimentSetup.graphicalMode ? QStringLiteral("00.000") : QStringLiteral("00"));
}

void UpdateDelays() {
    UpdateDelay(RunState.UserInflowTP, RunState.InflowDelayCount, RunState.InflowDelayEnd,
                RunState.InflowDelayValue);
    UpdateDelay(RunState.UserOutflowTP, RunState.OutflowDelayCount, RunState.OutflowDelayEnd,
                RunState.OutflowDelayValue);
}

long OrderPeriod(std::int16_t delay) {
    return static_cast<long>(RunState.CurrentTrial) - (delay - 1);
}

DueFlow DueInflow() {
    return Due(kInflow);
}

DueFlow DueOutflow() {
    return Due(kOutflow);
}

DueFlow AnnounceInflow() {
    return Announce(kInflow);
}

DueFlow AnnounceOutflow() {
    return Announce(kOutflow);
}

void QuietCheck() {
    // A test for zero: a negative order counts as an order.
    if (DueOrder(kInflow) == 0 && DueOrder(kOutflow) == 0 && ExperimentSetup.IsTimeDriven) {
        RunState.UserFlowPending = false;
    }
}

DueFlow ApplyInflow() {
    return Apply(kInflow);
}

DueFlow ApplyOutflow() {
    return Apply(kOutflow);
}

PanelTexts PanelReadouts() {
    return {Readout(InModelUnits(ExperimentSetup.GoalLinePosition)),
            Readout(InModelUnits(RunState.AmountInTank)), Readout(RunState.TotalBackOrder),
            Readout(RunState.TotalForwardDischarge)};
}

UserPhaseTexts UserPhaseReadouts() {
    const EnvironmentRates rates = CurrentEnvironmentRates();
    return {Readout(rates.in), Readout(rates.out), DueOrderReadout(kInflow),
            DueOrderReadout(kOutflow)};
}

EnvironmentRates CurrentEnvironmentRates() {
    const long trial = RunState.CurrentTrial;
    EnvironmentRates rates;
    rates.in = ElementOrZero(RunState.EnvInFlow, trial);
    rates.out = ElementOrZero(RunState.EnvOutFlow, trial);
    const bool known =
        HasElement(RunState.EnvInFlow, trial) && HasElement(RunState.EnvOutFlow, trial);
    rates.acts = known && !(rates.in < 0 && rates.out < 0);
    return rates;
}

EnvironmentEffect ApplyEnvironment() {
    RunState.EnvActionTime = runtime::TimeOfDay();
    RunState.IsEnvInFlow = true;
    RunState.IsEnvOutFlow = true;
    const EnvironmentRates rates = CurrentEnvironmentRates();
    EnvironmentEffect effect;
    if (!rates.acts) return effect;
    const double t = ExperimentSetup.simTimeForTP;
    effect.acts = true;
    effect.inPipeCaption = Three(t * rates.in);
    effect.outPipeCaption = Three(t * rates.out);
    effect.inDoorCaption = QStringLiteral("ENV: ") + runtime::Plain(t * rates.in);
    effect.outDoorCaption = QStringLiteral("ENV: ") + runtime::Plain(t * rates.out);
    ChangeAmount((rates.in - rates.out) * t);
    return effect;
}

bool EarnsBandBonus(double amount) {
    const double goal = ScoredValue(ExperimentSetup.GoalLinePosition);
    const double lo = RoundHalfUp(goal - ExperimentSetup.LowerBoundFromGoal, 1000);
    const double hi = RoundHalfUp(goal + ExperimentSetup.UpperBoundFromGoal, 1000);
    const double value = RoundHalfUp(ScoredValue(amount), 1000);
    return lo <= value && value <= hi;
}

bool EarnsTimeGapBonus() {
    const EnvironmentRates rates = CurrentEnvironmentRates();
    if (rates.in <= 0 && rates.out <= 0) return false;
    // Midnight is also the value before the first Submit of the run.
    if (RunState.SubmitTime.isMidnight()) return false;
    RunState.EnvToSubmitSeconds =
        std::abs(RunState.EnvActionTime.seconds - RunState.SubmitTime.seconds);
    return RunState.EnvToSubmitSeconds <= ExperimentSetup.deltaTmeBetweenEnvUsr / 1000;
}

Score ScorePeriod(double amount) {
    Score score;
    score.earned = ExperimentSetup.IsBonusOnTimeGap ? EarnsTimeGapBonus() : EarnsBandBonus(amount);
    if (score.earned) {
        RunState.CurrentBonus = ExperimentSetup.BonusAmount;
        RunState.TotBonus = RunState.TotBonus + RunState.CurrentBonus;
    } else {
        RunState.CurrentBonus = 0;
    }
    score.currentBonus = Three(RunState.CurrentBonus);
    score.totBonus = Three(RunState.TotBonus);
    return score;
}

}  // namespace period
