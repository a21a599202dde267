#include "config/DelaySchedule.h"

#include <limits>

#include "config/ConfigError.h"
#include "config/ReadRules.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"

namespace config {

void RequireSegmentsFit(int count, int upperBound, const QString& where) {
    if (count <= upperBound + 1) return;
    throw ConfigError(
        QStringLiteral("%1 has %2 segments, more than the %3 that MaxNumberOfAScenarioType "
                       "(%4) allows.")
            .arg(where)
            .arg(count)
            .arg(upperBound + 1)
            .arg(upperBound));
}

std::vector<std::int16_t> DelayEnds(const std::vector<double>& lengths, int count, int upperBound,
                                    const QString& column, const QString& where) {
    RequireSegmentsFit(count, upperBound, where);
    std::vector<std::int16_t> ends;
    SizeArray(ends, upperBound);
    double previousEnd = 0;
    for (int i = 0; i < count; ++i) {
        const double end = runtime::RoundHalfEven(previousEnd + lengths[i]);
        RequireRange(
            end, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max(),
            QStringLiteral("the end of segment %1 (running sum of %2)").arg(i + 1).arg(column),
            where);
        ends[i] = runtime::ToInt16(end);
        previousEnd = end;
    }
    return ends;
}

}  // namespace config
