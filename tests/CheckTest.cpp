// The configuration check: the demo is clean, and each broken fixture is reported with its
// table, row and column.
#include <gtest/gtest.h>

#include <QTextStream>
#include <ostream>

#include "tests/support/DamagedFile.h"
#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"
#include "tool/data/Check.h"

namespace {

using config::Severity;
using tool::Problem;

std::vector<Problem> CheckAfter(const DemoDatabase& demo, const QString& sql) {
    if (!sql.isEmpty()) Execute(demo.path(), sql);
    return tool::CheckDatabase(demo.path());
}

QString Texts(const std::vector<Problem>& problems) {
    QStringList texts;
    for (const Problem& problem : problems) texts << problem.text();
    return texts.join('\n');
}

// The demo's participant-paced versions change their delays under the re-aiming rule: each
// change that makes placed orders fall due twice or never is warned, and nothing else.
QString DelayWarning(int row, const char* version, const char* change) {
    return QStringLiteral(
               "tblSetup, row %1, column DelayScenario: warning: Version '%2' in "
               "tblSetup: the %3 (with OrdersDueOnce TRUE each order falls due once).")
        .arg(row)
        .arg(QLatin1String(version), QString::fromUtf8(change));
}

const QString kDemoDelayWarnings =
    QStringList{
        DelayWarning(1, "TankP",
                     "inflow delay changes from 2 to 3 in period 6, so orders of period 4 fall due "
                     "again in period 6"),
        DelayWarning(1, "TankP",
                     "inflow delay changes from 3 to 2 in period 13, so orders of period 11 never "
                     "fall due"),
        DelayWarning(1, "TankP",
                     "outflow delay changes from 2 to 1 in period 6, so orders of period 5 never "
                     "fall due"),
        DelayWarning(1, "TankP",
                     "outflow delay changes from 1 to 3 in period 13, so orders of periods 11–12 "
                     "fall due again in periods 13–14"),
        DelayWarning(3, "StoreP",
                     "inflow delay changes from 3 to 2 in period 8, so orders of period 6 never "
                     "fall due"),
        DelayWarning(3, "StoreP",
                     "inflow delay changes from 2 to 1 in period 14, so orders of period 13 never "
                     "fall due"),
        DelayWarning(3, "StoreP",
                     "outflow delay changes from 2 to 1 in period 14, so orders of period 13 never "
                     "fall due"),
    }
        .join('\n');

TEST(CheckTest, TheDemoDatabasePasses) {
    DemoDatabase demo;
    EXPECT_EQ(Texts(tool::CheckDatabase(demo.path())), kDemoDelayWarnings);
}

TEST(CheckTest, RandomBytesInARecordedPageAreReportedFirst) {
    DemoDatabase demo;
    RecordEvents(demo.path(), 5000);
    DamageTheMiddlePage(demo.path());
    const std::vector<Problem> problems = tool::CheckDatabase(demo.path());
    ASSERT_FALSE(problems.empty());
    EXPECT_TRUE(problems[0].text().startsWith("database file: damaged: "))
        << Texts(problems).toStdString();
    EXPECT_FALSE(problems[0].message.contains('\n')) << "one fault a line";
    // The configuration lies elsewhere and is still checked.
    EXPECT_FALSE(Texts(problems).contains("cannot be read")) << Texts(problems).toStdString();
}

// A pasted page of text in a cell is named by its start and its length.
TEST(CheckTest, LongValuesAreCutInTheLinesItPrints) {
    DemoDatabase demo;
    Execute(
        demo.path(),
        "UPDATE tblLabels SET LabelNumber = 'n' || hex(zeroblob(5000000)) WHERE LabelNumber = 1");
    const QString texts = Texts(tool::CheckDatabase(demo.path()));
    EXPECT_TRUE(texts.contains("LabelNumber holds 'n000")) << texts.left(2000).toStdString();
    EXPECT_TRUE(texts.contains("… (10000001 characters in all)'"))
        << texts.left(2000).toStdString();
    for (const QString& line : texts.split('\n')) EXPECT_LT(line.size(), 400);
}

TEST(CheckTest, ARecordedDatabaseIsSound) {
    DemoDatabase demo;
    RecordEvents(demo.path(), 5000);
    EXPECT_EQ(Texts(tool::CheckDatabase(demo.path())), kDemoDelayWarnings);
}

struct Broken {
    const char* name;
    const char* sql;
    Problem expected;  // message: the start of the expected message
};

std::ostream& operator<<(std::ostream& out, const Broken& c) {
    return out << c.name;
}

class CheckBrokenTest : public ::testing::TestWithParam<Broken> {};

TEST_P(CheckBrokenTest, ReportsTheProblemWithTableRowAndColumn) {
    DemoDatabase demo;
    const Broken& c = GetParam();
    const std::vector<Problem> problems = CheckAfter(demo, c.sql);
    const bool found = std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
        return p.table == c.expected.table && p.row == c.expected.row &&
               p.column == c.expected.column && p.message.startsWith(c.expected.message) &&
               p.severity == c.expected.severity;
    });
    EXPECT_TRUE(found) << "expected " << c.expected.text().toStdString() << "\ngot:\n"
                       << Texts(problems).toStdString();
}

