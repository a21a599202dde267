// The arithmetic of one period: due orders and delays, the order totals, the environment's
// effect, the bonus rules and the read-out texts.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/RunRecord.h"
#include "runtime/Clock.h"
#include "task/PeriodModel.h"

namespace {

using Due = std::optional<double>;  // the amount applied in a period, or nothing due

struct DelayCase;

class PeriodModelTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    // Also called within a test for a fresh run.
    void SetUp() override {
        run = ::Run{};
        run.setup.MaxTrial = 10;
        run.setup.AfterEveryNTrials = 1;
        run.setup.MaxNumberOfAScenarioType = 10;
        run.setup.simTimeForTP = 1;
        for (auto* array : {&run.state.BackOrder, &run.state.ForwardDischarge,
                            &run.state.UserInFlow, &run.state.UserOutFlow}) {
            SizeArray(*array, run.setup.MaxTrial + 1);
        }
        SizeArray(run.state.EnvInFlow, run.setup.MaxNumberOfAScenarioType + 1);
        SizeArray(run.state.EnvOutFlow, run.setup.MaxNumberOfAScenarioType + 1);
        run.state.UserInflowTP = 1;
        run.state.UserOutflowTP = 1;
    }

    // An inflow schedule: a segment ends at each of `ends`; values has one more element (0).
    void InflowSchedule(const std::vector<std::int16_t>& ends, const std::vector<double>& values) {
        run.state.InflowDelayCount = static_cast<std::int16_t>(ends.size());
        run.state.InflowDelayEnd = ends;
        run.state.InflowDelayValue = values;
    }

    // Each case from a fresh run record: what its user phases apply, period by period.
    void ExpectApplied(const std::vector<DelayCase>& cases, bool timeDriven);

    // Runs the user phases of periods 1..orders.size() with the given inflow orders and
    // returns what was applied to the tank in each period.
    std::vector<Due> RunUserPhases(const std::vector<double>& orders) {
        std::vector<Due> applied;
        for (std::size_t i = 0; i < orders.size(); ++i) {
            run.state.CurrentTrial = static_cast<std::int32_t>(i + 1);
            run.state.UserInFlow[i + 1] = orders[i];
            period::UpdateDelays(run);
            const double before = run.state.AmountInTank;
            const period::DueFlow announced = period::AnnounceInflow(run);
            const period::DueFlow flow = period::ApplyInflow(run);
            EXPECT_EQ(announced.due, flow.due);
            EXPECT_EQ(run.state.AmountInTank - before, flow.amount);
            applied.push_back(flow.due ? Due(flow.amount) : std::nullopt);
        }
        return applied;
    }
};

struct DelayCase {
    const char* name;
    std::int16_t startDelay;
    std::vector<std::int16_t> ends;  // the delay schedule
    std::vector<double> values;
    std::vector<double> pipeline;  // BackOrder(1), BackOrder(2), ...
    std::vector<double> orders;
    std::vector<Due> applied;
};

void PeriodModelTest::ExpectApplied(const std::vector<DelayCase>& cases, bool timeDriven) {
    for (const DelayCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        run.setup.IsTimeDriven = timeDriven;
        run.state.UserInflowTP = c.startDelay;
        InflowSchedule(c.ends, c.values);
        for (std::size_t i = 0; i < c.pipeline.size(); ++i)
            run.state.BackOrder[i + 1] = c.pipeline[i];
        EXPECT_EQ(RunUserPhases(c.orders), c.applied);
    }
}

TEST_F(PeriodModelTest, DueInflowFollowsTheDelayAndItsChanges) {
    const std::vector<DelayCase> cases = {
        {"delay 1: due in the same period", 1, {}, {0}, {}, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"delay 3: the pipeline first, then the order of period 1",
         3,
         {},
         {0},
         {3, 3},
         {10, 20, 30, 40},
         {3, 3, 10, 20}},
        {"1 to 3 at period 5: orders of periods 3 and 4 fall due again",
         1,
         {5, 10},
         {1, 3, 0},
         {},
         {10, 20, 30, 40, 50, 60, 70},
         {10, 20, 30, 40, 30, 40, 50}},
        {"3 to 1 at period 5: orders of periods 3 and 4 are never applied",
         3,
         {5, 10},
         {3, 1, 0},
         {3, 3},
         {10, 20, 30, 40, 50, 60},
         {3, 3, 10, 20, 50, 60}},
        {"a delay grown early takes pipeline entries that hold 0",
         2,
         {2, 10},
         {2, 4, 0},
         {5},
         {10, 20, 30, 40},
         {5, 0, 0, 10}},
        {"a zero order falling due is not applied",
         2,
         {},
         {0},
         {4},
         {5, 0, 7, 0},
         {4, 5, std::nullopt, 7}},
    };
    ExpectApplied(cases, false);
}

