#include "config/DelaySchedule.h"

#include <algorithm>

#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "runtime/NumberText.h"

namespace config {

std::vector<std::int16_t> DelayEnds(const std::vector<double>& lengths, int count, int upperBound) {
    std::vector<std::int16_t> ends;
    SizeArray(ends, upperBound);
    const int fitting = std::min(count, static_cast<int>(ends.size()));
    double previousEnd = 0;
    for (int i = 0; i < fitting; ++i) {
        const double end = runtime::RoundHalfEven(previousEnd + lengths[i]);
        ends[i] = runtime::ToInt16(end);
        previousEnd = end;
    }
    return ends;
}

std::int16_t DelayIn(long period, long maxTrial, std::int16_t delay, int count,
                     const std::vector<std::int16_t>& ends, const std::vector<double>& values) {
    for (long i = 0; i < count; ++i) {
        if (!HasElement(ends, i) || !HasElement(values, i + 1)) continue;
        if (period == ends[static_cast<std::size_t>(i)] && period != maxTrial) {
            delay = runtime::ToInt16(values[static_cast<std::size_t>(i) + 1]);
        }
    }
    return delay;
}

}  // namespace config
