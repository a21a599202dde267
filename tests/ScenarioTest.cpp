#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "config/Scenarios.h"
#include "core/RunRecord.h"
#include "tests/support/OpenWrite.h"
#include "tests/support/TempDatabase.h"

namespace {

class ScenarioTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override {
        run.session.databasePath = database.path();
        run.setup.ScenarioUsed = 3;
        run.setup.DelayScenario = 2;
        run.setup.MaxNumberOfAScenarioType = 5;
    }
    void TearDown() override { EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open"; }

    void addRate(int scenario, const char* trial, const char* in, const char* out) {
        database.execute(QStringLiteral("INSERT INTO tblScenarios (Scenario, Trial, "
                                        "inFlowRateEnviron, outFlowRateEnviron) VALUES "
                                        "(%1, %2, %3, %4)")
                             .arg(scenario)
                             .arg(trial, in, out));
    }
    void addSegment(int scenario, const char* inValue, const char* inLength, const char* outValue,
                    const char* outLength) {
        database.execute(QStringLiteral("INSERT INTO tblDelayScenarios (DelayScenario, "
                                        "inflowDelayValue, inflowDelayLength, outflowDelayValue, "
                                        "outflowDelayLength) VALUES (%1, %2, %3, %4, %5)")
                             .arg(scenario)
                             .arg(inValue, inLength, outValue, outLength));
    }

    // Runs `load`; the message of the ConfigError, or empty when it loaded.
    template <typename Load>
    static QString messageOf(Load load) {
        try {
            load();
            return QString();
        } catch (const ConfigError& error) {
            return error.message();
        }
    }

    TempDatabase database;
};

using Rates = std::vector<double>;
using Ends = std::vector<std::int16_t>;

TEST_F(ScenarioTest, PeriodsWithoutARowHaveRateZero) {
    addRate(3, "1", "2", "0.5");
    addRate(3, "4", "3", "1");
    addRate(4, "2", "9", "9");  // another scenario
    LoadScenario(run);
    EXPECT_EQ(run.state.EnvInFlow, (Rates{0, 2, 0, 0, 3, 0, 0}));
    EXPECT_EQ(run.state.EnvOutFlow, (Rates{0, 0.5, 0, 0, 1, 0, 0}));
}

TEST_F(ScenarioTest, ALaterRowForTheSameTrialWins) {
    addRate(3, "2", "1", "1");
    addRate(3, "2", "7", "8");
    LoadScenario(run);
    EXPECT_EQ(run.state.EnvInFlow[2], 7);
    EXPECT_EQ(run.state.EnvOutFlow[2], 8);
}

TEST_F(ScenarioTest, TrialIsRoundedHalfToEvenAndMayUseBothEnds) {
    addRate(3, "0", "4", "4");
    addRate(3, "2.5", "5", "5");
    addRate(3, "6", "6", "6");
    LoadScenario(run);
    EXPECT_EQ(run.state.EnvInFlow, (Rates{4, 0, 5, 0, 0, 0, 6}));
}

struct ScenarioErrorCase {
    const char* name;
    const char* trial;
    const char* in;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const ScenarioErrorCase& c) {
    return out << c.name;
}

class ScenarioErrorTest : public ScenarioTest,
                          public ::testing::WithParamInterface<ScenarioErrorCase> {};

TEST_P(ScenarioErrorTest, StopsWithAMessageAndKeepsTheEarlierRates) {
    run.state.EnvInFlow = {1, 2};
    addRate(3, "1", "2", "0.5");
    addRate(3, GetParam().trial, GetParam().in, "0");
    EXPECT_EQ(messageOf([&] { LoadScenario(run); }), GetParam().message);
    EXPECT_EQ(run.state.EnvInFlow, (Rates{1, 2}));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ScenarioErrorTest,
    ::testing::Values(
        ScenarioErrorCase{"TrialAboveTheArrays", "7", "1",
                          "Environment scenario 3 in tblScenarios: Trial is 7, outside the range "
                          "0 to 6 (MaxNumberOfAScenarioType + 1)."},
        ScenarioErrorCase{"NegativeTrial", "-1", "1",
                          "Environment scenario 3 in tblScenarios: Trial is -1, outside the "
                          "range 0 to 6 (MaxNumberOfAScenarioType + 1)."},
        ScenarioErrorCase{"NullTrial", "NULL", "1",
                          "Environment scenario 3 in tblScenarios: Trial is empty; it must hold "
                          "a number."},
        ScenarioErrorCase{"NullRate", "2", "NULL",
                          "Environment scenario 3 in tblScenarios, Trial 2: inFlowRateEnviron is "
                          "empty; it must hold a number."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScenarioTest, AScenarioWithoutRowsIsNamed) {
    addRate(4, "1", "1", "1");
    EXPECT_EQ(messageOf([&] { LoadScenario(run); }),
              "Environment scenario 3 has no rows in tblScenarios.");
}

TEST_F(ScenarioTest, WorkedExampleOfTheDelaySchedule) {
    addSegment(2, "2", "10", "3", "12");
    addSegment(2, "4", "5", "1", "6");
    addSegment(2, "1", "15", "2", "2");
    run.setup.MaxNumberOfAScenarioType = 4;
    LoadDelayScenario(run);
    BuildDelaySchedule(run);

    EXPECT_EQ(run.state.InflowDelayCount, 3);
    EXPECT_EQ(run.state.OutflowDelayCount, 3);
    EXPECT_EQ(run.state.InflowDelayValue, (Rates{2, 4, 1, 0}));
    EXPECT_EQ(run.state.InflowDelayLength, (Rates{10, 5, 15, 0}));
    EXPECT_EQ(run.state.OutflowDelayValue, (Rates{3, 1, 2, 0}));
    EXPECT_EQ(run.state.OutflowDelayLength, (Rates{12, 6, 2, 0}));
    EXPECT_EQ(run.state.UserInflowTP, 2);
    EXPECT_EQ(run.state.UserOutflowTP, 3);
    EXPECT_EQ(run.state.InflowDelayEnd, (Ends{10, 15, 30, 0, 0}));
    EXPECT_EQ(run.state.OutflowDelayEnd, (Ends{12, 18, 20, 0, 0}));
}

TEST_F(ScenarioTest, SegmentsKeepTheOrderOfTheRows) {
    addSegment(2, "5", "1", "5", "1");
    addSegment(2, "3", "1", "3", "1");
    addSegment(2, "4", "1", "4", "1");
    LoadDelayScenario(run);
    EXPECT_EQ(run.state.InflowDelayValue, (Rates{5, 3, 4, 0}));
}

// The order is the SegmentNumber's, whatever order the rows were stored in; segments without
// a number come last, in stored order.
TEST_F(ScenarioTest, SegmentsFollowTheirSegmentNumber) {
    for (const char* segment : {"(2, 5, 1, 5, 1, 3)", "(2, 7, 1, 7, 1, NULL)", "(2, 3, 1, 6, 1, 1)",
                                "(2, 4, 1, 4, 1, 2)", "(2, 8, 1, 8, 1, NULL)"})
        database.execute(QStringLiteral("INSERT INTO tblDelayScenarios (DelayScenario, "
                                        "inflowDelayValue, inflowDelayLength, outflowDelayValue, "
                                        "outflowDelayLength, SegmentNumber) VALUES %1")
                             .arg(segment));
    LoadDelayScenario(run);
    EXPECT_EQ(run.state.InflowDelayValue, (Rates{3, 4, 5, 7, 8, 0}));
    EXPECT_EQ(run.state.OutflowDelayValue, (Rates{6, 4, 5, 7, 8, 0}));
    EXPECT_EQ(run.state.UserOutflowTP, 6);
}

// Files made before SegmentNumber existed keep working: their segments are in stored order.
TEST_F(ScenarioTest, AFileWithoutSegmentNumbersTakesTheStoredOrder) {
    database.execute(QStringLiteral(
        "DROP TABLE tblDelayScenarios; CREATE TABLE tblDelayScenarios (DelayScenario INTEGER, "
        "inflowDelayValue DOUBLE, inflowDelayLength DOUBLE, outflowDelayValue DOUBLE, "
        "outflowDelayLength DOUBLE)"));
    addSegment(2, "5", "1", "5", "1");
    addSegment(2, "3", "1", "3", "1");
    LoadDelayScenario(run);
    EXPECT_EQ(run.state.InflowDelayValue, (Rates{5, 3, 0}));
}

TEST_F(ScenarioTest, StartingDelayAndEndsRoundHalvesToEven) {
    addSegment(2, "2.5", "2.5", "3.5", "2.5");
    addSegment(2, "1", "2.5", "1", "2.5");
    LoadDelayScenario(run);
    BuildDelaySchedule(run);
    EXPECT_EQ(run.state.UserInflowTP, 2);
    EXPECT_EQ(run.state.UserOutflowTP, 4);
    EXPECT_EQ(run.state.InflowDelayEnd, (Ends{2, 4, 0, 0, 0, 0}));
}

TEST_F(ScenarioTest, LoadingAgainStartsFromScratch) {
    for (int i = 0; i < 4; ++i) addSegment(2, "3", "2", "3", "2");
    addSegment(7, "1", "4", "2", "4");
    LoadDelayScenario(run);
    BuildDelaySchedule(run);

    run.setup.DelayScenario = 7;
    LoadDelayScenario(run);
    BuildDelaySchedule(run);
    EXPECT_EQ(run.state.InflowDelayCount, 1);
    EXPECT_EQ(run.state.InflowDelayValue, (Rates{1, 0}));
    EXPECT_EQ(run.state.InflowDelayEnd, (Ends{4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(run.state.UserOutflowTP, 2);
}

struct DelayErrorCase {
    const char* name;
    int rows;
    const char* inValue;
    const char* outLength;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const DelayErrorCase& c) {
    return out << c.name;
}

class DelayErrorTest : public ScenarioTest, public ::testing::WithParamInterface<DelayErrorCase> {};

TEST_P(DelayErrorTest, StopsWithAMessageAndKeepsTheEarlierDelays) {
    run.state.InflowDelayCount = 1;
    run.state.InflowDelayValue = {9, 0};
    run.state.UserInflowTP = 9;
    for (int i = 0; i < GetParam().rows; ++i) {
        addSegment(2, GetParam().inValue, "3", "1", GetParam().outLength);
    }
    EXPECT_EQ(messageOf([&] { LoadDelayScenario(run); }), GetParam().message);
    EXPECT_EQ(run.state.InflowDelayCount, 1);
    EXPECT_EQ(run.state.InflowDelayValue, (Rates{9, 0}));
    EXPECT_EQ(run.state.UserInflowTP, 9);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DelayErrorTest,
    ::testing::Values(
        DelayErrorCase{"NoRows", 0, "1", "1", "Delay scenario 2 has no rows in tblDelayScenarios."},
        DelayErrorCase{"MoreSegmentsThanTheSchedule", 7, "1", "1",
                       "Delay scenario 2 in tblDelayScenarios has 7 segments, more than the 6 "
                       "that MaxNumberOfAScenarioType (5) allows."},
        DelayErrorCase{"NullLength", 2, "1", "NULL",
                       "Delay scenario 2 in tblDelayScenarios, segment 1: outflowDelayLength is "
                       "empty; it must hold a number."},
        DelayErrorCase{"NegativeDelay", 1, "-1", "1",
                       "Delay scenario 2 in tblDelayScenarios, segment 1: inflowDelayValue is -1, "
                       "outside the range 1 to 32767."},
        DelayErrorCase{"ZeroDelay", 1, "0", "1",
                       "Delay scenario 2 in tblDelayScenarios, segment 1: inflowDelayValue is 0, "
                       "outside the range 1 to 32767."},
        DelayErrorCase{"DelayBeyondSixteenBits", 1, "40000", "1",
                       "Delay scenario 2 in tblDelayScenarios, segment 1: inflowDelayValue is "
                       "40000, outside the range 1 to 32767."},
        DelayErrorCase{"NegativeLength", 1, "1", "-2",
                       "Delay scenario 2 in tblDelayScenarios, segment 1: outflowDelayLength is "
                       "-2, outside the range 0 to 32767."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScenarioTest, AScheduleBeyondSixteenBitsIsRefusedAndKeepsTheEarlierEnds) {
    const QString beyond =
        "Delay scenario 2 in tblDelayScenarios: the end of segment 2 (running sum of "
        "inflowDelayLength) is 60000, outside the range -32768 to 32767.";
    addSegment(2, "1", "30000", "1", "1");
    addSegment(2, "1", "30000", "1", "1");
    run.state.InflowDelayEnd = {1};
    run.state.OutflowDelayEnd = {1};
    EXPECT_EQ(messageOf([&] { LoadDelayScenario(run); }), beyond);
    // Segments that reach the schedule another way are judged the same.
    run.state.InflowDelayCount = run.state.OutflowDelayCount = 2;
    run.state.InflowDelayValue = run.state.OutflowDelayValue = {1, 1, 0};
    run.state.InflowDelayLength = {30000, 30000, 0};
    run.state.OutflowDelayLength = {1, 1, 0};
    EXPECT_EQ(messageOf([&] { BuildDelaySchedule(run); }), beyond);
    EXPECT_EQ(run.state.InflowDelayEnd, (Ends{1}));
    EXPECT_EQ(run.state.OutflowDelayEnd, (Ends{1}));
}

}  // namespace