// Time-driven, the clock's user phase and a Submit's may both run in a period: every order
// falls due once, in the first period whose delay reaches back to it.
TEST_F(PeriodModelTest, TimeDrivenEveryOrderFallsDueOnce) {
    const std::vector<DelayCase> cases = {
        {"delay 3: the pipeline first, then the order of period 1",
         3,
         {},
         {0},
         {3, 3},
         {10, 20, 30, 40},
         {3, 3, 10, 20}},
        {"1 to 3 at period 5: orders of periods 3 and 4 do not come again",
         1,
         {5, 10},
         {1, 3, 0},
         {},
         {10, 20, 30, 40, 50, 60, 70},
         {10, 20, 30, 40, std::nullopt, std::nullopt, 50}},
        {"3 to 1 at period 5: orders of periods 3 and 4 come with that of period 5",
         3,
         {5, 10},
         {3, 1, 0},
         {3, 3},
         {10, 20, 30, 40, 50, 60},
         {3, 3, 10, 20, 120, 60}},
        {"a zero order falling due is not applied",
         2,
         {},
         {0},
         {4},
         {5, 0, 7, 0},
         {4, 5, std::nullopt, 7}},
    };
    ExpectApplied(cases, true);
}

// A change of delay under both rules: re-aimed (participant-paced, the default) and each
// order once (chosen by a participant-paced version, always on a clock; one rule for both).
struct RuleCase {
    const char* name;
    std::int16_t startDelay;
    std::vector<std::int16_t> ends;
    std::vector<double> values;
    std::vector<double> pipeline;
    std::vector<double> orders;
    std::vector<Due> reaimed;
    std::vector<Due> once;
};

TEST_F(PeriodModelTest, EachAmountFallsDueOnceWhereTheVersionSaysSoAndIsReaimedOtherwise) {
    const std::vector<RuleCase> cases = {
        {"rising, 1 to 3 at period 5",
         1,
         {5, 10},
         {1, 3, 0},
         {},
         {10, 20, 30, 40, 50, 60, 70},
         {10, 20, 30, 40, 30, 40, 50},
         {10, 20, 30, 40, std::nullopt, std::nullopt, 50}},
        {"falling, 3 to 1 at period 5",
         3,
         {5, 10},
         {3, 1, 0},
         {3, 3},
         {10, 20, 30, 40, 50, 60},
         {3, 3, 10, 20, 50, 60},
         {3, 3, 10, 20, 120, 60}},
        {"to 1, from 2 at period 4",
         2,
         {4, 10},
         {2, 1, 0},
         {5},
         {10, 20, 30, 40, 50},
         {5, 10, 20, 40, 50},
         {5, 10, 20, 70, 50}},
        {"from 1, to 2 at period 3",
         1,
         {3, 10},
         {1, 2, 0},
         {},
         {10, 20, 30, 40},
         {10, 20, 20, 30},
         {10, 20, std::nullopt, 30}},
        {"falling within the initial pipeline, 4 to 1 at period 2",
         4,
         {2, 10},
         {4, 1, 0},
         {2, 2, 2},
         {10, 20, 30, 40},
         {2, 20, 30, 40},
         {2, 34, 30, 40}},
        {"rising within the initial pipeline, 2 to 4 at period 2",
         2,
         {2, 10},
         {2, 4, 0},
         {6},
         {10, 20, 30, 40, 50},
         {6, 0, 0, 10, 20},
         {6, 0, 0, 10, 20}},
    };
    struct Rule {
        const char* name;
        bool timeDriven;
        bool ordersDueOnce;
    };
    for (const Rule rule : {Rule{"participant-paced", false, false},
                            Rule{"participant-paced, OrdersDueOnce", false, true},
                            Rule{"clock-paced", true, false}}) {
        for (const RuleCase& c : cases) {
            SCOPED_TRACE(std::string(rule.name) + ": " + c.name);
            SetUp();
            run.setup.IsTimeDriven = rule.timeDriven;
            run.setup.OrdersDueOnce = rule.ordersDueOnce;
            run.state.UserInflowTP = c.startDelay;
            InflowSchedule(c.ends, c.values);
            double onOrder = 0;
            for (std::size_t i = 0; i < c.pipeline.size(); ++i) {
                run.state.BackOrder[i + 1] = c.pipeline[i];
                onOrder += c.pipeline[i];
            }
            run.state.TotalBackOrder = onOrder;
            const std::vector<Due> applied = RunUserPhases(c.orders);
            const bool once = rule.timeDriven || rule.ordersDueOnce;
            EXPECT_EQ(applied, once ? c.once : c.reaimed);
            if (!once) continue;
            // Every amount once: what is still on order is what was ordered and never came.
            for (const double order : c.orders) onOrder += order;
            for (const Due& due : applied) onOrder -= due.value_or(0);
            EXPECT_EQ(run.state.TotalBackOrder, onOrder);
            EXPECT_GE(onOrder, 0);
        }
    }
}

