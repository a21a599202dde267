// fluxmere-db status and payments on a session of three stations: one finished, one in the
// middle of its run, one killed.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <ostream>

#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "session/Session.h"
#include "tests/support/ExperimentDatabase.h"
#include "tests/support/LabSession.h"
#include "tests/support/TestServer.h"
#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"

namespace {

const QDate& kDay = LabSession::kDay;
const QDateTime& kNow = LabSession::kNow;

class SessionTest : public ::testing::Test {
  protected:
    std::vector<QString> PlayThreeStations() { return lab.playThreeStations(); }
    QString Play(const QString& prefix) { return lab.play(prefix); }

    int Tool(const QStringList& arguments) {
        return RunToolOn(database.path(), arguments, output, errors, [] { return kNow; });
    }

    QString Line(const QString& subject) const {
        for (const QString& line : output.split(QLatin1Char('\n')))
            if (line.contains(subject)) return line;
        return QString();
    }

    ExperimentDatabase database;
    LabSession lab{database};
    QTemporaryDir folder;
    QString output;
    QString errors;
};

TEST_F(SessionTest, StatusShowsEachStationInItsState) {
    PlayThreeStations();
    ASSERT_EQ(Tool({"status"}), 0) << errors.toStdString();
    const QString done = Line("done-heuristic-1");
    const QString busy = Line("busy-heuristic-1");
    const QString gone = Line("gone-heuristic-1");
    EXPECT_TRUE(done.startsWith("lab-01")) << done.toStdString();
    EXPECT_TRUE(done.contains(" 6/6 ")) << done.toStdString();
    EXPECT_TRUE(done.endsWith("finished")) << done.toStdString();
    EXPECT_TRUE(busy.startsWith("lab-02")) << busy.toStdString();
    EXPECT_TRUE(busy.endsWith("running")) << busy.toStdString();
    EXPECT_TRUE(busy.contains(" 2 ")) << "seconds since the last event: " << busy.toStdString();
    EXPECT_TRUE(gone.startsWith("lab-03")) << gone.toStdString();
    EXPECT_TRUE(gone.contains(" 303 ")) << gone.toStdString();
    EXPECT_TRUE(gone.endsWith("stalled")) << gone.toStdString();
    EXPECT_TRUE(output.endsWith("3 participants at 10:05:03: 1 running, 1 finished, 1 stalled\n"))
        << output.toStdString();
}

TEST_F(SessionTest, StatusCsvGivesTheFiguresForMachines) {
    PlayThreeStations();
    ASSERT_EQ(Tool({"status", "--csv"}), 0) << errors.toStdString();
    const QStringList lines = output.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << output.toStdString();
    EXPECT_EQ(lines[0],
              "station,participant,version,period,max_trial,amount,goal,lower_bound,upper_bound,"
              "bonus,seconds_since_event,seconds_since_seen,state");
    EXPECT_TRUE(lines[1].startsWith("lab-01,done-heuristic-1,Paced,6,6,"))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",903,902,finished")) << lines[1].toStdString();
    EXPECT_TRUE(lines[3].endsWith(",303,301,stalled")) << lines[3].toStdString();
}

TEST_F(SessionTest, PaymentsSayWhatEachEarningsMessageSaid) {
    const std::vector<QString> messages = PlayThreeStations();
    const QString csv = folder.filePath("pay.csv");
    ASSERT_EQ(Tool({"payments", "--csv", csv}), 0) << errors.toStdString();

    const tool::SessionRun finished = [&] {
        tool::SessionReader reader(QDateTime(kDay, QTime(0, 0)), false);
        auto connection = tool::OpenExperimentDatabase(database.path(), db::OpenMode::ReadOnly);
        reader.read(*connection);
        return reader.runs().front();
    }();
    ASSERT_TRUE(finished.finished());
    const QString figure = EarningsFigure(finished.totBonus);
    EXPECT_NE(finished.totBonus, std::round(finished.totBonus)) << "the test needs cents";
    EXPECT_TRUE(messages[0].contains(" earned " + figure + " dollars"))
        << messages[0].toStdString();
    EXPECT_TRUE(Line("done-heuristic-1")
                    .contains(figure + "  done-heuristic-1 (Paced, lab-01): "
                                       "finished"))
        << output.toStdString();
    EXPECT_TRUE(output.contains("busy-heuristic-1 (Paced, lab-02): stopped early in period 2 of 6"))
        << output.toStdString();

    const QStringList rows =
        QString::fromUtf8(ReadFile(csv)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], "participant,station,version,outcome,period,max_trial,dollars");
    EXPECT_EQ(rows[1], "done-heuristic-1,lab-01,Paced,finished,6,6," + figure);
    double total = 0;
    for (int row = 1; row <= 3; ++row) total += rows[row].section(',', -1).toDouble();
    EXPECT_EQ(rows[4], QStringLiteral("total,,,,,,%1").arg(EarningsFigure(total)));
    EXPECT_TRUE(output.contains(EarningsFigure(total) + "  total, 3 participants"));
}

