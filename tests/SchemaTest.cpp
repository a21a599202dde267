// The schema as created in a fresh file: every table and column by its exact name, in order,
// with its declared type, a meaning for the codebook, and the indexes the queries rely on.
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
      "EnvMv"}},
    {"tblScenarios", {"Scenario", "Trial", "inFlowRateEnviron", "outFlowRateEnviron"}},
    {"tblDelayScenarios",
     {"DelayScenario", "inflowDelayValue", "inflowDelayLength", "outflowDelayValue",
      "outflowDelayLength"}},
    {"tblLabels", {"version", "LabelNumber", "LabelName"}},
    {"tblPasswords", {"username", "password"}},
    {"datSubject",
     {"Subject", "Version", "Condition", "Major", "Gender", "Age", "Date", "Time", "Simulated"}},
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
      "deltaTmeBetweenEnvUsr"}},
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
      "TotalForwardDischarge"}},
    {"datUserTimesSummary", {"Subject", "Version", "Trial", "Date", "SubmitClickTime"}},
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

TEST_F(SchemaTest, DeclaredTypesShowWhatAColumnHolds) {
    db::Connection connection = open();
    std::map<QString, QString> types;
    for (const auto& column : connection.tableColumns(QStringLiteral("datExperimentTrials"))) {
        types[column.name] = column.declaredType;
        EXPECT_EQ(column.isBoolean(), column.name.startsWith(QStringLiteral("Is")) ||
                                          column.name == QStringLiteral("graphicalMode"))
            << column.name.toStdString();
    }
    EXPECT_EQ(types["Date"], QStringLiteral("DATE"));
    EXPECT_EQ(types["Time"], QStringLiteral("TIME"));
    EXPECT_EQ(types["EventID"], QStringLiteral("INTEGER"));
    EXPECT_EQ(types["AmountInTank"], QStringLiteral("DOUBLE"));
    EXPECT_EQ(types["graphicalMode"], QStringLiteral("BOOLEAN"));
}

TEST_F(SchemaTest, TheQueriesFindTheirIndexes) {
    db::Connection connection = open();
    const struct {
        const char* query;
        const char* index;
    } cases[] = {
        {"SELECT * FROM datExperimentTrials WHERE datExperimentTrials.Subject='a' and version ='1' "
         "ORDER BY  datExperimentTrials.EventID DESC;",
         "datExperimentTrials_Subject_Version_EventID"},
        {"select * from datTrialSummary where Version='1' and Subject='a' and Trial=3",
         "datTrialSummary_Subject_Version_Trial"},
        {"select * from datSubject where Version='1'", "datSubject_Version"},
        {"Select * from tblScenarios where Scenario=2;", "tblScenarios_Scenario"},
        {"Select LabelName from tblLabels where version='1' order by LabelNumber",
         "tblLabels_version_LabelNumber"},
    };
    for (const auto& c : cases) {
        db::Statement plan = connection.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") +
                                                QString::fromLatin1(c.query));
        QString details;
        while (plan.step()) details += plan.value(3).toString() + QLatin1Char('\n');
        EXPECT_TRUE(details.contains(QString::fromLatin1(c.index))) << c.query << "\n"
                                                                    << details.toStdString();
    }
}

TEST_F(SchemaTest, CreatingAgainKeepsTheRows) {
    file.execute(QStringLiteral("INSERT INTO tblSetup (Version, MaxTrial) VALUES ('A', 30)"));
    db::Connection connection = open();
    db::CreateSchema(connection);
    db::Statement count = connection.prepare(QStringLiteral("SELECT count(*) FROM tblSetup"));
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.intValue(0), 1);
}

}  // namespace
