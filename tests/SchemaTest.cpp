// The schema as created in a fresh file: every table and column by its exact name, in order,
// with a meaning for the codebook; and the order of ordered rows.
#include <gtest/gtest.h>

#include "db/Engine.h"
#include "db/Schema.h"
#include "tests/support/TempDatabase.h"

namespace {

struct ExpectedTable {
    const char* name;
    QStringList columns;
};

const ExpectedTable Expected[] = {
    {"tblSetup",
     {"Version",
      "MaxTrial",
      "BaseMoney",
      "numMarks",
      "InitialAmountInTank",
      "GoalLinePoisition",
      "InitialBackOrder",
      "InitialForwardDischarge",
      "simTimeForTP",
      "ScenarioUsed",
      "DelayScenario",
      "CostUnderFlowPerAmount",
      "CostOverFlowPerAmount",
      "BonusAmount",
      "YUnits",
      "graphicalMode",
      "userDelay",
      "envDelay",
      "RHEIGHT",
      "RWIDTH",
      "UpperBoundFromGoal",
      "LowerBoundFromGoal",
      "ExperimentTimeForInstructions",
      "MaxNumberOfAScenarioType",
      "IsTimeDriven",
      "IsBonusOnTimeGap",
      "ShowBackOrder",
      "ShowDischargeOrder",
      "ShowTimePeriods",
      "deltaTmeBetweenEnvUsr",
      "TimeBetweenEnvTries",
      "UsrMv",
      "EnvMv",
      "OrdersDueOnce",
      "Language"}},
    {"tblScenarios", {"Scenario", "Trial", "inFlowRateEnviron", "outFlowRateEnviron"}},
    {"tblDelayScenarios",
     {"DelayScenario", "inflowDelayValue", "inflowDelayLength", "outflowDelayValue",
      "outflowDelayLength", "SegmentNumber"}},
    {"tblLabels", {"version", "LabelNumber", "LabelName"}},
    {"tblPasswords", {"username", "password"}},
    {"datSubject",
     {"Subject", "Version", "Condition", "Major", "Gender", "Age", "Date", "Time", "Simulated",
      "Station"}},
    {"datExperimentTrials",
     {"Subject",
      "Version",
      "eventType",
      "EventID",
      "Trial",
      "Date",
      "Time",
      "CurrentCost",
      "TotCost",
      "UserInFlow",
      "UserOutFlow",
      "EnvInFlow",
      "EnvOutFlow",
      "BackOrder",
      "ForwardDischarge",
      "TotalBackOrder",
      "TotalForwardDischarge",
      "AmountInTank",
      "GoalAmount",
      "SimulationTime",
      "BaseMoney",
      "UserInflowTP",
      "UserOutflowTP",
      "AfterEveryNTrials",
      "IsUserInFlow",
      "IsUserOutFlow",
      "IsEnvInFlow",
      "IsEnvOutFlow",
      "graphicalMode",
      "BonusAmount",
      "CurrentBonus",
      "TotBonus",
      "LowerBoundFromGoal",
      "UpperBoundFromGoal",
      "ExperimentTimeForInstructions",
      "MaxNumberOfAScenarioType",
      "IsTimeDriven",
      "IsBonusOnTimeGap",
      "TimeBetweenEnvTries",
      "deltaTmeBetweenEnvUsr",
      "superseded",
      "WriteKey"}},
    {"datTrialSummary",
     {"Subject",
      "Version",
      "Trial",
      "Date",
      "startTime",
      "endTime",
      "UserInFlow",
      "UserOutFlow",
      "EnvInFlow",
      "EnvOutFlow",
      "AmountInTank",
      "GoalAmount",
      "SimulationTime",
      "BaseMoney",
      "UserInflowTP",
      "UserOutflowTP",
      "IsUserInFlow",
      "IsUserOutFlow",
      "IsEnvInFlow",
      "IsEnvOutFlow",
      "graphicalMode",
      "TotBonus",
      "LowerBoundFromGoal",
      "UpperBoundFromGoal",
      "CurrentBonus",
      "CurrentCost",
      "TotCost",
      "BackOrder",
      "ForwardDischarge",
      "TotalBackOrder",
      "TotalForwardDischarge",
      "WriteKey"}},
    {"datUserTimesSummary",
     {"Subject", "Version", "Trial", "Date", "SubmitClickTime", "superseded", "WriteKey"}},
    {"datRunClaims",
     {"Subject", "Version", "Station", "Claim", "ClaimedAt", "LastSeen", "Released", "Holder",
      "TakenOver"}},
};

class SchemaTest : public ::testing::Test {
  protected:
    db::Connection open() {
        return db::Connection(file.path(), db::DatabasePassword(), db::OpenMode::ReadWrite);
    }
    TempDatabase file;
};

TEST_F(SchemaTest, EveryTableHasExactlyItsColumnsInOrder) {
    db::Connection connection = open();
    ASSERT_EQ(db::Tables().size(), std::size(Expected));
    for (const ExpectedTable& expected : Expected) {
        const QString table = QString::fromLatin1(expected.name);
        QStringList actual;
        for (const auto& column : connection.tableColumns(table)) actual << column.name;
        EXPECT_EQ(actual, expected.columns) << expected.name;
        const db::TableDef* def = db::FindTable(table.toUpper());
        ASSERT_NE(def, nullptr) << expected.name;
        EXPECT_EQ(def->recorded, table.startsWith(QStringLiteral("dat")));
        for (const db::ColumnDef& column : def->columns) {
            EXPECT_FALSE(column.meaning.trimmed().isEmpty())
                << expected.name << "." << column.name.toStdString();
        }
    }
    EXPECT_EQ(db::FindTable(QStringLiteral("tblNothing")), nullptr);
}

// Rows with a number come first, in its order; equal numbers and rows without one keep the
// order they came in.
TEST(RowOrderTest, NumbersAscendTiesKeepTheirOrderRowsWithoutANumberGoLast) {
    const std::vector<QVariant> numbers = {QVariant(),   qlonglong(3), qlonglong(1),
                                           qlonglong(3), QVariant(),   2.5};
    EXPECT_EQ(db::OrderByNumber(numbers), (std::vector<int>{2, 5, 1, 3, 0, 4}));
    EXPECT_EQ(db::OrderByNumber({}), std::vector<int>{});
}

TEST_F(SchemaTest, AFileFromAnEarlierProgramGetsTheColumnsItLacks) {
    db::Connection connection = open();
    connection.execute(QStringLiteral(
        "DROP TABLE datUserTimesSummary; CREATE TABLE datUserTimesSummary (Subject TEXT, "
        "Version TEXT, Trial INTEGER, Date DATE, SubmitClickTime TIME); INSERT INTO "
        "datUserTimesSummary (Subject, Trial) VALUES ('Ann', 3)"));
    for (int time = 0; time < 2; ++time)  // a second time finds nothing missing
        db::AddMissingColumns(connection, QStringLiteral("datUserTimesSummary"));
    QStringList columns;
    for (const auto& column : connection.tableColumns(QStringLiteral("datUserTimesSummary")))
        columns << column.name;
    EXPECT_EQ(columns.mid(5), (QStringList{"superseded", "WriteKey"}));
    db::Statement row = connection.prepare(
        QStringLiteral("SELECT superseded FROM datUserTimesSummary WHERE Subject = 'Ann'"));
    ASSERT_TRUE(row.step());
    EXPECT_EQ(row.value(0).toLongLong(), 0) << "a recorded row was not superseded";
}

}  // namespace
