#include <gtest/gtest.h>

#include <ostream>

#include "core/Rounding.h"

namespace {

struct RoundCase {
    double x;
    double factor;
    double expected;
};

std::ostream& operator<<(std::ostream& out, const RoundCase& c) {
    return out << c.x << " by " << c.factor;
}

class RoundHalfUpTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfUpTest, RoundsHalvesUpwards) {
    EXPECT_DOUBLE_EQ(RoundHalfUp(GetParam().x, GetParam().factor), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundHalfUpTest,
                         ::testing::Values(RoundCase{2.5, 1, 3}, RoundCase{-2.5, 1, -2},
                                           RoundCase{1.0625, 1000, 1.063},
                                           RoundCase{-1.0625, 1000, -1.062},
                                           RoundCase{0.0004999, 1000, 0}, RoundCase{0.4999, 1, 0},
                                           RoundCase{0.5, 1, 1}, RoundCase{44.9994, 1000, 44.999},
                                           RoundCase{44.9996, 1000, 45}));

class RoundAwayFromZeroTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundAwayFromZeroTest, RoundsAwayFromZero) {
    EXPECT_DOUBLE_EQ(RoundAwayFromZero(GetParam().x, GetParam().factor), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundAwayFromZeroTest,
                         ::testing::Values(RoundCase{12.3, 1, 13}, RoundCase{12, 1, 12},
                                           RoundCase{-2.5, 1, -3}, RoundCase{12.01, 1, 13},
                                           RoundCase{0, 1, 0}, RoundCase{-3, 1, -3}));

}  // namespace
