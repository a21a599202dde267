#include "config/DelaySchedule.h"

#include <algorithm>

#include "core/RunRecord.h"
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

}  // namespace config
