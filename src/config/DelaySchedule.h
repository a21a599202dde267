#pragma once
// The delay schedule: the last period of each delay segment, as a running sum of the
// segment lengths rounded to whole periods.

#include <cstdint>
#include <vector>

namespace config {

// Ends of the first `count` segments of `lengths`, in an array sized 0..upperBound (the
// elements after the last segment stay 0). Each end is the previous end plus the segment's
// length, rounded to the nearest whole number with halves to even: lengths 2.5, 2.5 give
// ends 2, 4. The rule book refuses more segments than the array holds and ends beyond 16
// bits before a schedule is built.
std::vector<std::int16_t> DelayEnds(const std::vector<double>& lengths, int count, int upperBound);

// The delay in force in `period`, `delay` being the one before it: a period that ends one of
// the first `count` segments takes the next segment's value (values[i + 1], rounded), except
// the last period; a later matching segment overrides an earlier one.
std::int16_t DelayIn(long period, long maxTrial, std::int16_t delay, int count,
                     const std::vector<std::int16_t>& ends, const std::vector<double>& values);

}  // namespace config
