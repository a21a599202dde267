#include "simulation/PeriodCycle.h"

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

void ClearFlowFlags() {
    RunState.IsEnvInFlow = false;
    RunState.IsEnvOutFlow = false;
    RunState.IsUserInFlow = false;
    RunState.IsUserOutFlow = false;
}

}  // namespace

Cycle::Cycle(CycleView& view, StepTimers& timers) : view_(view), timers_(timers) {}

void Cycle::Begin() {
    if (RunState.CurrentTrial == 0) RunState.AmountInTank = ExperimentSetup.InitialAmountInTank;
    // A continued run starts at the end of its last complete period.
    RunState.LastCompletePeriod = RunState.CurrentTrial;
    RunState.PeriodStartTime = runtime::TimeOfDay();
    if (!ExperimentSetup.IsTimeDriven) return;
    timers_.arm(Step::Timer2, PeriodClockInterval(ExperimentSetup.TimeBetweenEnvTries));
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
    RunState.EventID += 1;
    RecordEvent(eventType);
}

// Called once a closing row is recorded: what a database failure says is kept.
void Cycle::NoteIfPeriodComplete() {
    if (!userPhaseRunning_ && !environmentPhaseDue_ && !submitPending_)
        RunState.LastCompletePeriod = RunState.CurrentTrial;
}

void Cycle::RecordTrialSummary() {
    ::RecordTrialSummary(view_.entryText(Entry::Inflow), view_.entryText(Entry::Outflow));
}

// The earnings message ends the program; no step may run or record behind it.
void Cycle::Finish() {
    StopTimers();
    view_.finishExperiment();
}

// The period's phases

void Cycle::processDecision() {
    UpdateDelays();
    userPhaseRunning_ = true;
    // Written at the start of every user phase, whether or not a flow falls due.
    Record(QStringLiteral("No User Effect"));
    const DueFlow in = AnnounceInflow();
    const DueFlow out = AnnounceOutflow();
    view_.showUserFlowsDue(in, out);
    QuietCheck();

    if (!ExperimentSetup.IsTimeDriven) view_.setSubmitEnabled(false);
    timers_.arm(Step::UserDelay, Pause(ExperimentSetup.userDelay));
}

void Cycle::EnvironmentDecision() {
    const EnvironmentEffect effect = ApplyEnvironment();
    view_.showEnvironmentEffect(effect);
    if (effect.acts) Record(QStringLiteral("Environment Effect"));

    if (!ExperimentSetup.IsTimeDriven) view_.setSubmitEnabled(false);
    timers_.arm(Step::EnvDelay, Pause(ExperimentSetup.envDelay));
    RunState.EnvActionDone = true;
}

void Cycle::CalCost(double& amount) {
    view_.showScore(ScorePeriod(amount));
}

// Submit and the period clock

void Cycle::Submit() {
    view_.setSubmitEnabled(false);
    submitPending_ = true;
    RunState.SubmitTime = runtime::TimeOfDay();
    if (!ExperimentSetup.IsTimeDriven) {
        RunState.PeriodEndTime = runtime::TimeOfDay();
        RecordSubmitTime();
        RecordTrialSummary();
    } else {
        RecordSubmitTime();
    }
    // The rest runs once the click has been handled.
    timers_.arm(Step::Timer1, 1);
}

void Cycle::StoreOrders() {
    timers_.stop(Step::Timer1);
    submitPending_ = false;
    if (RunState.CurrentTrial < ExperimentSetup.MaxTrial) {
        RunState.PeriodStartTime = runtime::TimeOfDay();
        if (!ExperimentSetup.IsTimeDriven) {
            RunState.CurrentTrial += 1;
            view_.showPeriodNumber();
        }
        view_.setEntryEnabled(false);
        for (const Entry box : {Entry::Inflow, Entry::Outflow}) {
            if (view_.entryText(box).isEmpty()) view_.setEntryText(box, QStringLiteral("0"));
        }
        StoreOrder(RunState.UserInFlow, RunState.CurrentTrial,
                   EnteredOrder(view_.entryText(Entry::Inflow)));
        StoreOrder(RunState.UserOutFlow, RunState.CurrentTrial,
                   EnteredOrder(view_.entryText(Entry::Outflow)));
        ClearFlowFlags();
        Record(QStringLiteral("Submit Clicked"));
        if (!ExperimentSetup.IsTimeDriven) EnvironmentDecision();
    }
    if (ExperimentSetup.IsTimeDriven) processDecision();
}

