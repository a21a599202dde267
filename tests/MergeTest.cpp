// Per-station files brought together: three stations merged equal one file all three recorded
// into; a second merge adds nothing; a participant recorded differently on two files, a
// version configured differently and a file named twice stop the merge before it writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QTextStream>

#include "core/RunRecord.h"
#include "db/Schema.h"
#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"
#include "tool/common/ToolError.h"
#include "tool/data/Merge.h"

namespace {

class MergeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"lab", "shared", "station1", "station2", "station3"})
            ASSERT_TRUE(QFile::copy(demo.path(), file(name)));
    }

    QString file(const char* name) const {
        return demo.file(QString::fromLatin1(name) + QStringLiteral(".mdb"));
    }

    int tool(const QStringList& arguments) {
        output.clear();
        QString errors;
        QTextStream out(&output);
        QTextStream err(&errors);
        const int code = tool::RunTool(arguments, out, err);
        out.flush();
        err.flush();
        output += errors;
        return code;
    }

    // Two simulated participants played at a station, named after it.
    void play(const QString& database, int station) {
        ASSERT_EQ(tool({"simulate", database, "TankP", "--strategy", "random", "--runs", "2",
                        "--seed", QString::number(station * 10), "--record", "--subject",
                        QStringLiteral("st%1").arg(station)}),
                  0)
            << output.toStdString();
    }

    // Every recorded table's rows in stored order, without the moments of recording and the
    // keys of the writes, which two plays of the same run do not share.
    QStringList recorded(const QString& database) {
        auto connection = tool::OpenExperimentDatabase(database, db::OpenMode::ReadOnly);
        QStringList rows;
        for (const db::TableDef& table : db::Tables()) {
            if (!table.recorded) continue;
            QStringList columns;
            for (const db::ColumnDef& column : table.columns)
                if (column.type != db::ColumnType::Date && column.type != db::ColumnType::Time &&
                    column.name != QLatin1String(db::kWriteKeyColumn))
                    columns << db::QuoteIdentifier(column.name);
            db::Statement select =
                connection->prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                        .arg(columns.join(','), table.name, connection->rowKey()));
            while (select.step()) {
                QStringList cells{table.name};
                for (int c = 0; c < select.columnCount(); ++c)
                    cells << (select.isNull(c) ? "NULL" : select.value(c).toString());
                rows << cells.join('|');
            }
        }
        return rows;
    }

    // The keys of every recorded write, sorted.
    QStringList writeKeys(const QString& database) {
        QStringList keys;
        for (const char* table : {"datExperimentTrials", "datTrialSummary", "datUserTimesSummary"})
            keys << Column(database,
                           QStringLiteral("SELECT WriteKey FROM %1").arg(QLatin1String(table)));
        keys.sort();
        return keys;
    }

    DemoDatabase demo;
    QString output;
};

TEST_F(MergeTest, ThreeStationsMergedEqualTheFileAllThreeWouldHaveWritten) {
    for (int station = 1; station <= 3; ++station) {
        play(file("shared"), station);
        play(file(QStringLiteral("station%1").arg(station).toLatin1().constData()), station);
    }
    ASSERT_EQ(tool({"merge", file("lab"), file("station1"), file("station2"), file("station3")}), 0)
        << output.toStdString();
    EXPECT_TRUE(output.contains(file("station2") + ": 2 participants added"))
        << output.toStdString();
    const QStringList shared = recorded(file("shared"));
    EXPECT_GT(shared.size(), 100);
    EXPECT_EQ(recorded(file("lab")), shared);
    QStringList stationKeys =
        writeKeys(file("station1")) + writeKeys(file("station2")) + writeKeys(file("station3"));
    stationKeys.sort();
    EXPECT_EQ(writeKeys(file("lab")), stationKeys) << "the writes' keys came along";

    ASSERT_EQ(tool({"merge", file("lab"), file("station1"), file("station2"), file("station3")}), 0)
        << output.toStdString();
    EXPECT_TRUE(
        output.contains(file("station3") + ": 0 participants added (0 rows), 2 already there"))
        << output.toStdString();
    EXPECT_EQ(recorded(file("lab")), shared) << "the second merge added rows";
}