TEST_F(SessionTest, ThePdfSheetHasTheDateVersionsRowsAndTotal) {
    PlayThreeStations();
    const QString pdf = folder.filePath("pay.pdf");
    ASSERT_EQ(Tool({"payments", "--pdf", pdf}), 0) << errors.toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* expected :
         {"Fluxmere payment sheet", "Date: 2026-03-02 10:05", "Versions: Paced", "Signature",
          "done-heuristic-1", "lab-03", "stopped early in period 3 of 6", "Total: "})
        EXPECT_TRUE(page.contains(QLatin1String(expected))) << expected << "\n"
                                                            << page.toStdString();
}

TEST_F(SessionTest, SimulatedParticipantsAndEarlierDaysAreLeftOut) {
    PlayThreeStations();
    Play(QStringLiteral("sim"));  // recorded at 09:00, marked Simulated
    database.execute(
        "UPDATE datExperimentTrials SET Date='2026-03-01' WHERE Subject='gone-heuristic-1'");
    database.execute("UPDATE datSubject SET Date='2026-03-01' WHERE Subject='gone-heuristic-1'");
    database.execute(
        "UPDATE datRunClaims SET LastSeen='2026-03-01T10:00:00Z' WHERE "
        "Subject='gone-heuristic-1'");

    ASSERT_EQ(Tool({"payments"}), 0) << errors.toStdString();
    EXPECT_TRUE(output.contains("total, 2 participants")) << output.toStdString();
    ASSERT_EQ(Tool({"payments", "--simulated", "--since", "2026-03-01"}), 0);
    EXPECT_TRUE(output.contains("sim-heuristic-1")) << output.toStdString();
    EXPECT_TRUE(output.contains("total, 4 participants")) << output.toStdString();
    ASSERT_EQ(Tool({"status", "--since", "2026-03-02T09:55"}), 0);
    EXPECT_TRUE(output.contains("1 participant at")) << output.toStdString();
    EXPECT_EQ(Tool({"status", "--since", "yesterday"}), 2);
    EXPECT_TRUE(errors.contains("--since needs today, yyyy-mm-dd or yyyy-mm-ddThh:mm"));
    EXPECT_EQ(Tool({"status", "--csv", "--watch"}), 2);
}

TEST_F(SessionTest, AReaderKeptBetweenReadsTakesOnlyWhatIsNew) {
    Play(QStringLiteral("done"));
    database.execute("UPDATE datSubject SET Simulated=0");
    tool::SessionReader kept(QDateTime(kDay, QTime(0, 0)), false);
    auto read = [&](tool::SessionReader& reader) {
        auto connection = tool::OpenExperimentDatabase(database.path(), db::OpenMode::ReadOnly);
        return reader.read(*connection, 1);
    };
    EXPECT_TRUE(read(kept));
    ASSERT_EQ(kept.runs().size(), 1u);
    EXPECT_TRUE(kept.runs()[0].finished());
    const std::map<int, double> path = kept.runs()[0].amountAfter;
    EXPECT_EQ(path.size(), 6u);

    // A second participant plays; the kept reader reads the new rows and only those.
    Play(QStringLiteral("next"));
    database.execute("UPDATE datSubject SET Simulated=0");
    EXPECT_TRUE(read(kept));
    tool::SessionReader fresh(QDateTime(kDay, QTime(0, 0)), false);
    EXPECT_TRUE(read(fresh));
    const auto keptRuns = kept.runs();
    const auto freshRuns = fresh.runs();
    ASSERT_EQ(freshRuns.size(), 2u);
    ASSERT_EQ(keptRuns.size(), 2u);
    EXPECT_EQ(keptRuns[0].amountAfter, path);
    for (const auto& run : freshRuns) {
        const auto same = std::find_if(keptRuns.begin(), keptRuns.end(),
                                       [&](const auto& k) { return k.subject == run.subject; });
        ASSERT_NE(same, keptRuns.end()) << run.subject.toStdString();
        EXPECT_EQ(same->lastEventId, run.lastEventId);
        EXPECT_EQ(same->amountAfter, run.amountAfter);
    }
}

