#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "config/DelaySchedule.h"

namespace {

std::vector<std::int16_t> Ends(const std::vector<double>& lengths, int upperBound) {
    // The loaded arrays carry one element more than the segments: the 0 after the last.
    std::vector<double> withTail = lengths;
    withTail.push_back(0);
    return config::DelayEnds(withTail, static_cast<int>(lengths.size()), upperBound);
}

TEST(DelayEndsTest, RunningSumOfTheWorkedExample) {
    EXPECT_EQ(Ends({10, 5, 15}, 5), (std::vector<std::int16_t>{10, 15, 30, 0, 0, 0}));
}

TEST(DelayEndsTest, FractionsAreCarriedBeforeRoundingHalvesToEven) {
    EXPECT_EQ(Ends({2.5, 2.5}, 2), (std::vector<std::int16_t>{2, 4, 0}));
    EXPECT_EQ(Ends({1.5, 1.5, 0.5}, 2), (std::vector<std::int16_t>{2, 4, 4}));
}

TEST(DelayEndsTest, NoSegmentsGiveAnAllZeroSchedule) {
    EXPECT_EQ(config::DelayEnds({}, 0, 3), (std::vector<std::int16_t>(4, 0)));
}

TEST(DelayEndsTest, AsManySegmentsAsTheScheduleHoldsFit) {
    EXPECT_EQ(Ends({1, 1, 1}, 2), (std::vector<std::int16_t>{1, 2, 3}));
}

}  // namespace
