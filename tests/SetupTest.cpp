#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <map>
#include <ostream>

#include "config/Setup.h"
#include "core/RunRecord.h"
#include "tests/support/OpenWrite.h"
#include "tests/support/TempDatabase.h"

namespace {

// A complete tblSetup row; each value is an SQL literal and may be overridden.
std::map<QString, QString> DefaultRow() {
    return {
        {"MaxTrial", "30"},
        {"BaseMoney", "5"},
        {"numMarks", "10"},
        {"InitialAmountInTank", "20"},
        {"GoalLinePoisition", "50"},
        {"InitialBackOrder", "0"},
        {"InitialForwardDischarge", "0"},
        {"simTimeForTP", "1"},
        {"ScenarioUsed", "3"},
        {"DelayScenario", "2"},
        {"CostUnderFlowPerAmount", "0.1"},
        {"CostOverFlowPerAmount", "0.2"},
        {"BonusAmount", "0.25"},
        {"YUnits", "'Gallons'"},
        {"graphicalMode", "-1"},
        {"userDelay", "500"},
        {"envDelay", "600"},
        {"RHEIGHT", "12"},
        {"RWIDTH", "8"},
        {"UpperBoundFromGoal", "5"},
        {"LowerBoundFromGoal", "4"},
        {"ExperimentTimeForInstructions", "300"},
        {"MaxNumberOfAScenarioType", "40"},
        {"IsTimeDriven", "0"},
        {"IsBonusOnTimeGap", "0"},
        {"ShowBackOrder", "-1"},
        {"ShowDischargeOrder", "0"},
        {"ShowTimePeriods", "-1"},
        {"deltaTmeBetweenEnvUsr", "3000"},
        {"TimeBetweenEnvTries", "2500"},
        {"UsrMv", "40"},
        {"EnvMv", "50"},
    };
}

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace("'", "''") + QLatin1Char('\'');
}

class SetupTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override { run.session.databasePath = database.path(); }
    void TearDown() override { EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open"; }

    void addVersion(const QString& version, const std::map<QString, QString>& overrides = {}) {
        std::map<QString, QString> row = DefaultRow();
        for (const auto& [column, value] : overrides) row[column] = value;
        QStringList columns{"Version"};
        QStringList values{Quoted(version)};
        for (const auto& [column, value] : row) {
            columns << column;
            values << value;
        }
        database.execute(QStringLiteral("INSERT INTO tblSetup (%1) VALUES (%2)")
                             .arg(columns.join(", "), values.join(", ")));
    }

    // Loads `version`; the message of the ConfigError, or empty when it loaded.
    QString load(const QString& version) {
        run.state.Version = version;
        try {
            LoadSetup(run);
            return QString();
        } catch (const ConfigError& error) {
            return error.message();
        }
    }

    TempDatabase database;
};

TEST_F(SetupTest, EveryColumnGoesToItsField) {
    addVersion("A");
    ASSERT_EQ(load("A"), "");
    const ExperimentSetupRecord& s = run.setup;
    EXPECT_EQ(s.MaxTrial, 30);
    EXPECT_EQ(s.BaseMoney, 5);
    EXPECT_EQ(s.numMarks, 10);
    EXPECT_EQ(s.InitialAmountInTank, 20);
    EXPECT_EQ(s.GoalLinePosition, 50);
    EXPECT_EQ(s.InitialBackOrder, 0);
    EXPECT_EQ(s.InitialForwardDischarge, 0);
    EXPECT_EQ(s.simTimeForTP, 1);
    EXPECT_EQ(s.ScenarioUsed, 3);
    EXPECT_EQ(s.DelayScenario, 2);
    EXPECT_EQ(s.AfterEveryNTrials, 1);
    EXPECT_EQ(s.CostUnderFlowPerAmount, 0.1);
    EXPECT_EQ(s.CostOverFlowPerAmount, 0.2);
    EXPECT_EQ(s.BonusAmount, 0.25);
    EXPECT_EQ(s.YUnits, "Gallons");
    EXPECT_TRUE(s.graphicalMode);
    EXPECT_EQ(s.userDelay, 500);
    EXPECT_EQ(s.envDelay, 600);
    EXPECT_EQ(s.RHEIGHT, 12);
    EXPECT_EQ(s.RWIDTH, 8);
    EXPECT_EQ(s.UpperBoundFromGoal, 5);
    EXPECT_EQ(s.LowerBoundFromGoal, 4);
    EXPECT_EQ(s.ExperimentTimeForInstructions, 300);
    EXPECT_EQ(s.MaxNumberOfAScenarioType, 40);
    EXPECT_FALSE(s.IsTimeDriven);
    EXPECT_FALSE(s.IsBonusOnTimeGap);
    EXPECT_TRUE(s.ShowBackOrder);
    EXPECT_FALSE(s.ShowDischargeOrder);
    EXPECT_TRUE(s.ShowTimePeriods);
    EXPECT_EQ(s.deltaTmeBetweenEnvUsr, 3000);
    EXPECT_EQ(s.TimeBetweenEnvTries, 2500);
    EXPECT_EQ(s.UsrMv, 40);
    EXPECT_EQ(s.EnvMv, 50);
}