TEST_F(PeriodModelTest, TimeDrivenSecondUserPhaseOfAPeriodBringsNothingAgain) {
    run.setup.IsTimeDriven = true;
    run.state.UserInflowTP = 2;
    run.state.BackOrder[1] = 4;
    run.state.TotalBackOrder = 4;
    EXPECT_EQ(RunUserPhases({5, 7}), (std::vector<Due>{4, 5}));
    // A Submit in period 2 runs a second user phase: what fell due does not come again.
    const double before = run.state.AmountInTank;
    EXPECT_FALSE(period::AnnounceInflow(run).due);
    EXPECT_FALSE(period::ApplyInflow(run).due);
    EXPECT_EQ(run.state.AmountInTank, before);
}

TEST_F(PeriodModelTest, ScheduleRowEndingAtTheLastPeriodNeverChangesTheDelay) {
    run.state.CurrentTrial = run.setup.MaxTrial;
    run.state.UserInflowTP = 2;
    InflowSchedule({10}, {2, 5});
    period::UpdateDelays(run);
    EXPECT_EQ(run.state.UserInflowTP, 2);
}

TEST_F(PeriodModelTest, TwoMatchingScheduleRowsLeaveTheLaterValue) {
    run.state.CurrentTrial = 4;
    InflowSchedule({4, 4, 8}, {1, 2, 3, 0});
    run.state.OutflowDelayCount = 1;
    run.state.OutflowDelayEnd = {4};
    run.state.OutflowDelayValue = {1, 2.5};  // halves go to the even neighbour
    period::UpdateDelays(run);
    EXPECT_EQ(run.state.UserInflowTP, 3);
    EXPECT_EQ(run.state.UserOutflowTP, 2);
}

TEST_F(PeriodModelTest, ScheduleShorterThanItsCountIsReadOnlyAsFarAsItGoes) {
    run.state.CurrentTrial = 3;
    run.state.UserInflowTP = 2;
    InflowSchedule({3}, {2});  // the value after the segment is missing
    run.state.InflowDelayCount = 5;
    period::UpdateDelays(run);
    EXPECT_EQ(run.state.UserInflowTP, 2);
}

TEST_F(PeriodModelTest, TotalBackOrderHoldsWhatIsOrderedAndNotYetDue) {
    run.setup.InitialBackOrder = 4;
    run.state.UserInflowTP = 2;
    run.state.BackOrder[1] = 4;
    run.state.TotalBackOrder = 4;
    const std::vector<double> orders = {5, 0, 7, 0};
    std::vector<double> totals;
    std::vector<bool> pending;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        run.state.CurrentTrial = static_cast<std::int32_t>(i + 1);
        run.state.UserInFlow[i + 1] = orders[i];
        run.state.UserFlowPending = false;
        run.state.IsUserInFlow = false;
        period::AnnounceInflow(run);
        totals.push_back(run.state.TotalBackOrder);
        pending.push_back(run.state.UserFlowPending);
    }
    EXPECT_EQ(totals, (std::vector<double>{5, 0, 7, 0}));
    // The pipeline never sets the pending flag; the zero order of period 2 does not either.
    EXPECT_EQ(pending, (std::vector<bool>{false, true, false, true}));
}

