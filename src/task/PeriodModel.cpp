#include "task/PeriodModel.h"

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
bool HandlesDueFlows(const Run& run) {
    const int every = run.setup.AfterEveryNTrials;
    return every <= 1 || run.state.CurrentTrial % every == 0;
}

DueFlow WithCaptions(DueFlow flow) {
    if (flow.due) {
        flow.doorCaption = QStringLiteral("USER: ") + runtime::Plain(flow.amount);
        flow.pipeCaption = Three(flow.amount);
    }
    return flow;
}

DueFlow Due(const Run& run, const FlowSide& side) {
    DueFlow flow;
    if (!HandlesDueFlows(run)) return flow;
    const long k = OrderPeriod(run, run.state.*side.delay);
    if (k <= 0) {
        // The initial pipeline's entry is due whatever it holds, zero included.
        flow.due = true;
        flow.amount = ElementOrZero(run.state.*side.pipeline, run.state.CurrentTrial);
    } else if (const double order = ElementOrZero(run.state.*side.orders, k); order > 0) {
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
DueFlow TakeNewlyDue(Run& run, const FlowSide& side) {
    DueFlow flow;
    if (!HandlesDueFlows(run)) return flow;
    FlowArrivals& arrivals = run.state.*side.arrivals;
    const std::vector<double>& pipeline = run.state.*side.pipeline;
    const long current = run.state.CurrentTrial;
    const long k = OrderPeriod(run, run.state.*side.delay);
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
        const double order = ElementOrZero(run.state.*side.orders, period);
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
DueFlow TakePending(Run& run, const FlowSide& side) {
    FlowArrivals& arrivals = run.state.*side.arrivals;
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
double DueOrder(const Run& run, const FlowSide& side) {
    return ElementOrZero(run.state.*side.orders, OrderPeriod(run, run.state.*side.delay));
}

DueFlow Announce(Run& run, const FlowSide& side) {
    const DueFlow flow = OrdersFallDueOnce(run.setup) ? TakeNewlyDue(run, side) : Due(run, side);
    if (flow.fromOrder) run.state.UserFlowPending = true;
    if (flow.due) run.state.*side.acted = true;
    if (HandlesDueFlows(run)) {
        double& total = run.state.*side.totalOnOrder;
        total = total - flow.amount + ElementOrZero(run.state.*side.orders, run.state.CurrentTrial);
    }
    return flow;
}

// Changes the held amount by delta model units; in graphical mode through model units.
void ChangeAmount(Run& run, double delta) {
    if (run.setup.graphicalMode) {
        const double twips = run.state.TwipsPerMark;
        run.state.AmountInTank = (run.state.AmountInTank * (1 / twips) + delta) * twips;
    } else {
        run.state.AmountInTank = run.state.AmountInTank + delta;
    }
}

DueFlow Apply(Run& run, const FlowSide& side) {
    const DueFlow flow = OrdersFallDueOnce(run.setup) ? TakePending(run, side) : Due(run, side);
    if (flow.fromOrder) run.state.UserFlowPending = true;
    if (flow.due) {
        ChangeAmount(run, side.sign * flow.amount);
        // A Submit clears the flags; a flow it did not announce still acts in its phase.
        run.state.*side.acted = true;
    }
    return flow;
}

void UpdateDelay(Run& run, std::int16_t& delay, long count, const std::vector<std::int16_t>& ends,
                 const std::vector<double>& values) {
    delay = config::DelayIn(run.state.CurrentTrial, run.setup.MaxTrial, delay,
                            static_cast<int>(count), ends, values);
}

QString DueOrderReadout(const Run& run, const FlowSide& side) {
    const long k = OrderPeriod(run, run.state.*side.delay);
    return Readout(run, k >= 1 ? ElementOrZero(run.state.*side.orders, k) : 0.0);
}

// Goal and amount in model units, multiplied by the reciprocal as the scoring does.
double ScoredValue(const Run& run, double held) {
    return run.setup.graphicalMode ? held * (1 / run.state.TwipsPerMark) : held;
}

}  // namespace

QString Three(double x) {
    return runtime::FormatNumber(x, QStringLiteral("00.000"));
}

QString Readout(const Run& run, double x) {
    return runtime::FormatNumber(
        x, run.setup.graphicalMode ? QStringLiteral("00.000") : QStringLiteral("00"));
}

void UpdateDelays(Run& run) {
    UpdateDelay(run, run.state.UserInflowTP, run.state.InflowDelayCount, run.state.InflowDelayEnd,
                run.state.InflowDelayValue);
    UpdateDelay(run, run.state.UserOutflowTP, run.state.OutflowDelayCount,
                run.state.OutflowDelayEnd, run.state.OutflowDelayValue);
}

long OrderPeriod(const Run& run, std::int16_t delay) {
    return static_cast<long>(run.state.CurrentTrial) - (delay - 1);
}

DueFlow DueInflow(const Run& run) {
    return Due(run, kInflow);
}

DueFlow DueOutflow(const Run& run) {
    return Due(run, kOutflow);
}

DueFlow AnnounceInflow(Run& run) {
    return Announce(run, kInflow);
}

DueFlow AnnounceOutflow(Run& run) {
    return Announce(run, kOutflow);
}

void QuietCheck(Run& run) {
    // A test for zero: a negative order counts as an order.
    if (DueOrder(run, kInflow) == 0 && DueOrder(run, kOutflow) == 0 && run.setup.IsTimeDriven) {
        run.state.UserFlowPending = false;
    }
}

DueFlow ApplyInflow(Run& run) {
    return Apply(run, kInflow);
}

DueFlow ApplyOutflow(Run& run) {
    return Apply(run, kOutflow);
}

PanelTexts PanelReadouts(const Run& run) {
    return {Readout(run, InModelUnits(run, run.setup.GoalLinePosition)),
            Readout(run, InModelUnits(run, run.state.AmountInTank)),
            Readout(run, run.state.TotalBackOrder), Readout(run, run.state.TotalForwardDischarge)};
}

UserPhaseTexts UserPhaseReadouts(const Run& run) {
    const EnvironmentRates rates = CurrentEnvironmentRates(run);
    return {Readout(run, rates.in), Readout(run, rates.out), DueOrderReadout(run, kInflow),
            DueOrderReadout(run, kOutflow)};
}

EnvironmentRates CurrentEnvironmentRates(const Run& run) {
    const long trial = run.state.CurrentTrial;
    EnvironmentRates rates;
    rates.in = ElementOrZero(run.state.EnvInFlow, trial);
    rates.out = ElementOrZero(run.state.EnvOutFlow, trial);
    const bool known =
        HasElement(run.state.EnvInFlow, trial) && HasElement(run.state.EnvOutFlow, trial);
    rates.acts = known && !(rates.in < 0 && rates.out < 0);
    return rates;
}

EnvironmentEffect ApplyEnvironment(Run& run) {
    run.state.EnvActionTime = run.TimeOfDay();
    run.state.IsEnvInFlow = true;
    run.state.IsEnvOutFlow = true;
    const EnvironmentRates rates = CurrentEnvironmentRates(run);
    EnvironmentEffect effect;
    if (!rates.acts) return effect;
    const double t = run.setup.simTimeForTP;
    effect.acts = true;
    effect.inPipeCaption = Three(t * rates.in);
    effect.outPipeCaption = Three(t * rates.out);
    effect.inDoorCaption = QStringLiteral("ENV: ") + runtime::Plain(t * rates.in);
    effect.outDoorCaption = QStringLiteral("ENV: ") + runtime::Plain(t * rates.out);
    ChangeAmount(run, (rates.in - rates.out) * t);
    return effect;
}

bool EarnsBandBonus(const Run& run, double amount) {
    const double goal = ScoredValue(run, run.setup.GoalLinePosition);
    const double lo = RoundHalfUp(goal - run.setup.LowerBoundFromGoal, 1000);
    const double hi = RoundHalfUp(goal + run.setup.UpperBoundFromGoal, 1000);
    const double value = RoundHalfUp(ScoredValue(run, amount), 1000);
    return lo <= value && value <= hi;
}

bool EarnsTimeGapBonus(Run& run) {
    const EnvironmentRates rates = CurrentEnvironmentRates(run);
    if (rates.in <= 0 && rates.out <= 0) return false;
    // Midnight is also the value before the first Submit of the run.
    if (run.state.SubmitTime.isMidnight()) return false;
    run.state.EnvToSubmitSeconds =
        std::abs(run.state.EnvActionTime.seconds - run.state.SubmitTime.seconds);
    return run.state.EnvToSubmitSeconds <= run.setup.deltaTmeBetweenEnvUsr / 1000;
}

Score ScorePeriod(Run& run, double amount) {
    Score score;
    score.earned =
        run.setup.IsBonusOnTimeGap ? EarnsTimeGapBonus(run) : EarnsBandBonus(run, amount);
    if (score.earned) {
        run.state.CurrentBonus = run.setup.BonusAmount;
        run.state.TotBonus = run.state.TotBonus + run.state.CurrentBonus;
    } else {
        run.state.CurrentBonus = 0;
    }
    score.currentBonus = Three(run.state.CurrentBonus);
    score.totBonus = Three(run.state.TotBonus);
    return score;
}

}  // namespace period