// A participant the lab already holds from an export imported (rows without their writes'
// keys) is already there, not recorded differently.
TEST_F(MergeTest, RowsThatReachedTheLabWithoutTheirKeysAreAlreadyThere) {
    play(file("station1"), 1);
    ASSERT_EQ(tool({"merge", file("lab"), file("station1")}), 0) << output.toStdString();
    for (const char* table : {"datExperimentTrials", "datTrialSummary", "datUserTimesSummary"})
        Execute(file("lab"),
                QStringLiteral("UPDATE %1 SET WriteKey = NULL").arg(QLatin1String(table)));
    const QStringList before = recorded(file("lab"));
    ASSERT_EQ(tool({"merge", file("lab"), file("station1")}), 0) << output.toStdString();
    EXPECT_TRUE(
        output.contains(file("station1") + ": 0 participants added (0 rows), 2 already there"))
        << output.toStdString();
    EXPECT_EQ(recorded(file("lab")), before);
}

// Nothing is written unless everything can be: station1's participants stay out too.
TEST_F(MergeTest, AParticipantRecordedDifferentlyOnTwoFilesIsNamedAndNothingIsMerged) {
    play(file("station1"), 1);
    play(file("station2"), 2);
    play(file("station3"), 2);
    Execute(file("station3"),
            "UPDATE datTrialSummary SET AmountInTank = AmountInTank + 1 WHERE Trial = 3");
    const QStringList before = recorded(file("lab"));
    EXPECT_EQ(tool({"merge", file("lab"), file("station1"), file("station2"), file("station3")}),
              1);
    EXPECT_TRUE(output.contains("participant 'st2-random-20' in version 'TankP' is recorded in " +
                                file("lab") + " and in " + file("station3") +
                                " with different rows; nothing was merged"))
        << output.toStdString();
    EXPECT_EQ(recorded(file("lab")), before);
}

TEST_F(MergeTest, AStationThatPlayedAnotherConfigurationIsRefused) {
    Execute(file("station1"), "UPDATE tblSetup SET MaxTrial = 10 WHERE Version = 'TankP'");
    play(file("station1"), 1);
    EXPECT_EQ(tool({"merge", file("lab"), file("station1")}), 1);
    EXPECT_TRUE(
        output.contains("played a configuration of 'TankP' other than the one in " + file("lab")))
        << output.toStdString();
    Execute(file("lab"), "DELETE FROM tblSetup WHERE Version = 'TankP'");
    EXPECT_EQ(tool({"merge", file("lab"), file("station1")}), 1);
    EXPECT_TRUE(output.contains(file("lab") + " has no version 'TankP' in tblSetup"))
        << output.toStdString();
}

TEST_F(MergeTest, ACancelledMergeLeavesTheLabsFileAsItWas) {
    play(file("station1"), 1);
    play(file("station2"), 2);
    const QStringList before = recorded(file("lab"));
    CancelAfter cancel(1);
    try {
        tool::MergeStations(file("lab"), {file("station1"), file("station2")}, cancel);
        ADD_FAILURE() << "the cancelled merge went on";
    } catch (const tool::Cancelled& error) {
        EXPECT_EQ(error.message(), "cancelled; nothing was written");
    }
    EXPECT_GE(cancel.reported(), 1);
    EXPECT_EQ(recorded(file("lab")), before);
}

TEST_F(MergeTest, AFileNamedTwiceIsRefused) {
    EXPECT_EQ(tool({"merge", file("lab"), file("station1"), file("station1")}), 1);
    EXPECT_TRUE(output.contains(file("station1") + " is named twice")) << output.toStdString();
    EXPECT_EQ(tool({"merge", file("lab"), file("lab")}), 1);
}

}  // namespace