TEST_F(PeriodModelTest, ZeroOrderFallingDueShowsNothing) {
    run.state.UserInflowTP = 2;
    run.state.CurrentTrial = 3;
    run.state.UserInFlow[2] = 0;
    run.state.UserInFlow[3] = 6;
    const period::DueFlow flow = period::AnnounceInflow(run);
    EXPECT_FALSE(flow.due);
    EXPECT_TRUE(flow.doorCaption.isEmpty());
    EXPECT_FALSE(run.state.IsUserInFlow);
    EXPECT_FALSE(run.state.UserFlowPending);
    EXPECT_EQ(run.state.TotalBackOrder, 6);
}

TEST_F(PeriodModelTest, InitialPipelineZeroEntryIsStillDue) {
    run.state.UserOutflowTP = 3;
    run.state.CurrentTrial = 2;
    run.state.AmountInTank = 9;
    const period::DueFlow announced = period::AnnounceOutflow(run);
    EXPECT_TRUE(announced.due);
    EXPECT_FALSE(announced.fromOrder);
    EXPECT_EQ(announced.doorCaption, "USER: 0");
    EXPECT_EQ(announced.pipeCaption, "00.000");
    EXPECT_TRUE(run.state.IsUserOutFlow);
    EXPECT_FALSE(run.state.UserFlowPending);
    EXPECT_TRUE(period::ApplyOutflow(run).due);
    EXPECT_EQ(run.state.AmountInTank, 9);
}

TEST_F(PeriodModelTest, DueOutflowEmptiesTheTankAndKeepsItsTotal) {
    run.state.UserOutflowTP = 2;
    run.state.CurrentTrial = 4;
    run.state.UserOutFlow[3] = 2.5;
    run.state.UserOutFlow[4] = 1;
    run.state.TotalForwardDischarge = 2.5;
    run.state.AmountInTank = 1;
    const period::DueFlow announced = period::AnnounceOutflow(run);
    EXPECT_EQ(announced.doorCaption, "USER: 2.5");
    EXPECT_EQ(announced.pipeCaption, "02.500");
    EXPECT_EQ(run.state.TotalForwardDischarge, 1);
    EXPECT_TRUE(run.state.UserFlowPending);
    period::ApplyOutflow(run);
    EXPECT_EQ(run.state.AmountInTank, -1.5);              // the outflow is not limited by the stock
    EXPECT_EQ(period::PanelReadouts(run).amount, "-02");  // halves away from zero
}

struct QuietCase {
    const char* name;
    bool timeDriven;
    double dueInOrder;
    double dueOutOrder;
    bool stillPending;
};

TEST_F(PeriodModelTest, QuietCheckClearsPendingOnlyWhenTimeDrivenAndBothOrdersZero) {
    const std::vector<QuietCase> cases = {
        {"time-driven, nothing ordered", true, 0, 0, false},
        {"participant-paced, nothing ordered", false, 0, 0, true},
        {"time-driven, an inflow ordered", true, 3, 0, true},
        {"time-driven, a negative order counts as an order", true, 0, -1, true},
    };
    for (const QuietCase& c : cases) {
        SCOPED_TRACE(c.name);
        run.setup.IsTimeDriven = c.timeDriven;
        run.state.UserInflowTP = 2;
        run.state.UserOutflowTP = 2;
        run.state.CurrentTrial = 5;
        run.state.UserInFlow[4] = c.dueInOrder;
        run.state.UserOutFlow[4] = c.dueOutOrder;
        run.state.UserFlowPending = true;
        period::QuietCheck(run);
        EXPECT_EQ(run.state.UserFlowPending, c.stillPending);
    }
}

