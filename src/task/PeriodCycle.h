#pragma once
// The period cycle apart from any screen: the order of a period's steps in both pacing
// modes, chained by six one-shot timers. Every step first stops its own timer, does its
// work on the run record (the period model, the recordings), arms the timer of the next
// step and returns; what a step shows goes to a view. The simulation screen runs the
// cycle on its real timers and draws what it is told; a headless player runs it on a
// simulated clock and shows nothing.

#include <QString>

#include "core/RunRecord.h"
#include "task/PeriodModel.h"

namespace period {

// The six one-shot timers of the cycle.
enum class Step { Timer1, Timer2, UserDelay, UserMove, EnvDelay, EnvMove };
inline constexpr Step kAllSteps[] = {Step::Timer1,   Step::Timer2,   Step::UserDelay,
                                     Step::UserMove, Step::EnvDelay, Step::EnvMove};

// Where the steps' timers run.
class StepTimers {
  public:
    virtual ~StepTimers() = default;
    // Interval first, then enabled: re-arming a running timer restarts its countdown.
    virtual void arm(Step step, int milliseconds) = 0;
    virtual void stop(Step step) = 0;
};

enum class Entry { Inflow, Outflow };

// What the cycle reads from and shows to the participant.
class CycleView {
  public:
    virtual ~CycleView() = default;

    // The two order boxes and Submit.
    virtual QString entryText(Entry box) const = 0;
    virtual void setEntryText(Entry box, const QString& text) = 0;
    virtual void setEntryEnabled(bool enabled) = 0;
    virtual void setSubmitEnabled(bool enabled) = 0;
    virtual void showPeriodNumber() = 0;

    // The user phase: what falls due (pipes, amounts beside them, doors), then what acted.
    virtual void showUserFlowsDue(const DueFlow& in, const DueFlow& out) = 0;
    virtual void showUserFlowsApplied(const DueFlow& in, const DueFlow& out) = 0;
    virtual void clearUserDoors() = 0;
    // The environment phase; the amounts beside the pipes go first, the doors last.
    virtual void showEnvironmentEffect(const EnvironmentEffect& effect) = 0;
    virtual void clearEnvironmentAmounts() = 0;
    virtual void clearEnvironmentDoors() = 0;

    // Read-outs: the environment's rates, the participant's due orders, the panel (goal,
    // amount, order totals), the money.
    virtual void showEnvironmentRates(const QString& in, const QString& out) = 0;
    virtual void showDueOrders(const QString& in, const QString& out) = 0;
    virtual void showPanel() = 0;
    virtual void showScore(const Score& score) = 0;

    // The earnings message. The screen ends the program there; a headless view returns,
    // and the cycle then does nothing more.
    virtual void finishExperiment() = 0;
};

class Cycle {
  public:
    Cycle(Run& run, CycleView& view, StepTimers& timers);

    // At the screen's load, once the tank's scale is placed: a fresh run starts with the
    // initial amount, the time-driven clock starts, and a time-driven run offers Submit once
    // the clock has opened a period, then once a period.
    void Begin();

    // The steps, one per timer, and the Submit press.
    void Submit();
    void StoreOrders();            // Timer1
    void OpenPeriod();             // Timer2
    void ApplyUserFlows();         // tmrUserDelay
    void EndUserPhase();           // tmrUserMv
    void ClearEnvironmentPipes();  // tmrEnvDelay
    void EndEnvironmentPhase();    // tmrEnvMv
    void Fire(Step step);          // the step whose timer fired

    // The phases the steps start, and the scoring.
    void processDecision();
    void EnvironmentDecision();
    void CalCost(double& amount);

    void StopTimers();

  private:
    void Record(const QString& eventType);
    void RecordTrialSummary();
    void Finish();

    void NoteIfPeriodComplete();

    Run& run_;
    CycleView& view_;
    StepTimers& timers_;
    bool submitPending_ = false;  // pressed, its orders not yet taken
    bool userPhaseRunning_ = false;
    bool environmentPhaseDue_ = false;  // time-driven: the period's own phase, not yet scored
};

}  // namespace period
