#pragma once
// The cycle's timers on simulated milliseconds: an event queue that jumps from one armed
// step to the next, so a run of many periods plays in the time its computations take.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "task/PeriodCycle.h"

namespace period {

class SimulatedClock : public StepTimers {
  public:
    void arm(Step step, int milliseconds) override;
    void stop(Step step) override;

    bool armed(Step step) const;
    std::int64_t now() const { return now_; }
    // When the earliest armed step is due; nothing when no step is armed.
    std::optional<std::int64_t> nextDue() const;
    // Moves the clock to the earliest armed step, disarms it and hands it to fire. Steps
    // due at the same moment go in the order they were armed. False when none is armed.
    bool fireNext(const std::function<void(Step)>& fire);
    // Moves the clock forward to `moment` (never back) without firing anything.
    void advanceTo(std::int64_t moment);

  private:
    struct Due {
        std::int64_t at;
        std::uint64_t order;
    };
    using Armed = std::map<Step, Due>;
    Armed::const_iterator Earliest() const;

    Armed armed_;
    std::int64_t now_ = 0;
    std::uint64_t armings_ = 0;
};

}  // namespace period