// One column of an otherwise complete row, and what the loaded setup then shows.
struct ReadCase {
    const char* name;
    const char* column;
    const char* literal;
    std::function<bool(const ExperimentSetupRecord&)> holds;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c) {
    return out << c.name;
}

class SetupReadTest : public SetupTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SetupReadTest, ReadsByTheRules) {
    const ReadCase& c = GetParam();
    addVersion("A", {{c.column, c.literal}});
    ASSERT_EQ(load("A"), "");
    EXPECT_TRUE(c.holds(run.setup));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SetupReadTest,
    ::testing::Values(
        ReadCase{"MaxTrialHalfDown", "MaxTrial", "30.5", [](auto& s) { return s.MaxTrial == 30; }},
        ReadCase{"MaxTrialHalfUp", "MaxTrial", "31.5", [](auto& s) { return s.MaxTrial == 32; }},
        ReadCase{"NumericTextInIntegerColumn", "numMarks", "'8.5'",
                 [](auto& s) { return s.numMarks == 8; }},
        ReadCase{"GraphicalOneIsFalse", "graphicalMode", "1",
                 [](auto& s) { return !s.graphicalMode; }},
        ReadCase{"GraphicalMinusOneIsTrue", "graphicalMode", "-1",
                 [](auto& s) { return s.graphicalMode; }},
        ReadCase{"ShowTimePeriodsTwoIsFalse", "ShowTimePeriods", "2",
                 [](auto& s) { return !s.ShowTimePeriods; }},
        ReadCase{"YUnitsNull", "YUnits", "NULL", [](auto& s) { return s.YUnits.isEmpty(); }},
        ReadCase{"YUnitsEmpty", "YUnits", "''", [](auto& s) { return s.YUnits.isEmpty(); }},
        ReadCase{"NumMarksZeroInDiscreteMode", "graphicalMode", "0",
                 [](auto& s) { return !s.graphicalMode && s.numMarks == 10; }},
        ReadCase{"MaxTrialAtLastScenarioPeriod", "MaxTrial", "41",
                 [](auto& s) { return s.MaxTrial == 41; }}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
    const char* name;
    std::map<QString, QString> overrides;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const ErrorCase& c) {
    return out << c.name;
}

class SetupErrorTest : public SetupTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(SetupErrorTest, StopsWithAMessageAndKeepsTheEarlierSetup) {
    addVersion("Good", {{"MaxTrial", "12"}});
    addVersion("Bad", GetParam().overrides);
    ASSERT_EQ(load("Good"), "");
    run.setup.AfterEveryNTrials = 7;