TEST_F(PeriodModelTest, QuietCheckCountsPipelinePeriodsAsZeroOrders) {
    run.setup.IsTimeDriven = true;
    run.state.UserInflowTP = 3;  // period 1: k = -1
    run.state.CurrentTrial = 1;
    run.state.BackOrder[1] = 8;
    run.state.UserFlowPending = true;
    period::QuietCheck(run);
    EXPECT_FALSE(run.state.UserFlowPending);
}

TEST_F(PeriodModelTest, GraphicalModeAppliesFlowsInModelUnits) {
    run.setup.graphicalMode = true;
    run.state.TwipsPerMark = 287.3;
    run.state.AmountInTank = 12.5 * run.state.TwipsPerMark;
    run.state.CurrentTrial = 1;
    run.state.UserInFlow[1] = 2;
    period::ApplyInflow(run);
    EXPECT_EQ(period::PanelReadouts(run).amount, "14.500");
    EXPECT_NEAR(run.state.AmountInTank, 14.5 * run.state.TwipsPerMark, 1e-9);
}

TEST_F(PeriodModelTest, ReadoutsShowDueOrdersAndThePanel) {
    run.setup.GoalLinePosition = 50;
    run.state.UserInflowTP = 3;
    run.state.UserOutflowTP = 1;
    run.state.CurrentTrial = 2;
    run.state.UserInFlow[0] = 9;  // never shown: the pipeline flows while k <= 0
    run.state.UserOutFlow[2] = 4;
    run.state.EnvInFlow[2] = 1.5;
    run.state.EnvOutFlow[2] = 2;
    run.state.AmountInTank = 7;
    run.state.TotalBackOrder = 3;
    run.state.TotalForwardDischarge = 12;
    const auto discrete = period::UserPhaseReadouts(run);
    EXPECT_EQ(discrete.envIn, "02");
    EXPECT_EQ(discrete.envOut, "02");
    EXPECT_EQ(discrete.userIn, "00");
    EXPECT_EQ(discrete.userOut, "04");
    const auto discretePanel = period::PanelReadouts(run);
    EXPECT_EQ(discretePanel.goal, "50");
    EXPECT_EQ(discretePanel.amount, "07");
    EXPECT_EQ(discretePanel.backOrder, "03");
    EXPECT_EQ(discretePanel.forwardOrder, "12");

    run.setup.graphicalMode = true;
    run.state.TwipsPerMark = 100;
    const auto graphical = period::UserPhaseReadouts(run);
    EXPECT_EQ(graphical.envIn, "01.500");
    EXPECT_EQ(graphical.userIn, "00.000");
    const auto graphicalPanel = period::PanelReadouts(run);
    EXPECT_EQ(graphicalPanel.goal, "00.500");
    EXPECT_EQ(graphicalPanel.amount, "00.070");
    EXPECT_EQ(graphicalPanel.forwardOrder, "12.000");  // totals are never scaled
}

struct EnvironmentCase {
    const char* name;
    double in;
    double out;
    double periodLength;
    bool acts;
    double change;
    const char* inDoor;
    const char* outDoor;
    const char* inPipe;
    const char* outPipe;
};

TEST_F(PeriodModelTest, EnvironmentChangesTheAmountByItsRatesTimesThePeriodLength) {
    const std::vector<EnvironmentCase> cases = {
        {"rates times the period length", 2, 0.5, 10, true, 15, "ENV: 20", "ENV: 5", "20.000",
         "05.000"},
        {"both negative: no action", -1, -2, 10, false, 0, "", "", "", ""},
        {"a negative inflow lowers the amount", -1, 2, 1, true, -3, "ENV: -1", "ENV: 2", "-01.000",
         "02.000"},
        {"a negative outflow raises the amount", 2, -1, 1, true, 3, "ENV: 2", "ENV: -1", "02.000",
         "-01.000"},
    };
    for (const EnvironmentCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        run.setup.simTimeForTP = c.periodLength;
        run.state.CurrentTrial = 3;
        run.state.EnvInFlow[3] = c.in;
        run.state.EnvOutFlow[3] = c.out;
        run.state.AmountInTank = 40;
        const runtime::TimeValue before = runtime::TimeOfDay();
        const period::EnvironmentEffect effect = period::ApplyEnvironment(run);
        EXPECT_EQ(effect.acts, c.acts);
        EXPECT_EQ(period::CurrentEnvironmentRates(run).acts, c.acts);
        EXPECT_EQ(run.state.AmountInTank, 40 + c.change);
        EXPECT_EQ(effect.inDoorCaption, c.inDoor);
        EXPECT_EQ(effect.outDoorCaption, c.outDoor);
        EXPECT_EQ(effect.inPipeCaption, c.inPipe);
        EXPECT_EQ(effect.outPipeCaption, c.outPipe);
        EXPECT_TRUE(run.state.IsEnvInFlow);
        EXPECT_TRUE(run.state.IsEnvOutFlow);
        EXPECT_GE(run.state.EnvActionTime.seconds, before.seconds);
    }
}

