#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "core/RunRecord.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "recording/Resume.h"
#include "support/ExperimentDatabase.h"
#include "tests/support/OpenWrite.h"

namespace {

class ResumeTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    // Also called within a test for a fresh run.
    void SetUp() override {
        run = ::Run{};
        run.session.databasePath = database.path();
        run.state.SubjectName = "Ann";
        run.state.Version = "A";
        run.setup.MaxTrial = 12;
        SizeArray(run.state.BackOrder, 13);
        SizeArray(run.state.ForwardDischarge, 13);
    }
    void TearDown() override { EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open"; }

    // A delay scenario of one segment: these delays throughout.
    void ConstantDelays(double in, double out) {
        run.state.InflowDelayCount = run.state.OutflowDelayCount = 1;
        run.state.InflowDelayValue = {in, 0};
        run.state.OutflowDelayValue = {out, 0};
        run.state.InflowDelayEnd = {40};
        run.state.OutflowDelayEnd = {40};
        run.state.UserInflowTP = static_cast<std::int16_t>(in);
        run.state.UserOutflowTP = static_cast<std::int16_t>(out);
    }

    // Orders in and out for each period, recorded as the latest row of the period.
    void recordOrders(int periods) {
        for (int t = 1; t <= periods; ++t) {
            database.addEvent("Ann", "A", 10 * t, t,
                              {{"UserInFlow", QString::number(100 + t)},
                               {"UserOutFlow", QString::number(200 + t)}});
        }
    }

    ExperimentDatabase database;
};

TEST_F(ResumeTest, GetLastTrialRestoresTheLatestEventOfTheParticipantAndVersion) {
    database.addEvent("Ann", "A", 7, 3, {{"TotBonus", "1"}});
    database.addEvent("ann", "A", 12, 4,
                      {{"CurrentCost", "0.5"},
                       {"TotCost", "5.5"},
                       {"CurrentBonus", "0.25"},
                       {"TotBonus", "6.75"},
                       {"BonusAmount", "0.25"},
                       {"BackOrder", "1.5"},
                       {"TotalBackOrder", "9"},
                       {"ForwardDischarge", "2.5"},
                       {"TotalForwardDischarge", "4"},
                       {"AmountInTank", "33.125"},
                       {"UserInflowTP", "3"},
                       {"UserOutflowTP", "2"},
                       {"IsUserInFlow", "-1"},
                       {"IsEnvOutFlow", "-1"},
                       {"graphicalMode", "-1"},
                       {"IsTimeDriven", "-1"},
                       {"TimeBetweenEnvTries", "2500"},
                       {"deltaTmeBetweenEnvUsr", "3000"}});
    database.addEvent("Ann", "A", 9, 5, {{"TotBonus", "2"}});   // older, though later added
    database.addEvent("Ann", "B", 99, 8, {{"TotBonus", "3"}});  // another version
    database.addEvent("Bob", "A", 99, 9, {{"TotBonus", "4"}});  // another participant

    EXPECT_EQ(GetLastTrial(run, "datExperimentTrials"), 4);
    const RunStateRecord& state = run.state;
    EXPECT_EQ(state.EventID, 12);
    EXPECT_EQ(state.CurrentCost, 0.5);
    EXPECT_EQ(state.TotCost, 5.5);
    EXPECT_EQ(state.CurrentBonus, 0.25);
    EXPECT_EQ(state.TotBonus, 6.75);
    EXPECT_EQ(run.setup.BonusAmount, 0.25);
    EXPECT_EQ(state.BackOrder[4], 1.5);
    EXPECT_EQ(state.ForwardDischarge[4], 2.5);
    EXPECT_EQ(state.BackOrder[1], 0) << "the recorded element belongs to its own period";
    EXPECT_EQ(state.TotalBackOrder, 9);
    EXPECT_EQ(state.TotalForwardDischarge, 4);
    EXPECT_EQ(state.AmountInTank, 33.125);
    EXPECT_EQ(state.UserInflowTP, 3);
    EXPECT_EQ(state.UserOutflowTP, 2);
    EXPECT_FALSE(state.IsUserInFlow) << "the scoring that closed the period ended it";
    EXPECT_FALSE(state.IsUserOutFlow);
    EXPECT_FALSE(state.IsEnvInFlow);
    EXPECT_TRUE(state.IsEnvOutFlow);
    EXPECT_TRUE(run.setup.graphicalMode);
    EXPECT_TRUE(run.setup.IsTimeDriven);
    EXPECT_FALSE(run.setup.IsBonusOnTimeGap);
    EXPECT_EQ(run.setup.TimeBetweenEnvTries, 2500);
    EXPECT_EQ(run.setup.deltaTmeBetweenEnvUsr, 3000);
}

TEST_F(ResumeTest, NoEventsOrNoTableNameRestoreNothing) {
    database.registerSubject("Ann", "A");
    run.setup.BonusAmount = 0.5;
    EXPECT_EQ(GetLastTrial(run, "datExperimentTrials"), 0);
    database.addEvent("Ann", "A", 3, 2, {{"TotBonus", "9"}});
    EXPECT_EQ(GetLastTrial(run, ""), 0);
    EXPECT_EQ(run.state.TotBonus, 0);
    EXPECT_EQ(run.state.EventID, 0);
    EXPECT_EQ(run.setup.BonusAmount, 0.5);
}

TEST_F(ResumeTest, NamesWithQuotesAndOtherAlphabetsAreFound) {
    for (const QString name : {"O'Brien", "Müller", "Ørsted'; DROP TABLE datSubject; --"}) {
        database.addEvent(name, "v'1", 5, 7,
                          {{"UserInFlow", "3.5"}, {"UserOutFlow", "1.25"}, {"TotBonus", "2"}});
        run.state.SubjectName = name;
        run.state.Version = "v'1";
        EXPECT_EQ(GetLastTrial(run, "datExperimentTrials"), 7) << name.toStdString();
        EXPECT_EQ(GetLastUserInFlow(run, "datExperimentTrials", 7), 3.5);
        EXPECT_EQ(GetLastUserOutFlow(run, "datExperimentTrials", 7), 1.25);
    }
    EXPECT_EQ(database.rows("SELECT * FROM datSubject").size(), 0u);
}

TEST_F(ResumeTest, TheLastFlowsOfAPeriodComeFromItsLatestRow) {
    database.addEvent("Ann", "A", 4, 2, {{"UserInFlow", "5"}, {"UserOutFlow", "6"}});
    database.addEvent("Ann", "A", 6, 2, {{"UserInFlow", "7"}, {"UserOutFlow", "0"}});
    database.addEvent("Ann", "A", 5, 2, {{"UserInFlow", "9"}, {"UserOutFlow", "9"}});
    EXPECT_EQ(GetLastUserInFlow(run, "datExperimentTrials", 2), 7);
    EXPECT_EQ(GetLastUserOutFlow(run, "datExperimentTrials", 2), 0);
    EXPECT_EQ(GetLastUserInFlow(run, "datExperimentTrials", 3), 0) << "a period without rows";
    EXPECT_EQ(GetLastUserInFlow(run, "", 2), 0);
}

// A fresh start's pipeline: the initial order, the starting delay, and the elements 0..4.
struct PipelineCase {
    const char* name;
    double initial;
    std::int16_t delay;
    std::vector<double> elements;
};

std::ostream& operator<<(std::ostream& out, const PipelineCase& c) {
    return out << c.name;
}

class FreshStartTest : public ResumeTest, public ::testing::WithParamInterface<PipelineCase> {};

TEST_P(FreshStartTest, SpreadsTheInitialOrdersOverTheFirstDelayPeriods) {
    const PipelineCase& c = GetParam();
    run.setup.BaseMoney = 5;
    run.setup.InitialBackOrder = c.initial;
    run.setup.InitialForwardDischarge = 2 * c.initial;
    run.state.UserInflowTP = run.state.UserOutflowTP = c.delay;
    InitRun(run);
    const RunStateRecord& state = run.state;
    for (std::size_t i = 0; i < c.elements.size(); ++i) {
        EXPECT_EQ(state.BackOrder[i], c.elements[i]) << "element " << i;
        EXPECT_EQ(state.ForwardDischarge[i], 2 * c.elements[i]) << "element " << i;
    }
    EXPECT_EQ(state.TotalBackOrder, c.initial);
    EXPECT_EQ(state.TotalForwardDischarge, 2 * c.initial);
    EXPECT_EQ(state.TotBonus, 5);
    EXPECT_EQ(state.TotCost, 5);
    EXPECT_EQ(state.CurrentBonus, 0);
    EXPECT_EQ(state.CurrentCost, 0);
    EXPECT_EQ(state.UserInFlow.size(), 14u);
    EXPECT_EQ(state.UserOutFlow.size(), 14u);
    EXPECT_EQ(state.PipeUserOut, 1);
    EXPECT_EQ(state.PipeEnvIn, 2);
    EXPECT_EQ(state.PipeEnvOut, 3);
}

INSTANTIATE_TEST_SUITE_P(Delays, FreshStartTest,
                         ::testing::Values(PipelineCase{"DelayFour", 9, 4, {0, 3, 3, 3, 0}},
                                           PipelineCase{"DelayTwo", 4, 2, {0, 4, 0, 0, 0}},
                                           PipelineCase{"DelayOne", 5, 1, {0, 5, 0, 0, 0}},
                                           PipelineCase{"DelayZero", 5, 0, {0, 5, 0, 0, 0}},
                                           PipelineCase{
                                               "LongerThanTheRun", 40, 21, {0, 2, 2, 2, 2}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResumeTest, AContinuedRunReadsBackTheOrdersStillTravelling) {
    ConstantDelays(3, 2);
    recordOrders(5);
    run.state.CurrentTrial = 5;
    InitRun(run);
    const std::vector<double> in{0, 0, 0, 103, 104, 105, 0};
    const std::vector<double> out{0, 0, 0, 0, 204, 205, 0};
    EXPECT_EQ(std::vector<double>(run.state.UserInFlow.begin(), run.state.UserInFlow.begin() + 7),
              in);
    EXPECT_EQ(std::vector<double>(run.state.UserOutFlow.begin(), run.state.UserOutFlow.begin() + 7),
              out);
}

TEST_F(ResumeTest, AContinuedRunWithinTheDelaysReadsBackEveryPeriod) {
    ConstantDelays(3, 2);
    recordOrders(2);
    run.state.CurrentTrial = 2;
    InitRun(run);
    EXPECT_EQ(run.state.UserInFlow[1], 101);
    EXPECT_EQ(run.state.UserInFlow[2], 102);
    EXPECT_EQ(run.state.UserOutFlow[1], 201);
    EXPECT_EQ(run.state.UserOutFlow[2], 202);
}

TEST_F(ResumeTest, AContinuedRunKeepsItsMoneyAndRebuildsTheInitialPipelineStillToCome) {
    ConstantDelays(4, 3);
    run.setup.BaseMoney = 5;
    run.setup.InitialBackOrder = 9;
    run.setup.InitialForwardDischarge = 4;
    database.addEvent("Ann", "A", 6, 1,
                      {{"TotBonus", "5.5"},
                       {"BackOrder", "3"},
                       {"TotalBackOrder", "11"},
                       {"ForwardDischarge", "2"},
                       {"TotalForwardDischarge", "2"},
                       {"UserInflowTP", "4"},
                       {"UserOutflowTP", "3"}});
    run.state.CurrentTrial = GetLastTrial(run, "datExperimentTrials");
    InitRun(run);
    const RunStateRecord& state = run.state;
    EXPECT_EQ(state.TotBonus, 5.5);
    EXPECT_EQ(state.TotalBackOrder, 11);
    EXPECT_EQ(state.TotalForwardDischarge, 2);
    EXPECT_EQ(state.BackOrder[1], 3);
    EXPECT_EQ(state.BackOrder[2], 3);
    EXPECT_EQ(state.BackOrder[3], 3);
    EXPECT_EQ(state.BackOrder[4], 0);
    EXPECT_EQ(state.ForwardDischarge[1], 2);
    EXPECT_EQ(state.ForwardDischarge[2], 2);
    EXPECT_EQ(state.ForwardDischarge[3], 0);
    EXPECT_TRUE(state.EnvActionDone);
}

// The flow flags a continued run starts with are those that stood after the event it goes on
// from: the scoring that closed its last complete period, never a row within a period. A
// period's scoring ends it: the participant's flows are over then, and in participant-paced
// runs the environment's too, while a time-driven period ends with the environment's phase.
struct FlagsCase {
    const char* name;
    bool timeDriven;
    const char* interruptedBy;  // a row of period 4 recorded before the stop, or none
    bool userFlags, envFlags;   // restored from a scoring row with all four set
};

std::ostream& operator<<(std::ostream& out, const FlagsCase& c) {
    return out << c.name;
}

class RestoredFlagsTest : public ResumeTest, public ::testing::WithParamInterface<FlagsCase> {};

TEST_P(RestoredFlagsTest, AreThoseAfterTheScoringItGoesOnFrom) {
    const FlagsCase& c = GetParam();
    const char* timeDriven = c.timeDriven ? "-1" : "0";
    database.addEvent("Ann", "A", 9, 3,
                      {{"IsTimeDriven", timeDriven},
                       {"IsUserInFlow", "-1"},
                       {"IsUserOutFlow", "-1"},
                       {"IsEnvInFlow", "-1"},
                       {"IsEnvOutFlow", "-1"}});
    if (c.interruptedBy) {
        database.addEvent("Ann", "A", 10, 4,
                          {{"eventType", Literal(QString::fromLatin1(c.interruptedBy))},
                           {"IsTimeDriven", timeDriven}});
    }
    EXPECT_EQ(GetLastTrial(run, "datExperimentTrials"), 3);
    EXPECT_EQ(run.state.IsUserInFlow, c.userFlags);
    EXPECT_EQ(run.state.IsUserOutFlow, c.userFlags);
    EXPECT_EQ(run.state.IsEnvInFlow, c.envFlags);
    EXPECT_EQ(run.state.IsEnvOutFlow, c.envFlags);
}

INSTANTIATE_TEST_SUITE_P(
    LastEvents, RestoredFlagsTest,
    ::testing::Values(
        FlagsCase{"ParticipantPacedScoring", false, nullptr, false, false},
        FlagsCase{"TimeDrivenScoring", true, nullptr, false, true},
        FlagsCase{"ParticipantPacedStoppedWithinThePeriod", false, "User Outflow", false, false},
        FlagsCase{"TimeDrivenStoppedWithinThePeriod", true, "Environment Effect", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Whether one of the participant's own orders is flowing in the interrupted period, which a
// time-driven period clock asks when it opens the next period.
struct PendingCase {
    const char* name;
    bool timeDriven;
    const char* inOrder;   // the order of period 4, due in period 5
    const char* outOrder;  // likewise
    bool pending;
};

std::ostream& operator<<(std::ostream& out, const PendingCase& c) {
    return out << c.name;
}

class PendingFlowTest : public ResumeTest, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(PendingFlowTest, IsRestoredFromTheOrdersDueInTheLastPeriod) {
    const PendingCase& c = GetParam();
    run.setup.IsTimeDriven = c.timeDriven;
    ConstantDelays(2, 2);
    database.addEvent("Ann", "A", 4, 4, {{"UserInFlow", c.inOrder}, {"UserOutFlow", c.outOrder}});
    database.addEvent("Ann", "A", 5, 5, {{"UserInFlow", "8"}, {"UserOutFlow", "8"}});
    run.state.CurrentTrial = 5;
    InitRun(run);
    EXPECT_EQ(run.state.UserFlowPending, c.pending);
}

INSTANTIATE_TEST_SUITE_P(Orders, PendingFlowTest,
                         ::testing::Values(PendingCase{"InflowDue", true, "3", "0", true},
                                           PendingCase{"OutflowDue", true, "0", "2", true},
                                           PendingCase{"NothingDue", true, "0", "0", false},
                                           PendingCase{"ParticipantPaced", false, "3", "2", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResumeTest, ForgetRestoredRunPutsBackAFreshRun) {
    database.addEvent(
        "Ann", "A", 6, 4,
        {{"TotBonus", "5.5"}, {"BackOrder", "3"}, {"AmountInTank", "12"}, {"IsUserInFlow", "-1"}});
    run.state.CurrentTrial = GetLastTrial(run, "datExperimentTrials");
    ForgetRestoredRun(run);
    const RunStateRecord& state = run.state;
    EXPECT_EQ(state.CurrentTrial, 0);
    EXPECT_EQ(state.EventID, 0);
    EXPECT_EQ(state.TotBonus, 0);
    EXPECT_EQ(state.AmountInTank, 0);
    EXPECT_EQ(state.BackOrder[4], 0);
    EXPECT_EQ(state.BackOrder.size(), 14u);
    EXPECT_FALSE(state.IsUserInFlow);
}

// The delay in the interrupted period, the schedule after it, and the earliest period
// whose order can still fall due.
struct StillDueCase {
    const char* name;
    long current;
    std::int16_t delay;
    std::vector<std::int16_t> ends;
    std::vector<double> values;
    long first;
};

std::ostream& operator<<(std::ostream& out, const StillDueCase& c) {
    return out << c.name;
}

class StillDueTest : public ::testing::TestWithParam<StillDueCase> {};

TEST_P(StillDueTest, FindsTheEarliestOrderThatCanStillFallDue) {
    const StillDueCase& c = GetParam();
    EXPECT_EQ(FirstOrderStillDue(c.current, 12, c.delay, static_cast<int>(c.ends.size()), c.ends,
                                 c.values),
              c.first);
}

INSTANTIATE_TEST_SUITE_P(
    Schedules, StillDueTest,
    ::testing::Values(StillDueCase{"ConstantDelay", 6, 3, {40}, {3, 0}, 4},
                      StillDueCase{"DelayOne", 6, 1, {40}, {1, 0}, 6},
                      StillDueCase{"EarlyPeriod", 1, 3, {40}, {3, 0}, 1},
                      StillDueCase{"RisesFromOneToThreeAtFive", 4, 1, {5, 40}, {1, 3, 0}, 3},
                      StillDueCase{"RisesByFourAtSeven", 5, 2, {7, 40}, {2, 6, 0}, 2},
                      StillDueCase{"FallsFromThreeToOne", 6, 3, {8, 40}, {3, 1, 0}, 4},
                      StillDueCase{
                          "SegmentEndingInTheLastPeriodChangesNothing", 11, 1, {12}, {1, 9}, 11},
                      StillDueCase{"DelayZeroAfterTheLastSegment", 6, 2, {9}, {2, 0}, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// Time-driven: after period `current`, how far the orders have fallen due (the highest
// period its delay reached back to) under the starting delay and the schedule.
struct ArrivalsCase {
    const char* name;
    long current;
    std::int16_t startingDelay;
    std::vector<std::int16_t> ends;
    std::vector<double> values;
    long ordersThrough;
};

std::ostream& operator<<(std::ostream& out, const ArrivalsCase& c) {
    return out << c.name;
}

class ArrivalsTest : public ::testing::TestWithParam<ArrivalsCase> {};

TEST_P(ArrivalsTest, CountWhatHasFallenDue) {
    const ArrivalsCase& c = GetParam();
    const FlowArrivals arrivals = ArrivalsThrough(
        c.current, 12, c.startingDelay, static_cast<int>(c.ends.size()), c.ends, c.values);
    EXPECT_EQ(arrivals.ordersThrough, c.ordersThrough);
    EXPECT_EQ(arrivals.pipelineThrough, c.current);
    EXPECT_FALSE(arrivals.pending);
}

INSTANTIATE_TEST_SUITE_P(
    Schedules, ArrivalsTest,
    ::testing::Values(ArrivalsCase{"ConstantDelay", 6, 3, {40}, {3, 0}, 4},
                      ArrivalsCase{"StillWithinThePipeline", 2, 4, {40}, {4, 0}, 0},
                      ArrivalsCase{"DelayOne", 6, 1, {40}, {1, 0}, 6},
                      // Orders 2 and 3 fell due in their own periods, not again at 4 and 5.
                      ArrivalsCase{"RoseFromOneToThreeAtFour", 6, 1, {4, 40}, {1, 3, 0}, 4},
                      // Orders 2 to 5 fell due together at 5.
                      ArrivalsCase{"FellFromFourToOneAtFive", 6, 4, {5, 40}, {4, 1, 0}, 6}),
    [](const auto& info) { return std::string(info.param.name); });

// The empty table as an earlier program created it, without the superseded column.
void RecreateWithoutSuperseded(const TempDatabase& database, const QString& table) {
    db::TableDef earlier = *db::FindTable(table);
    std::erase_if(earlier.columns,
                  [](const db::ColumnDef& column) { return column.name == "superseded"; });
    db::Connection connection(database.path(), db::DatabasePassword(), db::OpenMode::ReadWrite);
    connection.execute(QStringLiteral("DROP TABLE %1").arg(table));
    connection.createTable(earlier);
}

// A paced run stopped in period 2 after its Submit and environment phase.
class InterruptedRunTest : public ResumeTest {
  protected:
    void recordInterruptedRun() {
        ConstantDelays(2, 2);
        int eventID = 0;
        for (const char* type :
             {"Submit Clicked", "Environment Effect", "No User Effect", "After Cost Calculation"}) {
            database.addEvent("Ann", "A", ++eventID, 1,
                              {{"eventType", Literal(type)},
                               {"AmountInTank", "11.5"},
                               {"TotBonus", "3"},
                               {"UserInflowTP", "2"},
                               {"UserOutflowTP", "2"}});
        }
        for (const char* type : {"Submit Clicked", "Environment Effect"}) {
            database.addEvent("Ann", "A", ++eventID, 2, {{"eventType", Literal(type)}});
        }
        database.addEvent("Bob", "A", 7, 2, {{"eventType", "'Submit Clicked'"}});
        for (const int trial : {0, 1}) {
            database.execute(QStringLiteral("INSERT INTO datUserTimesSummary (Subject, Version, "
                                            "Trial) VALUES ('Ann', 'A', %1)")
                                 .arg(trial));
        }
        // Period 1's row was begun but not completed before the station stopped.
        database.execute(QStringLiteral(
            "INSERT INTO datTrialSummary (Subject, Version, Trial, AmountInTank) VALUES "
            "('Ann', 'A', 1, 9), ('Ann', 'A', 2, 11.5)"));
    }

    void continueRun() {
        run.state.CurrentTrial = GetLastTrial(run, "datExperimentTrials");
        InitRun(run);
    }

    QString supersededEvents() const {
        QStringList ids;
        for (const auto& row : database.rows(
                 "SELECT EventID FROM datExperimentTrials WHERE superseded ORDER BY EventID")) {
            ids << row.at("EventID").toString();
        }
        return ids.join(',');
    }
};

TEST_F(InterruptedRunTest, GoesOnFromTheLastCompletePeriodAndSupersedesTheAttempt) {
    recordInterruptedRun();
    continueRun();
    EXPECT_EQ(run.state.CurrentTrial, 1);
    EXPECT_EQ(run.state.AmountInTank, 11.5);
    EXPECT_EQ(run.state.EventID, 6) << "numbering goes on after every recorded row";
    EXPECT_EQ(supersededEvents(), "5,6");
    EXPECT_EQ(
        database.rows("SELECT Trial FROM datUserTimesSummary WHERE superseded").at(0).at("Trial"),
        1)
        << "the press that began period 2";
    EXPECT_EQ(database.rows("SELECT * FROM datUserTimesSummary WHERE superseded").size(), 1u);
    const auto summary = database.rows("SELECT * FROM datTrialSummary ORDER BY Trial");
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[0].at("AmountInTank"), 11.5) << "completed from the closing row";
    EXPECT_EQ(summary[0].at("TotBonus"), 3.0);
}

TEST_F(InterruptedRunTest, ASecondInterruptionJudgesOnlyTheKeptRows) {
    recordInterruptedRun();
    continueRun();
    // The second attempt at period 2 is interrupted too, after its Submit.
    database.addEvent("Ann", "A", 7, 2, {{"eventType", "'Submit Clicked'"}});
    SetUp();
    ConstantDelays(2, 2);
    continueRun();
    EXPECT_EQ(run.state.CurrentTrial, 1);
    EXPECT_EQ(run.state.EventID, 7);
    EXPECT_EQ(supersededEvents(), "5,6,7");
}

TEST_F(InterruptedRunTest, NoCompletePeriodStartsAfreshAfterTheRecordedRows) {
    ConstantDelays(2, 2);
    database.addEvent("Ann", "A", 1, 1, {{"eventType", "'Submit Clicked'"}});
    database.addEvent("Ann", "A", 2, 1, {{"eventType", "'No User Effect'"}});
    run.setup.BaseMoney = 5;
    continueRun();
    EXPECT_EQ(run.state.CurrentTrial, 0);
    EXPECT_EQ(run.state.EventID, 2);
    EXPECT_EQ(run.state.TotBonus, 5) << "a fresh start's money";
    EXPECT_EQ(supersededEvents(), "1,2");
}

TEST_F(InterruptedRunTest, AFileFromAnEarlierProgramGetsTheMark) {
    for (const QString table : {"datExperimentTrials", "datUserTimesSummary"}) {
        RecreateWithoutSuperseded(database, table);
    }
    recordInterruptedRun();
    continueRun();
    EXPECT_EQ(run.state.CurrentTrial, 1);
    EXPECT_EQ(supersededEvents(), "5,6");
    EXPECT_EQ(database.rows("SELECT * FROM datUserTimesSummary WHERE superseded").size(), 1u);
}

}  // namespace