    EXPECT_EQ(load("Bad"), GetParam().message);
    EXPECT_EQ(run.setup.MaxTrial, 12);
    EXPECT_EQ(run.setup.AfterEveryNTrials, 7);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SetupErrorTest,
    ::testing::Values(
        ErrorCase{"NullNumber",
                  {{"BaseMoney", "NULL"}},
                  "Version 'Bad' in tblSetup: BaseMoney is empty; it must hold a number."},
        ErrorCase{"NullInteger",
                  {{"UsrMv", "NULL"}},
                  "Version 'Bad' in tblSetup: UsrMv is empty; it must hold a number."},
        ErrorCase{"TextInNumber",
                  {{"simTimeForTP", "'fast'"}},
                  "Version 'Bad' in tblSetup: simTimeForTP holds 'fast', which is not a number."},
        ErrorCase{"SixteenBitOverflow",
                  {{"numMarks", "40000"}},
                  "Version 'Bad' in tblSetup: numMarks is 40000, outside the range -32768 to "
                  "32767."},
        ErrorCase{"NoPeriods",
                  {{"MaxTrial", "0"}},
                  "Version 'Bad' in tblSetup: MaxTrial is 0; the experiment needs at least one "
                  "period."},
        ErrorCase{"MorePeriodsThanTheScenarioHolds",
                  {{"MaxTrial", "42"}},
                  "Version 'Bad' in tblSetup: MaxTrial is 42, but MaxNumberOfAScenarioType (40) "
                  "gives environment rates only up to period 41."},
        ErrorCase{"GraphicalWithoutMarks",
                  {{"numMarks", "0"}},
                  "Version 'Bad' in tblSetup: numMarks is 0; the tank has room for 1 to 10 "
                  "scale marks."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupTest, AVersionWithoutARowIsNamed) {
    addVersion("A");
    EXPECT_EQ(load("Z"), "Version 'Z' has no row in tblSetup.");
}

TEST_F(SetupTest, AMissingColumnIsNamed) {
    database.execute("DROP TABLE tblSetup");
    database.execute("CREATE TABLE tblSetup (Version TEXT COLLATE NOCASE, MaxTrial INTEGER)");
    database.execute("INSERT INTO tblSetup (Version, MaxTrial) VALUES ('A', 30)");
    EXPECT_EQ(load("A"), "Version 'A' in tblSetup: the column BaseMoney is missing.");
}

TEST_F(SetupTest, ExtraColumnsAreIgnored) {
    database.execute("ALTER TABLE tblSetup ADD COLUMN Notes TEXT");
    addVersion("A", {{"Notes", "'pilot run'"}});
    EXPECT_EQ(load("A"), "");
    EXPECT_EQ(run.setup.MaxTrial, 30);
}

TEST_F(SetupTest, AVersionWithAQuoteLoads) {
    addVersion("O'Brien", {{"MaxTrial", "17"}});
    addVersion("O", {{"MaxTrial", "18"}});
    EXPECT_EQ(load("O'Brien"), "");
    EXPECT_EQ(run.setup.MaxTrial, 17);
}

TEST_F(SetupTest, VersionsMatchWithoutRegardToCase) {
    addVersion("Pilot", {{"MaxTrial", "9"}});
    EXPECT_EQ(load("pilot"), "");
    EXPECT_EQ(run.setup.MaxTrial, 9);
}

TEST_F(SetupTest, TheFirstRowOfADuplicatedVersionWins) {
    addVersion("A", {{"MaxTrial", "11"}});
    addVersion("A", {{"MaxTrial", "22"}});
    EXPECT_EQ(load("A"), "");
    EXPECT_EQ(run.setup.MaxTrial, 11);
}

TEST_F(SetupTest, LoadingAgainOverwritesEveryFieldAndResetsAfterEveryNTrials) {
    addVersion("A", {{"MaxTrial", "11"}, {"YUnits", "'Gallons'"}, {"graphicalMode", "-1"}});
    addVersion("B", {{"MaxTrial", "22"}, {"YUnits", "NULL"}, {"graphicalMode", "0"}});
    ASSERT_EQ(load("A"), "");
    run.setup.AfterEveryNTrials = 5;

    ASSERT_EQ(load("B"), "");
    EXPECT_EQ(run.setup.MaxTrial, 22);
    EXPECT_EQ(run.setup.YUnits, "");
    EXPECT_FALSE(run.setup.graphicalMode);
    EXPECT_EQ(run.setup.AfterEveryNTrials, 1);
}

TEST_F(SetupTest, VersionsAreListedInAscendingOrderWithDuplicates) {
    for (const char* version : {"b", "A", "c", "b", "O'Brien"}) addVersion(version);
    EXPECT_EQ(ReadVersions(run), (QStringList{"A", "b", "b", "c", "O'Brien"}));
}

TEST_F(SetupTest, AnEmptyTableListsNoVersion) {
    EXPECT_TRUE(ReadVersions(run).isEmpty());
}

}  // namespace
