#include "task/PeriodCycle.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <vector>

#include "config/ScreenSetup.h"
#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "recording/EventLog.h"
#include "recording/SubmitTime.h"
#include "recording/TrialSummary.h"
#include "runtime/Clock.h"

namespace period {

namespace {

// A pause of 0 ms means no pause; a timer with interval 0 would never fire and stall the run.
int Pause(int milliseconds) {
    return std::max(milliseconds, 1);
}

// The order typed into an entry box. A text that is not a number (the key filter keeps such
// texts out, but a box can still hold one) orders nothing rather than a stray prefix.
double EnteredOrder(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? value : 0;
}

void StoreOrder(std::vector<double>& orders, long period, double amount) {
    if (HasElement(orders, period)) orders[static_cast<std::size_t>(period)] = amount;
}

void ClearFlowFlags(Run& run) {
    run.state.IsEnvInFlow = false;
    run.state.IsEnvOutFlow = false;
    run.state.IsUserInFlow = false;
    run.state.IsUserOutFlow = false;
}

}  // namespace

Cycle::Cycle(Run& run, CycleView& view, StepTimers& timers)
    : run_(run), view_(view), timers_(timers) {}

void Cycle::Begin() {
    if (run_.state.CurrentTrial == 0) run_.state.AmountInTank = run_.setup.InitialAmountInTank;
    // A continued run starts at the end of its last complete period.
    run_.state.LastCompletePeriod = run_.state.CurrentTrial;
    run_.state.PeriodStartTime = run_.TimeOfDay();
    if (!run_.setup.IsTimeDriven) return;
    timers_.arm(Step::Timer2, PeriodClockInterval(run_.setup.TimeBetweenEnvTries));
    // One order a period, taken once the clock has opened it: orders stored in period 0
    // would never fall due, and the period a continued run stopped in has had its chance.
    view_.setSubmitEnabled(false);
}

void Cycle::Fire(Step step) {
    switch (step) {
        case Step::Timer1:
            return StoreOrders();
        case Step::Timer2:
            return OpenPeriod();
        case Step::UserDelay:
            return ApplyUserFlows();
        case Step::UserMove:
            return EndUserPhase();
        case Step::EnvDelay:
            return ClearEnvironmentPipes();
        case Step::EnvMove:
            return EndEnvironmentPhase();
    }
}

void Cycle::StopTimers() {
    for (const Step step : kAllSteps) timers_.stop(step);
}

void Cycle::Record(const QString& eventType) {
    run_.state.EventID += 1;
    RecordEvent(run_, eventType);
}

// Called once a closing row is recorded: what a database failure says is kept.
void Cycle::NoteIfPeriodComplete() {
    if (!userPhaseRunning_ && !environmentPhaseDue_ && !submitPending_)
        run_.state.LastCompletePeriod = run_.state.CurrentTrial;
}

void Cycle::RecordTrialSummary() {
    ::RecordTrialSummary(run_, view_.entryText(Entry::Inflow), view_.entryText(Entry::Outflow));
}

// The earnings message ends the program; no step may run or record behind it.
void Cycle::Finish() {
    StopTimers();
    view_.finishExperiment();
}

// The period's phases

void Cycle::processDecision() {
    UpdateDelays(run_);
    userPhaseRunning_ = true;
    // Written at the start of every user phase, whether or not a flow falls due.
    Record(QStringLiteral("No User Effect"));
    const DueFlow in = AnnounceInflow(run_);
    const DueFlow out = AnnounceOutflow(run_);
    view_.showUserFlowsDue(in, out);
    QuietCheck(run_);

    if (!run_.setup.IsTimeDriven) view_.setSubmitEnabled(false);
    timers_.arm(Step::UserDelay, Pause(run_.setup.userDelay));
}

void Cycle::EnvironmentDecision() {
    const EnvironmentEffect effect = ApplyEnvironment(run_);
    view_.showEnvironmentEffect(effect);
    if (effect.acts) Record(QStringLiteral("Environment Effect"));

    if (!run_.setup.IsTimeDriven) view_.setSubmitEnabled(false);
    timers_.arm(Step::EnvDelay, Pause(run_.setup.envDelay));
    run_.state.EnvActionDone = true;
}

void Cycle::CalCost(double& amount) {
    view_.showScore(ScorePeriod(run_, amount));
}

// Submit and the period clock

void Cycle::Submit() {
    view_.setSubmitEnabled(false);
    submitPending_ = true;
    run_.state.SubmitTime = run_.TimeOfDay();
    if (!run_.setup.IsTimeDriven) {
        run_.state.PeriodEndTime = run_.TimeOfDay();
        RecordSubmitTime(run_);
        RecordTrialSummary();
    } else {
        RecordSubmitTime(run_);
    }
    // The rest runs once the click has been handled.
    timers_.arm(Step::Timer1, 1);
}

void Cycle::StoreOrders() {
    timers_.stop(Step::Timer1);
    submitPending_ = false;
    if (run_.state.CurrentTrial < run_.setup.MaxTrial) {
        run_.state.PeriodStartTime = run_.TimeOfDay();
        if (!run_.setup.IsTimeDriven) {
            run_.state.CurrentTrial += 1;
            view_.showPeriodNumber();
        }
        view_.setEntryEnabled(false);
        for (const Entry box : {Entry::Inflow, Entry::Outflow}) {
            if (view_.entryText(box).isEmpty()) view_.setEntryText(box, QStringLiteral("0"));
        }
        StoreOrder(run_.state.UserInFlow, run_.state.CurrentTrial,
                   EnteredOrder(view_.entryText(Entry::Inflow)));
        StoreOrder(run_.state.UserOutFlow, run_.state.CurrentTrial,
                   EnteredOrder(view_.entryText(Entry::Outflow)));
        ClearFlowFlags(run_);
        Record(QStringLiteral("Submit Clicked"));
        if (!run_.setup.IsTimeDriven) EnvironmentDecision();
    }
    if (run_.setup.IsTimeDriven) processDecision();
}

void Cycle::OpenPeriod() {
    timers_.stop(Step::Timer2);
    run_.state.PeriodEndTime = run_.TimeOfDay();
    if (run_.state.CurrentTrial >= run_.setup.MaxTrial) return Finish();
    RecordTrialSummary();
    run_.state.EnvActionDone = false;
    environmentPhaseDue_ = true;
    run_.state.CurrentTrial += 1;
    run_.state.PeriodStartTime = run_.TimeOfDay();
    // A period without a Submit orders nothing.
    StoreOrder(run_.state.UserInFlow, run_.state.CurrentTrial, 0);
    StoreOrder(run_.state.UserOutFlow, run_.state.CurrentTrial, 0);
    view_.showPeriodNumber();
    // The period's one order; a Submit pressed as the clock opened it is that order.
    view_.setSubmitEnabled(!submitPending_);
    // Every period's due amounts act, whether or not the participant submits in it.
    processDecision();
}

// The pauses and movements

void Cycle::ClearEnvironmentPipes() {
    timers_.stop(Step::EnvDelay);
    if (CurrentEnvironmentRates(run_).acts) view_.clearEnvironmentAmounts();
    timers_.arm(Step::EnvMove, Pause(run_.setup.EnvMv));
}

void Cycle::EndEnvironmentPhase() {
    timers_.stop(Step::EnvMove);
    const EnvironmentRates rates = CurrentEnvironmentRates(run_);
    if (rates.acts) view_.clearEnvironmentDoors();
    if (!run_.setup.IsTimeDriven) return processDecision();
    CalCost(run_.state.AmountInTank);
    UpdateTrialAmount(run_);
    Record(QStringLiteral("After Cost Calculation"));
    environmentPhaseDue_ = false;
    NoteIfPeriodComplete();
    view_.showEnvironmentRates(Readout(run_, rates.in), Readout(run_, rates.out));
    view_.showPanel();
    timers_.arm(Step::Timer2, PeriodClockInterval(run_.setup.TimeBetweenEnvTries));
}

void Cycle::ApplyUserFlows() {
    timers_.stop(Step::UserDelay);
    const DueFlow in = ApplyInflow(run_);
    if (in.due) Record(QStringLiteral("User Inflow"));
    const DueFlow out = ApplyOutflow(run_);
    if (out.due) Record(QStringLiteral("User Outflow"));
    view_.showUserFlowsApplied(in, out);
    QuietCheck(run_);

    const UserPhaseTexts texts = UserPhaseReadouts(run_);
    view_.showEnvironmentRates(texts.envIn, texts.envOut);
    view_.showDueOrders(texts.userIn, texts.userOut);
    view_.showPanel();
    timers_.arm(Step::UserMove, Pause(run_.setup.UsrMv));
}

void Cycle::EndUserPhase() {
    timers_.stop(Step::UserMove);
    view_.clearUserDoors();
    CalCost(run_.state.AmountInTank);
    Record(QStringLiteral("After Cost Calculation"));
    userPhaseRunning_ = false;
    NoteIfPeriodComplete();

    // Time-driven, Submit waits for the next period (one order a period).
    if (!run_.setup.IsTimeDriven) view_.setSubmitEnabled(true);
    view_.setEntryEnabled(true);
    // Time-driven boxes keep what was typed until one of the participant's orders fell due.
    if (!run_.setup.IsTimeDriven || run_.state.UserFlowPending) {
        view_.setEntryText(Entry::Inflow, QStringLiteral("0"));
        view_.setEntryText(Entry::Outflow, QStringLiteral("0"));
    }
    ClearFlowFlags(run_);
    UpdateTrialAmount(run_);

    if (run_.setup.IsTimeDriven) {
        if (!run_.state.EnvActionDone) EnvironmentDecision();
    } else if (run_.state.CurrentTrial == run_.setup.MaxTrial) {
        Finish();
    }
}

}  // namespace period
