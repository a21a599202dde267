// A lab server that goes away while stations record, and a station killed while it records:
// nothing half-written, nothing lost, and the run goes on where it stood once the server is
// back.
#include <gtest/gtest.h>

#include <QProcess>
#include <vector>

#include "core/RunRecord.h"
#include "db/Engine.h"
#include "recording/EventLog.h"
#include "runtime/Questions.h"
#include "tests/support/TestServer.h"

namespace {

// The experimenter restarts the server when the first question comes, then answers Yes to
// every question; each question is kept.
class RestartThenYes : public runtime::Questions {
  public:
    explicit RestartThenYes(const OwnTestServer& server) : server_(server) {}

    runtime::Answer ask(const runtime::Question& question) override {
        shown.push_back(question);
        if (shown.size() == 1) server_.start();
        return runtime::Answer::Yes;
    }

    std::vector<runtime::Question> shown;

  private:
    const OwnTestServer& server_;
};

void RecordEvents(::Run& run, int from, int to) {
    for (int event = from; event <= to; ++event) {
        run.state.EventID = event;
        RecordEvent(run, QStringLiteral("After Cost Calculation"));
    }
}

TEST(ServerFaultTest, AServerLostInTheMiddleOfARunIsAskedAboutAndYesGoesOnWhereTheRunStood) {
    ::Run run;
    OwnTestServer server(QStringLiteral("lost"));
    const QString location = ServerLocationIn(server.folder(), QStringLiteral("fx_lost"));
    {
        db::Connection connection(location, db::DatabasePassword(), db::OpenMode::Create);
        db::CreateSchema(connection);
    }
    RestartThenYes questions(server);
    run.session.databasePath = location;
    run.asks = &questions;
    run.state.SubjectName = QStringLiteral("Ann");
    run.state.Version = QStringLiteral("TankP");

    RecordEvents(run, 1, 3);
    server.halt();
    RecordEvents(run, 4, 6);

    ASSERT_FALSE(questions.shown.empty()) << "the lost server was not asked about";
    EXPECT_TRUE(questions.shown[0].text.contains(QStringLiteral("lab server")))
        << questions.shown[0].text.toStdString();
    EXPECT_EQ(FirstRow(location, QStringLiteral("SELECT count(*), count(DISTINCT EventID), "
                                                "min(EventID), max(EventID) FROM "
                                                "datExperimentTrials")),
              (QStringList{"6", "6", "1", "6"}));
}

TEST(ServerFaultTest, AStationKilledWhileItRecordsLeavesOnlyWholeRowsAndNoLockBehind) {
    TempServerDatabase database;
    QProcess station;
    station.start(QStringLiteral(FX_STATION_PLAYER),
                  {database.location(), QStringLiteral("Killed"), QStringLiteral("100000")});
    // It records without a pause: killed after 200 rows, it is in the middle of a write.
    int recorded = 0;
    while (recorded < 200 && station.waitForReadyRead(20000))
        recorded += int(station.readAllStandardOutput().count('\n'));
    ASSERT_GE(recorded, 200);
    station.kill();
    ASSERT_TRUE(station.waitForFinished(20000));

    const QStringList counts =
        FirstRow(database.location(), QStringLiteral("SELECT count(*), count(DISTINCT EventID), "
                                                     "max(EventID) FROM datExperimentTrials"));
    ASSERT_EQ(counts.size(), 3);
    EXPECT_GE(counts[0].toInt(), recorded);
    EXPECT_EQ(counts[1], counts[0]) << "a row was written twice";
    EXPECT_EQ(counts[2], counts[0]) << "a row is missing before the last one";
    EXPECT_EQ(FirstRow(database.location(),
                       QStringLiteral("SELECT count(*) FROM datExperimentTrials WHERE eventType "
                                      "IS NULL OR Trial IS NULL OR Date IS NULL OR Time IS NULL "
                                      "OR TotBonus IS NULL OR deltaTmeBetweenEnvUsr IS NULL")),
              QStringList{"0"});
    // The killed station holds nothing: another writes at once.
    db::Connection next(database.location(), db::DatabasePassword(), db::OpenMode::ReadWrite);
    next.setBusyTimeout(1000);
    db::Transaction transaction(next);
    next.execute(
        QStringLiteral("UPDATE datExperimentTrials SET Trial = Trial WHERE Subject = 'Killed'"));
    transaction.commit();
}

}  // namespace