TEST_F(PeriodModelTest, EnvironmentInGraphicalModeWorksInModelUnits) {
    run.setup.graphicalMode = true;
    run.setup.simTimeForTP = 10;
    run.state.TwipsPerMark = 240;
    run.state.AmountInTank = 5 * 240;
    run.state.CurrentTrial = 1;
    run.state.EnvInFlow[1] = 2;
    run.state.EnvOutFlow[1] = 0.5;
    period::ApplyEnvironment(run);
    EXPECT_EQ(period::PanelReadouts(run).amount, "20.000");
}

TEST_F(PeriodModelTest, PeriodBeyondTheScenarioHasNoEnvironmentAction) {
    run.state.CurrentTrial = run.setup.MaxNumberOfAScenarioType + 2;
    run.state.AmountInTank = 7;
    const period::EnvironmentEffect effect = period::ApplyEnvironment(run);
    EXPECT_FALSE(effect.acts);
    EXPECT_EQ(run.state.AmountInTank, 7);
    EXPECT_TRUE(run.state.IsEnvInFlow);
    const auto readouts = period::UserPhaseReadouts(run);
    EXPECT_EQ(readouts.envIn, "00");
    EXPECT_EQ(readouts.envOut, "00");
}

TEST_F(PeriodModelTest, BandBonusRoundsToThreeDecimalsAndIncludesBothEnds) {
    run.setup.GoalLinePosition = 50;
    run.setup.LowerBoundFromGoal = 5;
    run.setup.UpperBoundFromGoal = 5;
    const std::vector<std::pair<double, bool>> cases = {
        {45, true},      {55, true},       {44.9994, false}, {44.9996, true},
        {55.0004, true}, {55.0006, false}, {50, true},       {-50, false},
    };
    for (const bool graphical : {false, true}) {
        run.setup.graphicalMode = graphical;
        const double scale = graphical ? 287.3 : 1;
        run.state.TwipsPerMark = scale;
        run.setup.GoalLinePosition = 50 * scale;
        for (const auto& [amount, earns] : cases) {
            SCOPED_TRACE(testing::Message() << amount << (graphical ? " graphical" : " discrete"));
            EXPECT_EQ(period::EarnsBandBonus(run, amount * scale), earns);
        }
    }
}

TEST_F(PeriodModelTest, ScoringAddsTheBonusToTheTotal) {
    run.setup.GoalLinePosition = 50;
    run.setup.LowerBoundFromGoal = 5;
    run.setup.UpperBoundFromGoal = 5;
    run.setup.BonusAmount = 0.25;
    run.state.TotBonus = 10;
    run.state.AmountInTank = 48;
    const period::Score earned = period::ScorePeriod(run, run.state.AmountInTank);
    EXPECT_TRUE(earned.earned);
    EXPECT_EQ(run.state.CurrentBonus, 0.25);
    EXPECT_EQ(run.state.TotBonus, 10.25);
    EXPECT_EQ(earned.currentBonus, "00.250");
    EXPECT_EQ(earned.totBonus, "10.250");

    run.state.AmountInTank = 60;
    const period::Score missed = period::ScorePeriod(run, run.state.AmountInTank);
    EXPECT_FALSE(missed.earned);
    EXPECT_EQ(run.state.CurrentBonus, 0);
    EXPECT_EQ(run.state.TotBonus, 10.25);
    EXPECT_EQ(missed.currentBonus, "00.000");
}

