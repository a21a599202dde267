// A version's environment scenario, delay segments and scale labels in the Versions tab: rows
// edited as typed cells (consistent for Qt's model tester), judged by the rule book as typed,
// added and taken out with undo, drawn live, and saved with the version in one transaction.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <optional>

#include "lab/VersionsTab.h"
#include "tests/support/ModelTester.h"
#include "tests/support/ToolFixtures.h"

namespace {

using Severity = config::Severity;

class VersionTablesTest : public ::testing::Test {
  protected:
    VersionTablesTest() { tab.showVersion(QStringLiteral("TankP")); }

    static void type(lab::RowsModel& rows, int row, const QString& column, const QString& text) {
        const int c = tool::ColumnIndex(rows.opened().columns, column);
        ASSERT_GE(c, 0) << column.toStdString();
        EXPECT_TRUE(rows.setData(rows.index(row, c), text));
    }
    static QString text(lab::RowsModel& rows, int row, const QString& column) {
        return rows.index(row, tool::ColumnIndex(rows.opened().columns, column)).data().toString();
    }
    QStringList stored(const QString& sql) const { return Column(demo.path(), sql); }

    DemoDatabase demo;
    lab::Study study{demo.path()};
    lab::VersionsTab tab{study};
};

TEST_F(VersionTablesTest, ShowTheTablesTheVersionNamesWithTheColumnsAnExperimenterEdits) {
    EXPECT_EQ(tab.scenario().rowCount(), 31);
    EXPECT_EQ(tab.scenario().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Trial"));
    EXPECT_EQ(tab.scenario().columnCount(), 3);
    // The segments in their order, without their numbers: the order is the rows'.
    EXPECT_EQ(tab.delays().rowCount(), 3);
    EXPECT_EQ(tab.delays().columnCount(), 4);
    EXPECT_EQ(text(tab.delays(), 1, QStringLiteral("inflowDelayValue")), QStringLiteral("3"));
    EXPECT_EQ(tab.labels().rowCount(), 10);
    // A scenario is shared by the versions that name it.
    EXPECT_EQ(tab.editorOf(tab.scenario()).caption(),
              QStringLiteral("Environment scenario 1 in tblScenarios, used by TankP, TankT: a "
                             "change here changes it for each of them."));
    EXPECT_EQ(text(tab.labels(), 9, QStringLiteral("LabelName")), QStringLiteral("100"));
}

TEST_F(VersionTablesTest, StayConsistentForQtsModelTesterWhileTypedAddedTakenOutAndUndone) {
    const TesterFailures failures;
    QAbstractItemModelTester tester(&tab.delays(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    type(tab.delays(), 0, QStringLiteral("inflowDelayValue"), QStringLiteral("x"));
    tab.delays().insertRows(1, 2);
    tab.delays().removeRows(0, 1);
    tab.delays().undoStack().undo();
    tab.delays().undoStack().undo();
    tab.showVersion(QStringLiteral("StoreP"));
    EXPECT_TRUE(failures.caught().isEmpty()) << failures.caught().join('\n').toStdString();
}

struct CellCase {
    const char* table;  // which of the version's tables
    int row;
    const char* column;
    const char* typed;
    std::optional<Severity> severity;
    const char* message;
};

void PrintTo(const CellCase& c, std::ostream* os) {
    *os << c.table << "[" << c.row << "]." << c.column << " = '" << c.typed << "'";
}

class CellMarks : public VersionTablesTest, public ::testing::WithParamInterface<CellCase> {
  protected:
    lab::RowsModel& rows() {
        const QString table = QString::fromLatin1(GetParam().table);
        if (table == QStringLiteral("tblScenarios")) return tab.scenario();
        if (table == QStringLiteral("tblDelayScenarios")) return tab.delays();
        return tab.labels();
    }
};

TEST_P(CellMarks, MarkTheCellAsTypedWithTheRulesOwnMessage) {
    const CellCase& c = GetParam();
    const QString column = QString::fromLatin1(c.column);
    type(rows(), c.row, column, QString::fromUtf8(c.typed));
    const QModelIndex cell =
        rows().index(c.row, tool::ColumnIndex(rows().opened().columns, column));
    const QVariant severity = cell.data(lab::RowsModel::SeverityRole);
    if (!c.severity) {
        EXPECT_FALSE(severity.isValid()) << cell.data(Qt::ToolTipRole).toString().toStdString();
        return;
    }
    EXPECT_EQ(severity.toInt(), static_cast<int>(*c.severity));
    EXPECT_TRUE(cell.data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), QString::fromUtf8(c.message));
    // Listed under the grid too, by its row and column.
    EXPECT_TRUE(tab.editorOf(rows()).findings().text().contains(
        QStringLiteral("row %1, column %2: ").arg(c.row + 1).arg(column) +
        (*c.severity == Severity::Warns ? QStringLiteral("warning: ") : QString()) +
        QString::fromUtf8(c.message)))
        << tab.editorOf(rows()).findings().text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    TypedCells, CellMarks,
    ::testing::Values(
        CellCase{"tblScenarios", 0, "inFlowRateEnviron", "7.5", std::nullopt, ""},
        CellCase{"tblScenarios", 0, "inFlowRateEnviron", "7,5", Severity::Refuses,
                 "'7,5' is not a number (write decimals with a point)"},
        CellCase{"tblScenarios", 0, "Trial", "x", Severity::Refuses, "'x' is not a whole number"},
        CellCase{"tblScenarios", 0, "Trial", "99", Severity::Refuses,
                 "Environment scenario 1 in tblScenarios: Trial is 99, outside the range 0 to 31 "
                 "(MaxNumberOfAScenarioType + 1)."},
        CellCase{"tblScenarios", 1, "Trial", "1", Severity::Warns,
                 "Environment scenario 1 in tblScenarios: Trial 1 is also in row 1; the program "
                 "would use only this later row."},
        CellCase{"tblDelayScenarios", 0, "inflowDelayValue", "0", Severity::Refuses,
                 "Delay scenario 1 in tblDelayScenarios, segment 1: inflowDelayValue is 0, "
                 "outside the range 1 to 32767."},
        CellCase{"tblDelayScenarios", 2, "outflowDelayLength", "-1", Severity::Refuses,
                 "Delay scenario 1 in tblDelayScenarios, segment 3: outflowDelayLength is -1, "
                 "outside the range 0 to 32767."},
        CellCase{"tblLabels", 1, "LabelNumber", "1", Severity::Warns,
                 "Version 'TankP' in tblLabels: LabelNumber 1 is also in row 1; the order of "
                 "their captions is not defined."},
        CellCase{"tblLabels", 9, "LabelName", "Full", Severity::Refuses,
                 "Version 'TankP' in tblLabels: the top label 'Full' reads as 0; it must start "
                 "with the amount at the top of the tank, a number other than 0."}));

TEST_F(VersionTablesTest, RowsAddedAndTakenOutAreOneStepEachToUndo) {
    lab::RowsModel& delays = tab.delays();
    delays.insertRows(3, 1);
    EXPECT_EQ(delays.rowCount(), 4);
    // An empty segment cannot be stored until it is filled.
    EXPECT_FALSE(delays.refusals().isEmpty());
    delays.removeRows(0, 2);
    EXPECT_EQ(delays.rowCount(), 2);
    delays.undoStack().undo();
    EXPECT_EQ(delays.rowCount(), 4);
    EXPECT_EQ(text(delays, 1, QStringLiteral("inflowDelayValue")), QStringLiteral("3"));
    delays.undoStack().undo();
    EXPECT_EQ(delays.rowCount(), 3);
    EXPECT_FALSE(delays.isModified());
}

TEST_F(VersionTablesTest, PlotsFollowTheRowsAsTyped) {
    type(tab.scenario(), 0, QStringLiteral("inFlowRateEnviron"), QStringLiteral("9.5"));
    const auto& flows = tab.flowPlot().series();
    ASSERT_EQ(flows.size(), 2U);
    EXPECT_EQ(flows[0].points.front(), QPointF(1, 9.5));
    EXPECT_EQ(flows[1].points.front(), QPointF(1, 3));
    EXPECT_EQ(flows[0].points.size(), 31U);
    // Segments of 6, 7 and 7 periods: the inflow delay is 2, then 3 from period 7, then 2
    // from period 14 until period 20.
    const auto& delays = tab.delayTimeline().series();
    ASSERT_EQ(delays.size(), 2U);
    EXPECT_EQ(delays[0].points, (std::vector<QPointF>{{1, 2}, {7, 3}, {14, 2}, {21, 2}}));
    type(tab.delays(), 0, QStringLiteral("inflowDelayLength"), QStringLiteral("4"));
    EXPECT_EQ(tab.delayTimeline().series()[0].points[1], QPointF(5, 3));
}

TEST_F(VersionTablesTest, SaveWritesTheEditedTablesWithTheVersionInOneTransaction) {
    type(tab.scenario(), 0, QStringLiteral("inFlowRateEnviron"), QStringLiteral("9.5"));
    tab.delays().removeRows(2, 1);
    type(tab.delays(), 1, QStringLiteral("inflowDelayLength"), QStringLiteral("14"));
    type(tab.delays(), 1, QStringLiteral("outflowDelayLength"), QStringLiteral("14"));
    type(tab.labels(), 9, QStringLiteral("LabelName"), QStringLiteral("100 gallons"));
    ASSERT_TRUE(tab.save()) << tab.told().toStdString();
    EXPECT_FALSE(tab.isModified());
    EXPECT_EQ(stored("SELECT inFlowRateEnviron FROM tblScenarios WHERE Scenario = 1 AND Trial = 1"),
              QStringList{"9.5"});
    EXPECT_EQ(stored("SELECT SegmentNumber || ':' || inflowDelayValue || ',' || "
                     "inflowDelayLength FROM tblDelayScenarios WHERE DelayScenario = 1 ORDER BY "
                     "SegmentNumber"),
              (QStringList{"1:2.0,6.0", "2:3.0,14.0"}));
    EXPECT_EQ(
        stored("SELECT LabelName FROM tblLabels WHERE version = 'TankP' AND LabelNumber = 10"),
        QStringList{"100 gallons"});
    // The other delay scenario and the other versions' labels stay as they were.
    EXPECT_EQ(stored("SELECT COUNT(*) FROM tblDelayScenarios WHERE DelayScenario = 2"),
              QStringList{"3"});
}

TEST_F(VersionTablesTest, SaveRefusesWhileACellBreaksARuleAndWritesNothing) {
    type(tab.scenario(), 0, QStringLiteral("inFlowRateEnviron"), QStringLiteral("9.5"));
    type(tab.delays(), 0, QStringLiteral("inflowDelayValue"), QStringLiteral("0"));
    EXPECT_FALSE(tab.save());
    EXPECT_EQ(tab.told(),
              QStringLiteral("Version 'TankP' is not saved: tblDelayScenarios, row 1, column "
                             "inflowDelayValue: Delay scenario 1 in tblDelayScenarios, segment 1: "
                             "inflowDelayValue is 0, outside the range 1 to 32767."));
    EXPECT_EQ(stored("SELECT inFlowRateEnviron FROM tblScenarios WHERE Scenario = 1 AND Trial = 1"),
              QStringList{"6"});
}

TEST_F(VersionTablesTest, RowsChangedBySomeoneElseStopTheSaveAndTheEditsStay) {
    lab::VersionsTab theirs(study);
    theirs.showVersion(QStringLiteral("TankT"));
    type(theirs.scenario(), 0, QStringLiteral("outFlowRateEnviron"), QStringLiteral("4"));
    ASSERT_TRUE(theirs.save()) << theirs.told().toStdString();
    type(tab.scenario(), 0, QStringLiteral("inFlowRateEnviron"), QStringLiteral("9.5"));
    EXPECT_FALSE(tab.save());
    EXPECT_EQ(tab.told(), QStringLiteral("Scenario 1 in tblScenarios was changed by someone else "
                                         "since you opened it, so nothing is saved; your edits "
                                         "are kept."));
    EXPECT_TRUE(tab.scenario().isModified());
    EXPECT_EQ(stored("SELECT inFlowRateEnviron || ',' || outFlowRateEnviron FROM tblScenarios "
                     "WHERE Scenario = 1 AND Trial = 1"),
              QStringList{"6.0,4.0"});
}

}  // namespace
