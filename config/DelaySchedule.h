#pragma once
// The delay schedule: the last period of each delay segment, as a running sum of the
// segment lengths rounded to whole periods.

#include <QString>
#include <cstdint>
#include <vector>

namespace config {

// Ends of the first `count` segments of `lengths`, in an array sized 0..upperBound (the
// elements after the last segment stay 0). Each end is the previous end plus the segment's
// length, rounded to the nearest whole number with halves to even: lengths 2.5, 2.5 give
// ends 2, 4. More segments than upperBound + 1, or an end outside 16 bits, raise a
// ConfigError naming `where` and `column` (the length column).
std::vector<std::int16_t> DelayEnds(const std::vector<double>& lengths, int count, int upperBound,
                                    const QString& column, const QString& where);

// The raise for a delay scenario with more segments than the schedule holds.
void RequireSegmentsFit(int count, int upperBound, const QString& where);

}  // namespace config
