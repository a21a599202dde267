#pragma once
// A participant's run without a screen: the period cycle on a simulated clock, the two
// order boxes and Submit kept as plain values, nothing drawn. The run must be prepared as
// for the simulation screen (login, start-up loads, InitRun); creating the player does what
// the screen's load does. Players of different runs may be played in turn or side by side.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <utility>

#include "task/PeriodCycle.h"
#include "task/SimulatedClock.h"

namespace period {

class HeadlessPlayer : private CycleView {
  public:
    explicit HeadlessPlayer(Run& run);
    // The run's clock then reads `start` plus the simulated time, while the player lives.
    HeadlessPlayer(Run& run, const QDateTime& start);
    ~HeadlessPlayer() override;
    HeadlessPlayer(const HeadlessPlayer&) = delete;
    HeadlessPlayer& operator=(const HeadlessPlayer&) = delete;

    // Simulated milliseconds since the start.
    std::int64_t now() const { return clock_.now(); }
    bool ended() const { return ended_; }
    bool submitOffered() const { return submitOffered_; }
    // Whether a step's timer is running.
    bool armed(Step step) const { return clock_.armed(step); }
    // How many steps have run: timers that fired, Submits not counted.
    long stepsPlayed() const { return stepsPlayed_; }

    // Types into the order boxes (their whole text), as a participant would.
    void type(const QString& inflow, const QString& outflow);
    QString entryText(Entry box) const override;
    // Presses Submit; a press while it is not offered does nothing, as on the screen.
    void submit();

    // Plays the cycle's steps until done() holds, the run ends, or no step is armed.
    void playUntil(const std::function<bool()>& done);
    // Plays every step due up to `moment`, then moves the clock there.
    void playTo(std::int64_t moment);
    // Plays the run to its end (or until no step is armed).
    void playToEnd();

    // Called at every scoring, after the run record holds its outcome.
    void onScore(std::function<void(const Score&)> observer) {
        scoreObserver_ = std::move(observer);
    }

  private:
    void setEntryText(Entry box, const QString& text) override;
    void setEntryEnabled(bool enabled) override;
    void setSubmitEnabled(bool enabled) override;
    void showPeriodNumber() override {}
    void showUserFlowsDue(const DueFlow&, const DueFlow&) override {}
    void showUserFlowsApplied(const DueFlow&, const DueFlow&) override {}
    void clearUserDoors() override {}
    void showEnvironmentEffect(const EnvironmentEffect&) override {}
    void clearEnvironmentAmounts() override {}
    void clearEnvironmentDoors() override {}
    void showEnvironmentRates(const QString&, const QString&) override {}
    void showDueOrders(const QString&, const QString&) override {}
    void showPanel() override {}
    void showScore(const Score& score) override;
    void finishExperiment() override;

    bool FireNext();

    Run& run_;
    bool keepsRunClock_ = false;
    SimulatedClock clock_;
    Cycle cycle_;
    QString inflow_ = QStringLiteral("0");
    QString outflow_ = QStringLiteral("0");
    bool entryEnabled_ = true;
    bool submitOffered_ = true;
    bool ended_ = false;
    long stepsPlayed_ = 0;
    std::function<void(const Score&)> scoreObserver_;
};

}  // namespace period