struct TimeGapCase {
    const char* name;
    double in;
    double out;
    int submit;  // seconds since midnight
    int envAction;
    bool earns;
    int gap;  // EnvToSubmitSeconds afterwards (-1: not set)
};

TEST_F(PeriodModelTest, TimeGapBonusNeedsAQuickSubmit) {
    const int ten = 10 * 3600;
    const std::vector<TimeGapCase> cases = {
        {"3 s earns", 1, 0, ten, ten + 3, true, 3},
        {"4 s does not", 1, 0, ten, ten + 4, false, 4},
        {"the gap is never negative", 0, 2, ten + 3, ten, true, 3},
        {"before the first Submit", 1, 0, 0, ten, false, -1},
        {"both rates zero or negative", 0, -1, ten, ten + 1, false, -1},
    };
    for (const TimeGapCase& c : cases) {
        SCOPED_TRACE(c.name);
        run.setup.IsBonusOnTimeGap = true;
        run.setup.deltaTmeBetweenEnvUsr = 3000;
        run.setup.BonusAmount = 1;
        run.state.TotBonus = 0;
        run.state.CurrentTrial = 2;
        run.state.EnvInFlow[2] = c.in;
        run.state.EnvOutFlow[2] = c.out;
        run.state.SubmitTime = runtime::TimeValue{c.submit};
        run.state.EnvActionTime = runtime::TimeValue{c.envAction};
        run.state.EnvToSubmitSeconds = -1;
        const period::Score score = period::ScorePeriod(run, run.state.AmountInTank);
        EXPECT_EQ(score.earned, c.earns);
        EXPECT_EQ(run.state.TotBonus, c.earns ? 1 : 0);
        EXPECT_EQ(run.state.EnvToSubmitSeconds, c.gap);
    }
}

// The environment's time comes from the run's clock, so the rule is played on a given clock
// instead of the wall clock: a Submit at 09:59:58 and the environment 3 or 4 seconds later.
TEST_F(PeriodModelTest, TimeGapBonusIsMeasuredOnTheGivenClock) {
    QDateTime clock(QDate(2026, 3, 2), QTime(9, 59, 58));
    run.clock = [&clock] { return clock; };
    run.setup.IsBonusOnTimeGap = true;
    run.setup.deltaTmeBetweenEnvUsr = 3000;
    run.setup.BonusAmount = 1;
    run.state.CurrentTrial = 2;
    run.state.EnvInFlow[2] = 1;
    for (const int seconds : {3, 4}) {
        SCOPED_TRACE(seconds);
        clock.setTime(QTime(9, 59, 58));
        run.state.SubmitTime = run.TimeOfDay();  // as the Submit button records it
        clock = clock.addSecs(seconds);
        period::ApplyEnvironment(run);
        EXPECT_EQ(run.state.EnvActionTime.toText(), clock.time().toString("HH:mm:ss"));
        EXPECT_EQ(period::ScorePeriod(run, run.state.AmountInTank).earned, seconds == 3);
        EXPECT_EQ(run.state.EnvToSubmitSeconds, seconds);
    }
}

TEST_F(PeriodModelTest, DueFlowsWaitForEveryNthPeriod) {
    run.setup.AfterEveryNTrials = 2;
    run.state.CurrentTrial = 3;
    run.state.UserInFlow[3] = 4;
    run.state.TotalBackOrder = 1;
    EXPECT_FALSE(period::AnnounceInflow(run).due);
    EXPECT_EQ(run.state.TotalBackOrder, 1);
    run.state.CurrentTrial = 4;
    run.state.UserInFlow[4] = 4;
    EXPECT_TRUE(period::AnnounceInflow(run).due);
}

TEST_F(PeriodModelTest, NegativeDelayReadsNoOrderBeyondTheArrays) {
    run.state.UserInflowTP = -5;  // k lies beyond the order array
    run.state.CurrentTrial = run.setup.MaxTrial;
    EXPECT_FALSE(period::DueInflow(run).due);
    EXPECT_EQ(period::UserPhaseReadouts(run).userIn, "00");
}

}  // namespace