// Rows of the demo's tblSetup: 1 TankP, 2 TankT (both graphical, scenario 1), 3 StoreP,
// 4 StoreT (discrete, scenario 2). Delay scenario 1 is rows 1-3, 2 is rows 4-6.
INSTANTIATE_TEST_SUITE_P(
    Fixtures, CheckBrokenTest,
    ::testing::Values(
        Broken{
            "ScenarioWithoutRows",
            "UPDATE tblSetup SET ScenarioUsed = 9 WHERE Version = 'TankP'",
            {"tblSetup", 1, "ScenarioUsed", "Environment scenario 9 has no rows in tblScenarios."}},
        Broken{
            "DelayScenarioWithoutRows",
            "UPDATE tblSetup SET DelayScenario = 9 WHERE Version = 'StoreT'",
            {"tblSetup", 4, "DelayScenario", "Delay scenario 9 has no rows in tblDelayScenarios."}},
        Broken{"MaxTrialBeyondTheScenario",
               "UPDATE tblSetup SET MaxTrial = 32 WHERE Version = 'TankT'",
               {"tblSetup", 2, "MaxTrial",
                "Version 'TankT' in tblSetup: MaxTrial is 32, but MaxNumberOfAScenarioType (30) "
                "gives environment rates only up to period 31."}},
        Broken{"ScenarioPeriodBeyondTheArrays",
               "UPDATE tblScenarios SET Trial = 40 WHERE Scenario = 1 AND Trial = 5",
               {"tblScenarios", 5, "Trial",
                "Environment scenario 1 in tblScenarios: Trial is 40, outside the range 0 to 31 "
                "(MaxNumberOfAScenarioType + 1)."}},
        Broken{"AnUnknownLanguage",
               "UPDATE tblSetup SET Language = 'cn' WHERE Version = 'StoreT'",
               {"tblSetup", 4, "Language",
                "Version 'StoreT' in tblSetup: Language is 'cn'; the screens speak en (English), "
                "de (German), es (Spanish), fr (French) or zh (Chinese), and an empty cell means "
                "en."}},
        Broken{"TooManyMarks",
               "UPDATE tblSetup SET numMarks = 11 WHERE Version = 'TankP'",
               {"tblSetup", 1, "numMarks",
                "Version 'TankP' in tblSetup: numMarks is 11; the tank has room for 1 to 10 "
                "scale marks."}},
        Broken{"NoMarks",
               "UPDATE tblSetup SET numMarks = 0 WHERE Version = 'TankT'",
               {"tblSetup", 2, "numMarks", "Version 'TankT' in tblSetup: numMarks is 0;"}},
        Broken{"FewerLabelsThanMarks",
               "DELETE FROM tblLabels WHERE version = 'TankT' AND LabelNumber <= 3",
               {"tblSetup", 2, "numMarks",
                "Version 'TankT' in tblSetup: 7 labels in tblLabels, fewer than its 10 marks",
                Severity::Warns}},
        Broken{
            "TopLabelReadsAsZero",
            "UPDATE tblLabels SET LabelName = 'full' WHERE version = 'TankP' AND LabelNumber = 10",
            {"tblLabels", 10, "LabelName",
             "Version 'TankP' in tblLabels: the top label 'full' reads as 0"}},
        Broken{"NoLabelsAtAll",
               "DELETE FROM tblLabels WHERE version = 'TankP'",
               {"tblLabels", 0, "version", "Version 'TankP' has no labels in tblLabels"}},
        Broken{"MoreDelaySegmentsThanFit",
               "UPDATE tblSetup SET MaxNumberOfAScenarioType = 1, MaxTrial = 2 WHERE Version = "
               "'StoreP'",
               {"tblSetup", 3, "DelayScenario",
                "Delay scenario 2 in tblDelayScenarios has 3 segments, more than the 2 that "
                "MaxNumberOfAScenarioType (1) allows."}},
        Broken{"InitialBackOrderWithADelayOfOne",
               "UPDATE tblDelayScenarios SET inflowDelayValue = 1 WHERE DelayScenario = 1 AND "
               "SegmentNumber = 1",
               {"tblSetup", 1, "InitialBackOrder",
                "Value of inFlowTPAfter or outFlowTPAfter is 1 and your initial Back or Forward "
                "orders are not set to 0",
                Severity::EndsProgram}},
        Broken{"InitialBackOrderWithADelayOfOneInTheSegmentNumberedFirst",
               "UPDATE tblDelayScenarios SET inflowDelayValue = 1, SegmentNumber = 0 WHERE "
               "DelayScenario = 1 AND SegmentNumber = 3",
               {"tblSetup", 1, "InitialBackOrder",
                "Value of inFlowTPAfter or outFlowTPAfter is 1 and your initial Back or Forward "
                "orders are not set to 0",
                Severity::EndsProgram}},
        Broken{"InitialDischargeWithADelayOfOne",
               "UPDATE tblDelayScenarios SET outflowDelayValue = 1.4 WHERE DelayScenario = 2 AND "
               "SegmentNumber = 1",
               {"tblSetup", 4, "InitialForwardDischarge",
                "Value of inFlowTPAfter or outFlowTPAfter is 1 and your initial Back or Forward "
                "orders are not set to 0",
                Severity::EndsProgram}},
        Broken{"DelayBelowOnePeriod",
               "UPDATE tblDelayScenarios SET inflowDelayValue = 0 WHERE DelayScenario = 2 AND "
               "SegmentNumber = 2",
               {"tblDelayScenarios", 5, "inflowDelayValue",
                "Delay scenario 2 in tblDelayScenarios, segment 2: inflowDelayValue is 0, outside "
                "the range 1 to 32767."}},
        Broken{"DelayBeyondSixteenBits",
               "UPDATE tblDelayScenarios SET outflowDelayValue = 40000 WHERE DelayScenario = 1 AND "
               "SegmentNumber = 3",
               {"tblDelayScenarios", 3, "outflowDelayValue",
                "Delay scenario 1 in tblDelayScenarios, segment 3: outflowDelayValue is 40000, "
                "outside the range 1 to 32767."}},
        Broken{"NegativeDelayLength",
               "UPDATE tblDelayScenarios SET outflowDelayLength = -1 WHERE DelayScenario = 2 AND "
               "SegmentNumber = 3",
               {"tblDelayScenarios", 6, "outflowDelayLength",
                "Delay scenario 2 in tblDelayScenarios, segment 3: outflowDelayLength is -1, "
                "outside the range 0 to 32767."}},
        Broken{"DelaySegmentsEndBeforeMaxTrial",  // 8 + 6 + 4.5 = 18.5, rounded to the even 18
               "UPDATE tblDelayScenarios SET inflowDelayLength = 4.5 WHERE DelayScenario = 2 AND "
               "SegmentNumber = 3",
               {"tblSetup", 3, "DelayScenario",
                "Version 'StoreP' in tblSetup: the inflow segments of delay scenario 2 end in "
                "period 18, before MaxTrial 20; from period 18 the inflow delay would be 0 and "
                "inflow orders would never arrive.",
                Severity::Warns}},
        Broken{"DelaySegmentsBeyondSixteenBits",
               "UPDATE tblDelayScenarios SET inflowDelayLength = 30000 WHERE DelayScenario = 1",
               {"tblDelayScenarios", 2, "inflowDelayLength",
                "Delay scenario 1 in tblDelayScenarios: the end of segment 2 (running sum of "
                "inflowDelayLength) is 60000, outside the range -32768 to 32767."}},
        Broken{"NegativeMaxNumberOfAScenarioType",
               "UPDATE tblSetup SET MaxNumberOfAScenarioType = -1 WHERE Version = 'StoreP'",
               {"tblSetup", 3, "MaxNumberOfAScenarioType",
                "Version 'StoreP' in tblSetup: MaxNumberOfAScenarioType is -1; it must be at "
                "least 0"}},
        Broken{"ScenarioPeriodTwice",  // 4.4 is read as period 4
               "INSERT INTO tblScenarios (Scenario, Trial, inFlowRateEnviron, outFlowRateEnviron) "
               "VALUES (2, 4.4, 1, 1)",
               {"tblScenarios", 63, "Trial",
                "Environment scenario 2 in tblScenarios: Trial 4 is also in row 35; the program "
                "would use only this later row.",
                Severity::Warns}},
        Broken{"LabelNumberTwice",
               "UPDATE tblLabels SET LabelNumber = 4 WHERE version = 'TankT' AND LabelNumber = 5",
               {"tblLabels", 15, "LabelNumber",
                "Version 'TankT' in tblLabels: LabelNumber 4 is also in row 14; the order of "
                "their captions is not defined.",
                Severity::Warns}},
        Broken{"LabelNumberBeyondTheMarks",
               "UPDATE tblSetup SET numMarks = 5 WHERE Version = 'TankP'",
               {"tblLabels", 6, "LabelNumber",
                "Version 'TankP' in tblLabels: LabelNumber 6 is not a whole number from 1 to 5 "
                "(numMarks)",
                Severity::Warns}},
        Broken{"LabelNumberWithAFraction",
               "UPDATE tblLabels SET LabelNumber = 2.5 WHERE version = 'TankT' AND LabelNumber = 2",
               {"tblLabels", 12, "LabelNumber",
                "Version 'TankT' in tblLabels: LabelNumber 2.5 is not a whole number from 1 to 10 "
                "(numMarks)",
                Severity::Warns}},
        Broken{"ClockBelowOneMillisecond",  // 0.5 is read as 0 ms
               "UPDATE tblSetup SET TimeBetweenEnvTries = 0.5 WHERE Version = 'StoreT'",
               {"tblSetup", 4, "TimeBetweenEnvTries",
                "Version 'StoreT' in tblSetup: TimeBetweenEnvTries is 0.5 ms; a version that runs "
                "on a clock (IsTimeDriven) needs at least 1 ms."}},
        Broken{"PeriodWithoutDuration",
               "UPDATE tblSetup SET simTimeForTP = 0 WHERE Version = 'StoreP'",
               {"tblSetup", 3, "simTimeForTP",
                "Version 'StoreP' in tblSetup: simTimeForTP is 0; a period must last longer than "
                "0",
                Severity::Warns}},
        Broken{"PersonBlockWithoutHeight",
               "UPDATE tblSetup SET RHEIGHT = 0 WHERE Version = 'StoreT'",
               {"tblSetup", 4, "RHEIGHT",
                "Version 'StoreT' in tblSetup: RHEIGHT is 0; a person's block must be more than 0 "
                "pixels high",
                Severity::Warns}},
        Broken{"PersonBlockWithoutWidth",
               "UPDATE tblSetup SET RWIDTH = -2 WHERE Version = 'StoreP'",
               {"tblSetup", 3, "RWIDTH",
                "Version 'StoreP' in tblSetup: RWIDTH is -2; a person's block must be more than 0 "
                "pixels wide",
                Severity::Warns}},
        Broken{"NegativeUpperBound",
               "UPDATE tblSetup SET UpperBoundFromGoal = -1 WHERE Version = 'TankP'",
               {"tblSetup", 1, "UpperBoundFromGoal",
                "Version 'TankP' in tblSetup: UpperBoundFromGoal is -1; the bonus band around the "
                "goal would be empty or leave out the goal",
                Severity::Warns}},
        Broken{"NegativeLowerBound",
               "UPDATE tblSetup SET LowerBoundFromGoal = -0.5 WHERE Version = 'StoreT'",
               {"tblSetup", 4, "LowerBoundFromGoal",
                "Version 'StoreT' in tblSetup: LowerBoundFromGoal is -0.5; the bonus band",
                Severity::Warns}},
        Broken{"GoalAboveTheTank",
               "UPDATE tblSetup SET GoalLinePoisition = 120 WHERE Version = 'TankP'",
               {"tblSetup", 1, "GoalLinePoisition",
                "Version 'TankP' in tblSetup: GoalLinePoisition 120 is outside the tank's scale 0 "
                "to 100 (the top label); the goal line would be drawn off the tank",
                Severity::Warns}},
        Broken{"GoalBelowTheTank",
               "UPDATE tblSetup SET GoalLinePoisition = -5 WHERE Version = 'TankT'",
               {"tblSetup", 2, "GoalLinePoisition",
                "Version 'TankT' in tblSetup: GoalLinePoisition -5 is outside the tank's scale 0 "
                "to 100",
                Severity::Warns}},
        Broken{"DuplicateVersion",
               "CREATE TEMP TABLE copied AS SELECT * FROM tblSetup WHERE Version = 'StoreP'; "
               "UPDATE copied SET Version = 'storep'; INSERT INTO tblSetup SELECT * FROM copied",
               {"tblSetup", 5, "Version", "Version 'storep' in tblSetup: also in row 3",
                Severity::Warns}},
        Broken{"NullInSetup",
               "UPDATE tblSetup SET BonusAmount = NULL WHERE Version = 'StoreT'",
               {"tblSetup", 4, "BonusAmount",
                "Version 'StoreT' in tblSetup: BonusAmount is empty; it must hold a number."}},
        Broken{"TextInSetup",
               "UPDATE tblSetup SET simTimeForTP = 'one' WHERE Version = 'TankT'",
               {"tblSetup", 2, "simTimeForTP",
                "Version 'TankT' in tblSetup: simTimeForTP holds 'one', which is not a number."}},
        Broken{"NullInScenario",
               "UPDATE tblScenarios SET outFlowRateEnviron = NULL WHERE Scenario = 2 AND Trial = 2",
               {"tblScenarios", 33, "outFlowRateEnviron",
                "Environment scenario 2 in tblScenarios, Trial 2: outFlowRateEnviron is empty; it "
                "must hold a number."}},
        Broken{"NullInDelayScenario",
               "UPDATE tblDelayScenarios SET inflowDelayLength = NULL WHERE DelayScenario = 1 AND "
               "SegmentNumber = 2",
               {"tblDelayScenarios", 2, "inflowDelayLength",
                "Delay scenario 1 in tblDelayScenarios, segment 2: inflowDelayLength is empty; it "
                "must hold a number."}},
        Broken{
            "NullLabelNumber",
            "UPDATE tblLabels SET LabelNumber = NULL WHERE version = 'TankT' AND LabelNumber = 2",
            {"tblLabels", 12, "LabelNumber",
             "Version 'TankT' in tblLabels: LabelNumber is empty; it must hold a number.",
             Severity::Warns}},
        Broken{"SixteenBitOverflow",
               "UPDATE tblSetup SET ScenarioUsed = 40000 WHERE Version = 'StoreP'",
               {"tblSetup", 3, "ScenarioUsed",
                "Version 'StoreP' in tblSetup: ScenarioUsed is 40000, outside the range -32768 to "
                "32767."}},
        Broken{"NoVersions", "DELETE FROM tblSetup", {"tblSetup", 0, "", "no versions"}},
        Broken{"NoExperimenterAccount",
               "DELETE FROM tblPasswords",
               {"tblPasswords", 0, "", "no experimenter account", Severity::Warns}},
        Broken{"AccountWithoutPassword",
               "UPDATE tblPasswords SET password = NULL",
               {"tblPasswords", 1, "password", "no password", Severity::Warns}},
        Broken{"PasswordInClearFromAnEarlierProgram",
               "UPDATE tblPasswords SET password = 'fluxmere'",
               {"tblPasswords", 1, "password",
                "the password is stored in clear; store it hashed with: fluxmere-db passwd "
                "DATABASE 'experimenter'",
                Severity::Warns}},
        Broken{"UnreadableStoredPassword",
               "UPDATE tblPasswords SET password = 'pbkdf2-sha256$600000$x'",
               {"tblPasswords", 1, "password",
                "the stored password cannot be read (it must be "
                "pbkdf2-sha256$ITERATIONS$SALT$HASH): this account cannot end a session; set it "
                "again with: fluxmere-db passwd DATABASE 'experimenter'",
                Severity::Warns}},
        Broken{"OnlyAnUnreadableAccount",
               "UPDATE tblPasswords SET password = 'pbkdf2-sha256$600000$x'",
               {"tblPasswords", 0, "", "no experimenter account", Severity::Warns}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckTest, DiscreteVersionsNeedNoScale) {
    DemoDatabase demo;
    EXPECT_EQ(Texts(CheckAfter(demo,
                               "UPDATE tblSetup SET numMarks = 0 WHERE Version = 'StoreP'; "
                               "UPDATE tblDelayScenarios SET inflowDelayValue = 1.5 WHERE "
                               "DelayScenario = 1 AND SegmentNumber = 1")),
              kDemoDelayWarnings);
}

// Values that look odd but run: pauses of 0 ms or less last 1 ms, the bounds play no part when
// the bonus is paid for a quick reaction, the amount may stand above the tank, and a schedule
// may end at or after the last period.
TEST(CheckTest, SettingsThatRunAsTheyArePass) {
    DemoDatabase demo;
    EXPECT_EQ(Texts(CheckAfter(
                  demo,
                  "UPDATE tblSetup SET userDelay = -5, envDelay = 0, UsrMv = -1, EnvMv = -100; "
                  "UPDATE tblSetup SET UpperBoundFromGoal = -1, LowerBoundFromGoal = -1, "
                  "TimeBetweenEnvTries = 0.6, GoalLinePoisition = 100 WHERE Version = 'TankT'; "
                  "UPDATE tblSetup SET RHEIGHT = 0, RWIDTH = 0, TimeBetweenEnvTries = 0, "
                  "InitialAmountInTank = 150, GoalLinePoisition = 0 WHERE Version = 'TankP'; "
                  "UPDATE tblSetup SET UpperBoundFromGoal = 0, LowerBoundFromGoal = 0, "
                  "GoalLinePoisition = 500 WHERE Version = 'StoreP'; "
                  "UPDATE tblDelayScenarios SET inflowDelayLength = 5.5 WHERE DelayScenario = 2 "
                  "AND SegmentNumber = 3; "
                  "UPDATE tblDelayScenarios SET outflowDelayLength = 20 WHERE DelayScenario = 1 "
                  "AND SegmentNumber = 3")),
              kDemoDelayWarnings);
}

TEST(CheckTest, ProblemTextsNameTableRowAndColumn) {
    EXPECT_EQ((Problem{"tblSetup", 2, "MaxTrial", "too many"}).text(),
              QStringLiteral("tblSetup, row 2, column MaxTrial: too many"));
    EXPECT_EQ((Problem{"tblPasswords", 0, "", "none"}).text(),
              QStringLiteral("tblPasswords: none"));
    EXPECT_EQ((Problem{"tblPasswords", 0, "", "none", Severity::Warns}).text(),
              QStringLiteral("tblPasswords: warning: none"));
}

// Warnings are printed and counted apart; only a problem makes the exit status non-zero.
TEST(CheckTest, TheCommandPrintsEachProblemAndExitsNonZero) {
    DemoDatabase demo;
    // The demo's participant-paced versions run with the re-aiming rule on purpose.
    Execute(demo.path(), "UPDATE tblSetup SET OrdersDueOnce = -1");
    QString output, errors;
    QTextStream out(&output), err(&errors);
    EXPECT_EQ(tool::RunTool({"check", demo.path()}, out, err), 0);
    out.flush();
    EXPECT_EQ(output, QStringLiteral("no problems found\n"));

    Execute(demo.path(), "DELETE FROM tblPasswords");
    output.clear();
    EXPECT_EQ(tool::RunTool({"check", demo.path()}, out, err), 0);
    out.flush();
    const QString noAccount = QStringLiteral(
        "tblPasswords: warning: no experimenter account; add one with: fluxmere-db passwd "
        "DATABASE USER\n");
    EXPECT_EQ(output, noAccount + "no problems found; 1 warning\n");

    Execute(demo.path(), "UPDATE tblSetup SET MaxTrial = NULL WHERE Version = 'TankP'");
    output.clear();
    EXPECT_EQ(tool::RunTool({"check", demo.path()}, out, err), 1);
    out.flush();
    EXPECT_EQ(output, QStringLiteral("tblSetup, row 1, column MaxTrial: Version 'TankP' in "
                                     "tblSetup: MaxTrial is empty; it must hold a number.\n") +
                          noAccount + "1 problem found; 1 warning\n");
}

TEST(CheckTest, TheDemoChecksWithWarningsOnlyAndExitsZero) {
    DemoDatabase demo;
    QString output, errors;
    QTextStream out(&output), err(&errors);
    EXPECT_EQ(tool::RunTool({"check", demo.path()}, out, err), 0);
    out.flush();
    EXPECT_EQ(output, kDemoDelayWarnings + "\nno problems found; 7 warnings\n");
}

}  // namespace