// A file made before stations and claims were recorded: its participants show without them.
TEST_F(SessionTest, AnOlderFileWithoutStationsOrClaimsShowsItsParticipants) {
    PlayThreeStations();
    database.execute("DROP TABLE datRunClaims");
    database.execute(
        "CREATE TABLE old AS SELECT Subject, Version, Condition, Major, Gender, Age, Date, Time "
        "FROM datSubject; DROP TABLE datSubject; ALTER TABLE old RENAME TO datSubject");
    ASSERT_EQ(Tool({"status"}), 0) << errors.toStdString();
    EXPECT_TRUE(Line("busy-heuristic-1").startsWith("?")) << output.toStdString();
    EXPECT_TRUE(Line("gone-heuristic-1").endsWith("stalled")) << output.toStdString();
    EXPECT_TRUE(output.endsWith("3 participants at 10:05:03: 1 running, 1 finished, 1 stalled\n"))
        << output.toStdString();
}

TEST_F(SessionTest, AFileThatIsNoExperimentDatabaseIsNamed) {
    const QString path = folder.filePath("notes.mdb");
    WriteFile(path, "shopping list\n");
    for (const char* command : {"status", "payments"}) {
        output.clear();
        errors.clear();
        QTextStream out(&output);
        QTextStream err(&errors);
        EXPECT_EQ(tool::RunTool({command, path}, out, err), 1) << command;
        EXPECT_TRUE(errors.contains(path)) << errors.toStdString();
    }
}

// --watch redraws the table in place, every second, until stopped.
TEST_F(SessionTest, WatchRedrawsInPlace) {
    PlayThreeStations();
    QProcess watch;
    watch.start(QStringLiteral(FLUXMERE_DB),
                {QStringLiteral("status"), database.path(), QStringLiteral("--watch"),
                 QStringLiteral("--since"), QStringLiteral("2026-03-02")});
    ASSERT_TRUE(watch.waitForStarted());
    EXPECT_FALSE(watch.waitForFinished(2500));
    watch.kill();
    watch.waitForFinished();
    const QByteArray shown = watch.readAllStandardOutput();
    EXPECT_GE(shown.count("\x1b[H\x1b[2J"), 2) << shown.toStdString();
    EXPECT_GE(shown.count("busy-heuristic-1"), 2) << shown.toStdString();
}

// A lab server holding the same session shows the same status and the same payments.
TEST_F(SessionTest, AServerHoldingTheSameSessionShowsTheSame) {
    PlayThreeStations();
    const TempServerDatabase server(TempServerDatabase::Contents::Empty);
    const QString exported = folder.filePath("exported");
    ASSERT_EQ(Tool({"export", exported}), 0) << errors.toStdString();
    ASSERT_EQ(Tool({"create"}), 1);  // the file exists; the server is made below
    output.clear();
    errors.clear();
    QTextStream out(&output);
    QTextStream err(&errors);
    ASSERT_EQ(tool::RunTool({"create", server.location()}, out, err), 0) << errors.toStdString();
    ASSERT_EQ(tool::RunTool({"import", server.location(), exported}, out, err), 0)
        << errors.toStdString();
    for (const QStringList& command :
         {QStringList{"status"}, QStringList{"status", "--csv"}, QStringList{"payments"}}) {
        ASSERT_EQ(Tool(command), 0) << errors.toStdString();
        const QString fromFile = output;
        output.clear();
        ASSERT_EQ(tool::RunTool(QStringList{command.front(), server.location()} + command.mid(1),
                                out, err, [] { return kNow; }),
                  0)
            << errors.toStdString();
        out.flush();
        EXPECT_EQ(output.toStdString(), fromFile.toStdString()) << command.join(' ').toStdString();
    }
}

