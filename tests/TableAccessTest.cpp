// Reads and writes on the run's connection to a real file, under real contention from a second
// connection: retries with a responsive wait, the retry question, "Problems opening table" and
// the end.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "db/Engine.h"
#include "runtime/Clock.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "tests/support/Ending.h"
#include "tests/support/TempDatabase.h"

namespace {

using db::ErrorReaction;

const QString CrLf = QStringLiteral("\r\n");

TEST(TableAccessRulesTest, EachErrorNumberHasItsReaction) {
    const struct {
        int number;
        ErrorReaction reaction;
    } cases[] = {
        {6, ErrorReaction::BackOff},     {3021, ErrorReaction::BackOff},
        {3050, ErrorReaction::BackOff},  {3052, ErrorReaction::BackOff},
        {3260, ErrorReaction::BackOff},  {3197, ErrorReaction::RepeatAtOnce},
        {91, ErrorReaction::StartAgain}, {3024, ErrorReaction::AskUser},
        {3031, ErrorReaction::AskUser},  {3043, ErrorReaction::AskUser},
        {3075, ErrorReaction::AskUser},  {3078, ErrorReaction::AskUser},
        {3343, ErrorReaction::AskUser},  {3146, ErrorReaction::AskUser},
    };
    for (const auto& c : cases) EXPECT_EQ(db::ReactionTo(c.number), c.reaction) << c.number;
}

TEST(TableAccessRulesTest, TheWaitDoublesWithTheCounterUpToASecondTimesARandomFactor) {
    const struct {
        int counter;
        double random;
        long long milliseconds;
    } cases[] = {
        {1, 0.0, 25},  {1, 0.5, 50},   {1, 0.99999, 74},    {2, 0.5, 100},    {5, 0.5, 800},
        {6, 0.0, 500}, {6, 0.5, 1000}, {10, 0.99999, 1499}, {100, 0.5, 1000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(db::BackOffWait(c.counter, c.random).count(), c.milliseconds) << c.counter;
    }
}

TEST(TableAccessRulesTest, SqlTextDoublesInnerQuotes) {
    const struct {
        const char* value;
        const char* quoted;
    } cases[] = {{"", "''"},
                 {"Ann", "'Ann'"},
                 {"O'Brien", "'O''Brien'"},
                 {"''", "''''''"},
                 {"x' OR '1'='1", "'x'' OR ''1''=''1'"}};
    for (const auto& c : cases) {
        EXPECT_EQ(SqlText(QString::fromUtf8(c.value)), QString::fromUtf8(c.quoted));
    }
}

TEST(TableAccessRulesTest, TheDatabaseLivesInTheDataFolderBesideTheProgram) {
    const QString besideTheProgram = QCoreApplication::applicationDirPath() + "/data/Hydrovat.mdb";
    EXPECT_EQ(DatabasePath(), besideTheProgram);
    ::Run run;
    EXPECT_EQ(DatabasePath(run), besideTheProgram);
    run.session.databasePath = QStringLiteral("/tmp/other.mdb");
    EXPECT_EQ(DatabasePath(run), QStringLiteral("/tmp/other.mdb"));
}

TEST(TableAccessRulesTest, TheWaitLetsTimersRun) {
    bool fired = false;
    QTimer::singleShot(1, [&] { fired = true; });
    db::WaitResponsively(std::chrono::milliseconds(30));
    EXPECT_TRUE(fired);
}

class TableAccessTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override {
        run.state.TotBonus = 12.5;
        run.session.databasePath = file.path();
        run.asks = &dialogs;
    }

    void recordSubject(const QString& subject) {
        const auto transaction =
            BeginWrite(run, QStringLiteral("datSubject"), QStringLiteral("Recording demographics"));
        db::TableRow row(RunConnection(run), QStringLiteral("datSubject"));
        row.set(QStringLiteral("Subject"), subject);
        row.insert();
        transaction->commit();
    }

    QStringList subjects() {
        db::Rows rows = ReadRows(run, QStringLiteral("select Subject from datSubject"),
                                 QStringLiteral("Check New User"));
        QStringList names;
        for (; !rows.atEnd(); rows.next())
            names << rows.value(QStringLiteral("Subject")).toString();
        return names;
    }

    // The number of random draws (one per back-off wait) made since the generator was seeded.
    int drawsSince(std::uint32_t seed) {
        const auto draw = [this] {
            return std::uniform_real_distribution<double>(0.0, 1.0)(run.random);
        };
        const double next = draw();
        run.random.seed(seed);
        for (int draws = 0; draws < 10000; ++draws) {
            if (draw() == next) return draws;
        }
        return -1;
    }

    std::unique_ptr<db::Connection> holdWriteLock() {
        auto holder = std::make_unique<db::Connection>(file.path(), db::DatabasePassword(),
                                                       db::OpenMode::ReadWrite);
        holder->beginWrite();
        return holder;
    }

    QString retryTitle() const { return QStringLiteral("Error 3050: Recording demographics"); }

    // The back-off waits on a simulated clock from here on: each wait is kept, none is spent.
    void waitOnASimulatedClock() {
        run.pause = [this](std::chrono::milliseconds wait) { waits.push_back(wait); };
    }

    TempDatabase file;
    runtime::ScriptedQuestions dialogs;
    std::vector<std::chrono::milliseconds> waits;
};

TEST_F(TableAccessTest, TheRunKeepsOneConnectionForItsReadsAndWrites) {
    EXPECT_FALSE(run.session.connection.held);
    recordSubject(QStringLiteral("O'Brien"));
    const std::shared_ptr<db::Connection> opened = run.session.connection.held;
    ASSERT_TRUE(opened);
    EXPECT_FALSE(opened->inTransaction());
    EXPECT_EQ(subjects(), QStringList{QStringLiteral("O'Brien")});
    const db::Rows rows = ReadRows(run,
                                   QStringLiteral("select * from datSubject where Subject=") +
                                       SqlText(QStringLiteral("o'brien")),
                                   QStringLiteral("Check New User"));
    EXPECT_FALSE(rows.atEnd());
    EXPECT_EQ(run.session.connection.held, opened);
    // A copy of the run opens its own.
    ::Run copy = run;
    EXPECT_FALSE(copy.session.connection.held);
    CloseRunConnection(run);
    EXPECT_FALSE(run.session.connection.held);
    EXPECT_EQ(subjects(), QStringList{QStringLiteral("O'Brien")});
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(TableAccessTest, AWriteOpenInsideAnotherJoinsItAndKeepsTheConnection) {
    {
        db::Transaction outer(RunConnection(run));
        recordSubject(QStringLiteral("Joined"));
        CloseRunConnection(run);  // a transaction open on it belongs to its holder
        ASSERT_TRUE(run.session.connection.held);
        EXPECT_TRUE(run.session.connection.held->inTransaction());
        // Ended uncommitted, the outer transaction takes the joined row with it.
    }
    EXPECT_TRUE(subjects().isEmpty());
}

TEST_F(TableAccessTest, AReleasedLockIsWaitedOutWithoutAQuestion) {
    auto holder = holdWriteLock();
    QTimer::singleShot(40, [&] { holder->rollback(); });
    recordSubject(QStringLiteral("Patient"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(subjects(), QStringList{QStringLiteral("Patient")});
}

// A neighbour's commit lets go within milliseconds: waited out while opening, it costs no
// back-off pause (which would sample the lock again only after up to a second and a half).
TEST_F(TableAccessTest, ANeighboursCommitIsWaitedOutWithoutABackOffPause) {
    auto holder = holdWriteLock();
    waitOnASimulatedClock();
    std::thread neighbour([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        holder->rollback();
    });
    recordSubject(QStringLiteral("Patient"));
    neighbour.join();
    EXPECT_TRUE(waits.empty());
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(subjects(), QStringList{QStringLiteral("Patient")});
}

TEST_F(TableAccessTest, AHeldLockAsksAfterTheTenthRetryAndYesCountsAgainFromOne) {
    auto holder = holdWriteLock();
    waitOnASimulatedClock();
    run.state.SubjectName = QStringLiteral("Ann");
    run.random.seed(7);
    dialogs.answerNext(runtime::Answer::Yes);  // retry question: go on
    dialogs.answerNext(runtime::Answer::No);   // retry question again: stop
    dialogs.answerNext(runtime::Answer::No);   // problems opening table: quit
    EXPECT_EQ(EndingOf([&] { recordSubject(QStringLiteral("Never")); }),
              runtime::ExitStatus::DatabaseFailure);

    const auto& shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 4u);
    for (int question : {0, 1}) {
        EXPECT_EQ(shown[question].title, retryTitle());
        EXPECT_EQ(shown[question].buttons, runtime::Buttons::YesNo);
        EXPECT_EQ(shown[question].icon, runtime::Icon::Question);
        EXPECT_EQ(shown[question].text,
                  QStringLiteral("Could not use '%1'; file already in use.").arg(file.path()) +
                      CrLf + "datSubject" + CrLf + "Retry? (No to quit)");
    }
    EXPECT_EQ(shown[2].title, QStringLiteral("Problems opening table"));
    EXPECT_EQ(shown[2].buttons, runtime::Buttons::YesNo);
    EXPECT_EQ(shown[2].icon, runtime::Icon::None);
    EXPECT_EQ(
        shown[2].text,
        QStringLiteral("Error 3050: Could not use '%1'; file already in use.").arg(file.path()) +
            CrLf + "Status was Recording demographics" + CrLf + "Retry?");
    EXPECT_EQ(shown[3].title, DatabaseFailureTitle());
    EXPECT_EQ(shown[3].text,
              QStringLiteral("The session has stopped: the experiment database could not be "
                             "used.\r\nError 3050: Could not use '%1'; file already in use.\r\n"
                             "Status was Recording demographics\r\nNo period of Ann's run had "
                             "been played yet.\r\nPlease call the experimenter.")
                  .arg(file.path()));
    // Ten waits before the first question; after Yes the counter starts at 1 again, so ten
    // more (counters 1 to 10) before the second.
    EXPECT_EQ(drawsSince(7), 20);
    holder->rollback();
    EXPECT_TRUE(subjects().isEmpty());
}

TEST_F(TableAccessTest, YesToProblemsRetriesAtOnceAndTheNextFailureAsksAgain) {
    auto holder = holdWriteLock();
    waitOnASimulatedClock();
    run.random.seed(11);
    for (const runtime::Answer answer :
         {runtime::Answer::No, runtime::Answer::Yes, runtime::Answer::No, runtime::Answer::No})
        dialogs.answerNext(answer);
    EXPECT_EQ(EndingOf([&] { recordSubject(QStringLiteral("Never")); }),
              runtime::ExitStatus::DatabaseFailure);

    QStringList titles;
    for (const auto& box : dialogs.shown()) titles << box.title;
    EXPECT_EQ(titles, (QStringList{retryTitle(), "Problems opening table", retryTitle(),
                                   "Problems opening table", DatabaseFailureTitle()}));
    EXPECT_EQ(drawsSince(11), 10);  // no wait after Yes to "Problems opening table"
    EXPECT_EQ(waits.size(), 10u);
}

// Ten waits of a held lock, on a simulated clock: 50 ms doubling up to a second, each within
// half and one and a half times that, several seconds in all before the question; pending
// events run before each wait.
TEST_F(TableAccessTest, TheWaitsBeforeTheQuestionLastSeveralSeconds) {
    auto holder = holdWriteLock();
    int eventsRun = 0;
    QObject events;  // takes the last wait's event away with the test
    run.pause = [&](std::chrono::milliseconds wait) {
        waits.push_back(wait);
        QTimer::singleShot(0, &events, [&] { ++eventsRun; });  // runs at the next DoEvents
    };
    dialogs.answerNext(runtime::Answer::No);
    dialogs.answerNext(runtime::Answer::No);
    EXPECT_EQ(EndingOf([&] { recordSubject(QStringLiteral("Never")); }),
              runtime::ExitStatus::DatabaseFailure);
    ASSERT_EQ(waits.size(), 10u);
    const long long bases[] = {50, 100, 200, 400, 800, 1000, 1000, 1000, 1000, 1000};
    std::chrono::milliseconds total{0};
    for (int retry = 0; retry < 10; ++retry) {
        EXPECT_GE(waits[retry].count(), bases[retry] / 2) << retry;
        EXPECT_LT(waits[retry].count(), bases[retry] * 3 / 2) << retry;
        total += waits[retry];
    }
    EXPECT_GE(total, std::chrono::seconds(3));
    EXPECT_LT(total, std::chrono::seconds(10));
    EXPECT_EQ(eventsRun, 9);
    EXPECT_EQ(dialogs.shown()[0].title, retryTitle());
}

TEST_F(TableAccessTest, OtherErrorsAskAtOnceAndNoEndsTheProgram) {
    const struct {
        QString source;
        int number;
    } cases[] = {
        {QStringLiteral("select * from tblNowhere"), db::errors::TableNotFound},
        {QStringLiteral("select * from datSubject where Subject='O'Brien'"),
         db::errors::SyntaxError},
    };
    for (const auto& c : cases) {
        dialogs.clear();
        dialogs.answerNext(runtime::Answer::Yes);  // repeat at once: fails the same way
        dialogs.answerNext(runtime::Answer::No);
        EXPECT_EQ(EndingOf([&] { ReadRows(run, c.source, QStringLiteral("Loading versions")); }),
                  runtime::ExitStatus::DatabaseFailure);
        const auto& shown = dialogs.shown();
        ASSERT_EQ(shown.size(), 3u) << c.source.toStdString();
        for (int problem : {0, 1}) {
            EXPECT_EQ(shown[problem].title, QStringLiteral("Problems opening table"));
            EXPECT_TRUE(shown[problem].text.startsWith(QStringLiteral("Error %1: ").arg(c.number)))
                << shown[problem].text.toStdString();
            EXPECT_TRUE(shown[problem].text.endsWith(CrLf + "Status was Loading versions" + CrLf +
                                                     "Retry?"));
        }
        EXPECT_EQ(shown[2].title, DatabaseFailureTitle());
        EXPECT_FALSE(shown[2].text.contains("earned"));
        EXPECT_TRUE(
            shown[2].text.endsWith("Nothing had been recorded yet.\r\nPlease call the "
                                   "experimenter."));
        EXPECT_FALSE(run.session.connection.held);  // a repeat would have opened it afresh
    }
}

TEST_F(TableAccessTest, AMissingFileIsNamedAndNeverCreated) {
    const QString missing = file.path() + QStringLiteral(".gone");
    run.session.databasePath = missing;
    dialogs.answerNext(runtime::Answer::No);
    EXPECT_THROW(BeginWrite(run, QStringLiteral("datSubject"), QStringLiteral("Recording data")),
                 runtime::ProgramEnded);
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown()[0].text,
              QStringLiteral("Error 3024: Could not find file '%1'.").arg(missing) + CrLf +
                  "Status was Recording data" + CrLf + "Retry?");
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(TableAccessTest, ACallFromATimerDuringTheWaitBreaksNothing) {
    recordSubject(QStringLiteral("Ann"));
    auto holder = holdWriteLock();
    QStringList seenDuringWait;
    QTimer::singleShot(5, [&] {
        seenDuringWait = subjects();  // opens and closes the database in the middle
        holder->rollback();
    });
    recordSubject(QStringLiteral("Bob"));
    EXPECT_EQ(seenDuringWait, QStringList{QStringLiteral("Ann")});
    EXPECT_EQ(subjects(), (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
