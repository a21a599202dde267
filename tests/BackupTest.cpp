// fluxmere-db backup: a copy taken while a station records holds whole writes and opens with
// the program's password; an existing file is never written over.
#include <gtest/gtest.h>

#include <QTextStream>
#include <atomic>
#include <thread>

#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"
#include "tool/data/Check.h"

namespace {

int Tool(const QStringList& arguments, QString& output) {
    QTextStream out(&output);
    QTextStream err(&output);
    return tool::RunTool(arguments, out, err);
}

// A station's writes: ten events a transaction, one transaction after another.
class RecordingStation {
  public:
    explicit RecordingStation(const QString& path)
        : thread_([this, path] {
              db::Connection connection(path, db::DatabasePassword(), db::OpenMode::ReadWrite,
                                        10000);
              for (int write = 0; !stop_; ++write) {
                  db::Transaction transaction(connection);
                  for (int event = 0; event < 10; ++event)
                      connection.execute(QStringLiteral("INSERT INTO datExperimentTrials "
                                                        "(Subject, Version, EventID) VALUES "
                                                        "('Ann', 'TankP', %1)")
                                             .arg(write * 10 + event));
                  transaction.commit();
                  ++writes_;
              }
          }) {}
    ~RecordingStation() {
        stop_ = true;
        thread_.join();
    }
    int writes() const { return writes_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<int> writes_{0};
    std::thread thread_;
};

TEST(BackupTest, ACopyTakenWhileAStationRecordsHoldsWholeWritesAndOpensWithThePassword) {
    DemoDatabase demo;
    RecordEvents(demo.path(), 20000);
    const QString copy = demo.file("copy.mdb");
    QString output;
    {
        RecordingStation station(demo.path());
        while (station.writes() < 5) std::this_thread::yield();
        ASSERT_EQ(Tool({"backup", demo.path(), copy}, output), 0) << output.toStdString();
        EXPECT_GT(station.writes(), 5) << "the station was held up for the whole copy";
    }
    EXPECT_EQ(output, "copied " + demo.path() + " to " + copy + "\n");
    const QStringList stationEvents =
        Column(copy, "SELECT count(*) FROM datExperimentTrials WHERE Subject = 'Ann'");
    ASSERT_EQ(stationEvents.size(), 1);
    EXPECT_EQ(stationEvents[0].toInt() % 10, 0) << "a write was copied in part";
    EXPECT_EQ(Column(copy, "SELECT count(*) FROM datExperimentTrials WHERE Subject <> 'Ann'"),
              QStringList{"20000"});
    for (const tool::Problem& problem : tool::CheckDatabase(copy))
        EXPECT_EQ(problem.severity, config::Severity::Warns) << problem.text().toStdString();
    EXPECT_FALSE(QFile::exists(copy + "-incomplete"));
}

TEST(BackupTest, AnExistingFileIsNeverWrittenOver) {
    DemoDatabase demo;
    const QString copy = demo.file("copy.mdb");
    WriteFile(copy, "last week's notes");
    QString output;
    EXPECT_EQ(Tool({"backup", demo.path(), copy}, output), 1);
    EXPECT_TRUE(output.contains("exists already; a backup never writes over a file"))
        << output.toStdString();
    EXPECT_EQ(ReadFile(copy), "last week's notes");
}

TEST(BackupTest, AFolderThatCannotTakeTheCopyIsNamedAndLeavesNothing) {
    DemoDatabase demo;
    const QString copy = demo.file("missing/copy.mdb");
    QString output;
    EXPECT_EQ(Tool({"backup", demo.path(), copy}, output), 1);
    EXPECT_TRUE(output.contains(copy)) << output.toStdString();
    EXPECT_FALSE(QFile::exists(copy + "-incomplete"));
}

}  // namespace