// When a run needs the experimenter. Times are seconds before now; -1 means none.
struct ConditionCase {
    const char* name;
    bool timeDriven;
    const char* lastEventType;  // nullptr: no event yet
    int trial;
    qint64 eventAgo;
    qint64 seenAgo;
    int claims;
    bool registered;
    tool::RunCondition expected;
    int givenUp = 0;
};

std::ostream& operator<<(std::ostream& out, const ConditionCase& c) {
    return out << c.name;
}

class ConditionTest : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(ConditionTest, IsDecidedFromTheLogTheHeartbeatAndThePacing) {
    const ConditionCase& c = GetParam();
    tool::SessionRun run;
    run.maxTrial = 10;
    // Pauses of 2 s a period; a period clock of 20 s.
    run.pacing = {c.timeDriven, 20000, 2000};
    run.hasEvents = c.lastEventType != nullptr;
    run.lastEventType = QString::fromLatin1(c.lastEventType);
    run.trial = c.trial;
    if (c.registered) run.registered = kNow.addSecs(-3600);
    if (c.eventAgo >= 0) run.lastEvent = kNow.addSecs(-c.eventAgo);
    if (c.seenAgo >= 0) run.lastSeen = kNow.addSecs(-c.seenAgo);
    run.claims = c.claims;
    run.givenUp = c.givenUp;
    EXPECT_EQ(tool::ConditionText(run.conditionAt(kNow)), tool::ConditionText(c.expected));
}

using C = tool::RunCondition;
const char* const kScored = "After Cost Calculation";
const char* const kEnv = "Environment Effect";

INSTANTIATE_TEST_SUITE_P(
    Runs, ConditionTest,
    ::testing::Values(
        ConditionCase{"LastPeriodScored", false, kScored, 10, 900, 900, 1, true, C::Finished},
        ConditionCase{"PacedMidPeriod", false, kEnv, 4, 5, 2, 1, true, C::Running},
        // 2 s of pauses and 10 s of slack
        ConditionCase{"PacedMidPeriodAtTheLimit", false, kEnv, 4, 12, 2, 1, true, C::Running},
        ConditionCase{"PacedMidPeriodTooLong", false, kEnv, 4, 13, 2, 1, true, C::Stalled},
        ConditionCase{"PacedSubmitOffered", false, kScored, 4, 600, 3, 1, true, C::Waiting},
        ConditionCase{"PacedSubmitOfferedWithoutHeartbeats", false, kScored, 4, 600, -1, 0, true,
                      C::Waiting},
        ConditionCase{"HeartbeatStopped", false, kScored, 4, 600, 31, 1, true, C::Stalled},
        ConditionCase{"HeartbeatAtTheLapse", false, kScored, 4, 600, 30, 1, true, C::Waiting},
        ConditionCase{"RegisteredPacedNoEvent", false, nullptr, 0, 600, 3, 1, true, C::Waiting},
        ConditionCase{"RegisteringOnTheForm", true, nullptr, 0, -1, 3, 1, false, C::Waiting},
        // 20 s clock, 2 s of pauses and 10 s of slack
        ConditionCase{"ClockBetweenPeriods", true, kScored, 4, 32, 2, 1, true, C::Running},
        ConditionCase{"ClockSilentTooLong", true, kScored, 4, 33, 2, 1, true, C::Stalled},
        ConditionCase{"ClockRegisteredNeverStarted", true, nullptr, 0, 3600, 2, 1, true,
                      C::Stalled},
        ConditionCase{"ContinuedByASecondLogin", false, kEnv, 7, 1, 1, 2, true, C::Resumed},
        ConditionCase{"ContinuedThenStalled", false, kEnv, 7, 100, 100, 2, true, C::Stalled},
        // The experimenter ended it while Submit was offered: no login holds it any more.
        ConditionCase{"EndedBeforeItsLastPeriod", false, kScored, 4, 5, -1, 0, true, C::Stalled, 1},
        ConditionCase{"EndedThenContinued", false, kScored, 4, 5, 2, 1, true, C::Waiting, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SessionNumbers, KeepAtMostThreeDecimals) {
    EXPECT_EQ(tool::SessionNumber(52), "52");
    EXPECT_EQ(tool::SessionNumber(52.5), "52.5");
    EXPECT_EQ(tool::SessionNumber(1.0625), "1.063");
    EXPECT_EQ(tool::SessionNumber(-0.0001), "0");
}

}  // namespace
