#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "config/ConfigError.h"
#include "config/DelaySchedule.h"

namespace {

const QString kWhere = QStringLiteral("Delay scenario 2 in tblDelayScenarios");
const QString kColumn = QStringLiteral("inflowDelayLength");

std::vector<std::int16_t> Ends(const std::vector<double>& lengths, int upperBound) {
    // The loaded arrays carry one element more than the segments: the 0 after the last.
    std::vector<double> withTail = lengths;
    withTail.push_back(0);
    return config::DelayEnds(withTail, static_cast<int>(lengths.size()), upperBound, kColumn,
                             kWhere);
}

TEST(DelayEndsTest, RunningSumOfTheWorkedExample) {
    EXPECT_EQ(Ends({10, 5, 15}, 5), (std::vector<std::int16_t>{10, 15, 30, 0, 0, 0}));
}

TEST(DelayEndsTest, FractionsAreCarriedBeforeRoundingHalvesToEven) {
    EXPECT_EQ(Ends({2.5, 2.5}, 2), (std::vector<std::int16_t>{2, 4, 0}));
    EXPECT_EQ(Ends({1.5, 1.5, 0.5}, 2), (std::vector<std::int16_t>{2, 4, 4}));
}

TEST(DelayEndsTest, NoSegmentsGiveAnAllZeroSchedule) {
    EXPECT_EQ(config::DelayEnds({}, 0, 3, kColumn, kWhere), (std::vector<std::int16_t>(4, 0)));
}

TEST(DelayEndsTest, AsManySegmentsAsTheScheduleHoldsFit) {
    EXPECT_EQ(Ends({1, 1, 1}, 2), (std::vector<std::int16_t>{1, 2, 3}));
}

TEST(DelayEndsTest, MoreSegmentsThanTheScheduleHoldsAreRefused) {
    try {
        Ends({1, 1, 1, 1}, 2);
        FAIL() << "four segments fitted into three";
    } catch (const ConfigError& error) {
        EXPECT_EQ(error.message(),
                  "Delay scenario 2 in tblDelayScenarios has 4 segments, more than the 3 that "
                  "MaxNumberOfAScenarioType (2) allows.");
    }
}

TEST(DelayEndsTest, AnEndBeyondSixteenBitsIsRefused) {
    try {
        Ends({30000, 30000}, 3);
        FAIL() << "an end of 60000 was accepted";
    } catch (const ConfigError& error) {
        EXPECT_EQ(error.message(),
                  "Delay scenario 2 in tblDelayScenarios: the end of segment 2 (running sum of "
                  "inflowDelayLength) is 60000, outside the range -32768 to 32767.");
    }
}

}  // namespace
