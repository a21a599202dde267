// The model a version's settings are edited through: consistent as Qt's model tester sees it,
// grouped with units and meanings, every edit judged by the rule book as it is typed, and
// edits undone and redone.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <optional>

#include "lab/SetupModel.h"
#include "lab/VersionStore.h"
#include "tests/support/ModelTester.h"
#include "tests/support/ToolFixtures.h"

namespace {

using lab::SetupModel;
using Severity = config::Severity;

class SetupModelTest : public ::testing::Test {
  protected:
    void SetUp() override { load(QStringLiteral("TankP")); }

    void load(const QString& version) {
        const lab::VersionStore store{lab::Study(demo.path())};
        model.load(store.read(version), store.rules());
    }
    QModelIndex cell(const QString& column, int part = SetupModel::Value) const {
        return model.index(model.rowOf(column), part);
    }
    void type(const QString& column, const QString& text) {
        ASSERT_GE(model.rowOf(column), 0) << column.toStdString();
        EXPECT_TRUE(model.setData(cell(column), text));
    }
    QString text(const QString& column) const { return cell(column).data().toString(); }

    DemoDatabase demo;
    SetupModel model;
};

TEST_F(SetupModelTest, StaysConsistentForQtsModelTesterWhileLoadedTypedAndUndone) {
    const TesterFailures failures;
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    type(QStringLiteral("GoalLinePoisition"), QStringLiteral("abc"));
    type(QStringLiteral("MaxTrial"), QStringLiteral("25"));
    model.setData(cell(QStringLiteral("ShowBackOrder")), Qt::Unchecked, Qt::CheckStateRole);
    model.undoStack().undo();
    model.undoStack().redo();
    load(QStringLiteral("StoreT"));
    type(QStringLiteral("YUnits"), QStringLiteral("Customers"));
    model.load({}, nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(failures.caught().isEmpty()) << failures.caught().join('\n').toStdString();
}

TEST_F(SetupModelTest, ShowsEverySettingGroupedByMeaningWithItsUnitAndTheCodebooksMeaning) {
    // Every column of tblSetup but the version's name.
    EXPECT_EQ(model.rowCount(), 34);
    EXPECT_EQ(model.rowOf(QStringLiteral("Version")), -1);
    QStringList groups;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString group = model.index(row, 0).data(SetupModel::GroupRole).toString();
        if (groups.isEmpty() || groups.back() != group) groups << group;
    }
    EXPECT_EQ(groups, (QStringList{"Stock and &goal", "&Periods and bonus rules",
                                   "Pacing and ti&ming", "What the screen s&hows"}));
    EXPECT_EQ(cell("GoalLinePoisition", SetupModel::Meaning).data().toString(),
              QStringLiteral("goal level of the stock"));
    // Amounts are in the version's own unit, which follows its YUnits as typed.
    EXPECT_EQ(cell("GoalLinePoisition", SetupModel::Unit).data().toString(),
              QStringLiteral("Gallons"));
    type(QStringLiteral("YUnits"), QStringLiteral("Litres"));
    EXPECT_EQ(cell("InitialAmountInTank", SetupModel::Unit).data().toString(),
              QStringLiteral("Litres"));
    EXPECT_EQ(cell("TimeBetweenEnvTries", SetupModel::Unit).data().toString(),
              QStringLiteral("ms"));
    // Cells read as an export writes them.
    EXPECT_EQ(text("GoalLinePoisition"), QStringLiteral("60"));
    EXPECT_EQ(text("BonusAmount"), QStringLiteral("0.25"));
    EXPECT_EQ(text("ShowBackOrder"), QStringLiteral("TRUE"));
    EXPECT_EQ(cell("ShowBackOrder").data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(cell("ShowBackOrder").flags() & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(cell("MaxTrial").flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(cell("MaxTrial", SetupModel::Setting).flags() & Qt::ItemIsEditable);
}

struct MarkCase {
    const char* version;
    const char* column;
    const char* typed;
    std::optional<Severity> severity;  // none: the setting is not marked
    const char* message;
};

void PrintTo(const MarkCase& c, std::ostream* os) {
    *os << c.version << "." << c.column << " = '" << c.typed << "'";
}

class RuleMarks : public SetupModelTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(RuleMarks, MarkTheSettingAsTypedWithTheRulesOwnMessage) {
    const MarkCase& c = GetParam();
    load(QString::fromLatin1(c.version));
    const QString column = QString::fromLatin1(c.column);
    type(column, QString::fromUtf8(c.typed));
    const QVariant severity = cell(column).data(SetupModel::SeverityRole);
    if (!c.severity) {
        EXPECT_FALSE(severity.isValid());
        EXPECT_FALSE(cell(column).data(Qt::BackgroundRole).isValid());
        EXPECT_TRUE(cell(column, SetupModel::Rule).data().toString().isEmpty());
        return;
    }
    EXPECT_EQ(severity.toInt(), static_cast<int>(*c.severity));
    EXPECT_TRUE(cell(column).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(cell(column).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(cell(column, SetupModel::Rule).data().toString(), QString::fromUtf8(c.message));
    // A refusal stops a save and is named; a warning does not.
    const QString refusal =
        QStringLiteral("column %1: %2").arg(column, QString::fromUtf8(c.message));
    EXPECT_EQ(model.refusals().contains(refusal), *c.severity == Severity::Refuses);
}

INSTANTIATE_TEST_SUITE_P(
    TypedSettings, RuleMarks,
    ::testing::Values(
        MarkCase{"TankP", "GoalLinePoisition", "35.5", std::nullopt, ""},
        MarkCase{"TankP", "GoalLinePoisition", "abc", Severity::Refuses, "'abc' is not a number"},
        MarkCase{"TankP", "GoalLinePoisition", "4,5", Severity::Refuses,
                 "'4,5' is not a number (write decimals with a point)"},
        MarkCase{"TankP", "GoalLinePoisition", "", Severity::Refuses,
                 "Version 'TankP' in tblSetup: GoalLinePoisition is empty; it must hold a number."},
        MarkCase{"TankP", "GoalLinePoisition", "500", Severity::Warns,
                 "Version 'TankP' in tblSetup: GoalLinePoisition 500 is outside the tank's scale 0 "
                 "to 100 (the top label); the goal line would be drawn off the tank."},
        MarkCase{"TankP", "MaxTrial", "0", Severity::Refuses,
                 "Version 'TankP' in tblSetup: MaxTrial is 0; the experiment needs at least one "
                 "period."},
        MarkCase{"TankP", "MaxTrial", "40", Severity::Refuses,
                 "Version 'TankP' in tblSetup: MaxTrial is 40, but MaxNumberOfAScenarioType (30) "
                 "gives environment rates only up to period 31."},
        MarkCase{"TankP", "MaxTrial", "12.5", Severity::Refuses, "'12.5' is not a whole number"},
        MarkCase{"TankP", "numMarks", "40000", Severity::Refuses,
                 "Version 'TankP' in tblSetup: numMarks is 40000, outside the range -32768 to "
                 "32767."},
        MarkCase{"TankP", "numMarks", "11", Severity::Refuses,
                 "Version 'TankP' in tblSetup: numMarks is 11; the tank has room for 1 to 10 scale "
                 "marks."},
        MarkCase{"TankP", "Language", "xx", Severity::Refuses,
                 "Version 'TankP' in tblSetup: Language is 'xx'; the screens speak en (English), "
                 "de (German), es (Spanish), fr (French) or zh (Chinese), and an empty cell means "
                 "en."},
        MarkCase{"TankP", "Language", "de", std::nullopt, ""},
        MarkCase{"TankP", "simTimeForTP", "0", Severity::Warns,
                 "Version 'TankP' in tblSetup: simTimeForTP is 0; a period must last longer than "
                 "0 (the environment's rates are multiplied by it)."},
        MarkCase{"TankT", "TimeBetweenEnvTries", "0", Severity::Refuses,
                 "Version 'TankT' in tblSetup: TimeBetweenEnvTries is 0 ms; a version that runs "
                 "on a clock (IsTimeDriven) needs at least 1 ms."},
        MarkCase{"TankP", "TimeBetweenEnvTries", "0", std::nullopt, ""},
        MarkCase{"TankP", "DelayScenario", "99", Severity::Refuses,
                 "Delay scenario 99 has no rows in tblDelayScenarios."},
        MarkCase{"TankP", "ScenarioUsed", "99", Severity::Refuses,
                 "Environment scenario 99 has no rows in tblScenarios."},
        MarkCase{"TankP", "graphicalMode", "maybe", Severity::Refuses,
                 "'maybe' is not TRUE or FALSE"},
        MarkCase{"StoreP", "RWIDTH", "0", Severity::Warns,
                 "Version 'StoreP' in tblSetup: RWIDTH is 0; a person's block must be more than 0 "
                 "pixels wide."},
        MarkCase{"TankP", "ExperimentTimeForInstructions", "3e10", Severity::Refuses,
                 "Version 'TankP' in tblSetup: ExperimentTimeForInstructions is 30000000000, "
                 "outside the range -2147483648 to 2147483647."}));

TEST_F(SetupModelTest, ARuleOfAnotherTableIsReportedBesideTheSettings) {
    // A store has no scale; as a tank, StoreP has no labels to make one.
    load(QStringLiteral("StoreP"));
    EXPECT_TRUE(model.otherFindings().empty());
    model.setData(cell(QStringLiteral("graphicalMode")), Qt::Checked, Qt::CheckStateRole);
    ASSERT_EQ(model.otherFindings().size(), 1U);
    EXPECT_EQ(model.otherFindings().front().table, QStringLiteral("tblLabels"));
    EXPECT_EQ(model.refusals(),
              QStringList{"tblLabels, column version: Version 'StoreP' has no labels in tblLabels, "
                          "so the top of the tank's scale would be 0."});
}

TEST_F(SetupModelTest, KeystrokesInOneSettingAreOneStepToUndoAndRedo) {
    type(QStringLiteral("GoalLinePoisition"), QStringLiteral("6"));
    type(QStringLiteral("GoalLinePoisition"), QStringLiteral("65"));
    type(QStringLiteral("MaxTrial"), QStringLiteral("25"));
    EXPECT_EQ(model.undoStack().count(), 2);
    EXPECT_TRUE(model.isModified());
    const std::vector<lab::CellChange> expected{{"GoalLinePoisition", 65.0}, {"MaxTrial", 25LL}};
    EXPECT_EQ(model.changes(), expected);

    model.undoStack().undo();
    EXPECT_EQ(text("MaxTrial"), QStringLiteral("20"));
    model.undoStack().undo();
    EXPECT_EQ(text("GoalLinePoisition"), QStringLiteral("60"));
    EXPECT_FALSE(model.isModified());
    EXPECT_TRUE(model.changes().empty());

    model.undoStack().redo();
    model.undoStack().redo();
    EXPECT_EQ(text("GoalLinePoisition"), QStringLiteral("65"));
    EXPECT_EQ(model.changes(), expected);
}

TEST_F(SetupModelTest, ATextThatStoresTheSameValueIsNoChange) {
    type(QStringLiteral("GoalLinePoisition"), QStringLiteral(" 60.0 "));
    type(QStringLiteral("ShowBackOrder"), QStringLiteral("-1"));
    EXPECT_TRUE(model.changes().empty());
    // Typing back what was there is no step to undo.
    type(QStringLiteral("MaxTrial"), QStringLiteral("2"));
    type(QStringLiteral("MaxTrial"), QStringLiteral("20"));
    EXPECT_EQ(model.undoStack().count(), 2);
}

TEST_F(SetupModelTest, AfterAChangeBySomeoneElseOnlyTheSettingsEditedHereKeepTheirEdits) {
    type(QStringLiteral("GoalLinePoisition"), QStringLiteral("35"));
    lab::StoredVersion theirs = model.opened();
    const int maxTrial = tool::ColumnIndex(theirs.columns, QStringLiteral("MaxTrial"));
    const int goal = tool::ColumnIndex(theirs.columns, QStringLiteral("GoalLinePoisition"));
    theirs.values[maxTrial] = 25LL;
    theirs.values[goal] = 50.0;
    model.rebase(theirs);
    EXPECT_EQ(text("MaxTrial"), QStringLiteral("25"));
    EXPECT_EQ(text("GoalLinePoisition"), QStringLiteral("35"));
    const std::vector<lab::CellChange> mine{{"GoalLinePoisition", 35.0}};
    EXPECT_EQ(model.changes(), mine);
}

}  // namespace