void Cycle::OpenPeriod() {
    timers_.stop(Step::Timer2);
    RunState.PeriodEndTime = runtime::TimeOfDay();
    if (RunState.CurrentTrial >= ExperimentSetup.MaxTrial) return Finish();
    RecordTrialSummary();
    RunState.EnvActionDone = false;
    environmentPhaseDue_ = true;
    RunState.CurrentTrial += 1;
    RunState.PeriodStartTime = runtime::TimeOfDay();
    // A period without a Submit orders nothing.
    StoreOrder(RunState.UserInFlow, RunState.CurrentTrial, 0);
    StoreOrder(RunState.UserOutFlow, RunState.CurrentTrial, 0);
    view_.showPeriodNumber();
    // The period's one order; a Submit pressed as the clock opened it is that order.
    view_.setSubmitEnabled(!submitPending_);
    // Every period's due amounts act, whether or not the participant submits in it.
    processDecision();
}

// The pauses and movements

void Cycle::ClearEnvironmentPipes() {
    timers_.stop(Step::EnvDelay);
    if (CurrentEnvironmentRates().acts) view_.clearEnvironmentAmounts();
    timers_.arm(Step::EnvMove, Pause(ExperimentSetup.EnvMv));
}

void Cycle::EndEnvironmentPhase() {
    timers_.stop(Step::EnvMove);
    const EnvironmentRates rates = CurrentEnvironmentRates();
    if (rates.acts) view_.clearEnvironmentDoors();
    if (!ExperimentSetup.IsTimeDriven) return processDecision();
    CalCost(RunState.AmountInTank);
    UpdateTrialAmount();
    Record(QStringLiteral("After Cost Calculation"));
    environmentPhaseDue_ = false;
    NoteIfPeriodComplete();
    view_.showEnvironmentRates(Readout(rates.in), Readout(rates.out));
    view_.showPanel();
    timers_.arm(Step::Timer2, PeriodClockInterval(ExperimentSetup.TimeBetweenEnvTries));
}

void Cycle::ApplyUserFlows() {
    timers_.stop(Step::UserDelay);
    const DueFlow in = ApplyInflow();
    if (in.due) Record(QStringLiteral("User Inflow"));
    const DueFlow out = ApplyOutflow();
    if (out.due) Record(QStringLiteral("User Outflow"));
    view_.showUserFlowsApplied(in, out);
    QuietCheck();

    const UserPhaseTexts texts = UserPhaseReadouts();
    view_.showEnvironmentRates(texts.envIn, texts.envOut);
    view_.showDueOrders(texts.userIn, texts.userOut);
    view_.showPanel();
    timers_.arm(Step::UserMove, Pause(ExperimentSetup.UsrMv));
}

void Cycle::EndUserPhase() {
    timers_.stop(Step::UserMove);
    view_.clearUserDoors();
    CalCost(RunState.AmountInTank);
    Record(QStringLiteral("After Cost Calculation"));
    userPhaseRunning_ = false;
    NoteIfPeriodComplete();

    // Time-driven, Submit waits for the next period (one order a period).
    if (!ExperimentSetup.IsTimeDriven) view_.setSubmitEnabled(true);
    view_.setEntryEnabled(true);
    // Time-driven boxes keep what was typed until one of the participant's orders fell due.
    if (!ExperimentSetup.IsTimeDriven || RunState.UserFlowPending) {
        view_.setEntryText(Entry::Inflow, QStringLiteral("0"));
        view_.setEntryText(Entry::Outflow, QStringLiteral("0"));
    }
    ClearFlowFlags();
    UpdateTrialAmount();

    if (ExperimentSetup.IsTimeDriven) {
        if (!RunState.EnvActionDone) EnvironmentDecision();
    } else if (RunState.CurrentTrial == ExperimentSetup.MaxTrial) {
        Finish();
    }
}

}  // namespace period
