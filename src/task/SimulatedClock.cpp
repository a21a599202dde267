#include "task/SimulatedClock.h"

#include <algorithm>

namespace period {

void SimulatedClock::arm(Step step, int milliseconds) {
    armed_[step] = Due{now_ + std::max(milliseconds, 1), armings_++};
}

void SimulatedClock::stop(Step step) {
    armed_.erase(step);
}

bool SimulatedClock::armed(Step step) const {
    return armed_.count(step) != 0;
}

SimulatedClock::Armed::const_iterator SimulatedClock::Earliest() const {
    return std::min_element(armed_.begin(), armed_.end(), [](const auto& a, const auto& b) {
        return a.second.at != b.second.at ? a.second.at < b.second.at
                                          : a.second.order < b.second.order;
    });
}

std::optional<std::int64_t> SimulatedClock::nextDue() const {
    if (armed_.empty()) return std::nullopt;
    return Earliest()->second.at;
}

bool SimulatedClock::fireNext(const std::function<void(Step)>& fire) {
    if (armed_.empty()) return false;
    const auto earliest = Earliest();
    const Step step = earliest->first;
    now_ = std::max(now_, earliest->second.at);
    armed_.erase(earliest);
    fire(step);
    return true;
}

void SimulatedClock::advanceTo(std::int64_t moment) {
    now_ = std::max(now_, moment);
}

}  // namespace period
