// One program per participant's run, on both engines: a live claim of any other run refuses
// the login, on another station as under this computer's own host name; a claim whose program
// this computer sees has stopped is taken over at once; of programs claiming at the same
// moment exactly one wins; the claim is given up however the program ends; the heartbeat
// keeps a claim alive without ever waiting for the database.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimeZone>
#include <QTimer>
#include <atomic>
#include <latch>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "access/TableAccess.h"
#include "app/Main.h"
#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "db/Engine.h"
#include "recording/ClaimHolder.h"
#include "recording/RunClaim.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "tests/support/Ending.h"
#include "tests/support/EngineErrors.h"
#include "tests/support/TempDatabase.h"
#include "tests/support/TestServer.h"

namespace {

const QDateTime kNow(QDate(2026, 12, 10), QTime(14, 0, 0), Qt::UTC);

enum class Engine { EncryptedFile, LabServer };

std::ostream& operator<<(std::ostream& out, Engine engine) {
    return out << (engine == Engine::EncryptedFile ? "EncryptedFile" : "LabServer");
}

// A fresh experiment database on the engine, brought up to the claims as start-up does.
class ClaimDatabase {
  public:
    explicit ClaimDatabase(Engine engine) {
        if (engine == Engine::EncryptedFile)
            file_.emplace();
        else
            server_.emplace();
        db::Connection connection = open();
        PrepareRunClaims(connection);
    }

    QString location() const { return file_ ? file_->path() : server_->location(); }
    db::Connection open() const {
        return db::Connection(location(), db::DatabasePassword(), db::OpenMode::ReadWrite, 5000);
    }
    void execute(const QString& sql) const { open().execute(sql); }
    QStringList texts(const QString& sql) const {
        db::Connection connection = open();
        db::Statement rows = connection.prepare(sql);
        QStringList values;
        while (rows.step()) values << rows.value(0).toString();
        return values;
    }

    // A claim as another program (or this one, earlier) wrote it.
    void claimedBy(const QString& station, int secondsAgo, const ClaimHolder& holder = {},
                   bool released = false, const QString& subject = QStringLiteral("Ann"),
                   const QString& version = QStringLiteral("TankP")) const {
        execute(QStringLiteral("INSERT INTO datRunClaims (Subject, Version, Station, Claim, "
                               "ClaimedAt, LastSeen, Released, Holder) VALUES ('%1', '%2', '%3', "
                               "'k-%3', '', '%4', %5, '%6')")
                    .arg(subject, version, station, kNow.addSecs(-secondsAgo).toString(Qt::ISODate),
                         released ? QStringLiteral("-1") : QStringLiteral("0"), holder.text()));
    }

  private:
    std::optional<TempDatabase> file_;
    std::optional<TempServerDatabase> server_;
};

class RunClaimTest : public ::testing::Test {
  protected:
    Program program;
    ::Run& run = program.run();

  protected:
    explicit RunClaimTest(Engine engine = Engine::EncryptedFile) : database(engine) {
        run.state.SubjectName = QStringLiteral("Ann");
        run.state.Version = QStringLiteral("TankP");
        run.session.databasePath = database.location();
        run.asks = &dialogs;
        run.session.stationName = QStringLiteral("station-a");
        run.clock = [this] { return now; };
    }
    void TearDown() override { ReleaseRun(run); }

    // This program's own claims, not those the test wrote as another's.
    QStringList claims(const QString& column) const {
        return database.texts(
            QStringLiteral(
                "SELECT %1 FROM datRunClaims WHERE substr(Claim, 1, 2) <> 'k-' ORDER BY %2")
                .arg(column, database.open().rowKey()));
    }
    QStringList openClaims() const {
        return database.texts(QStringLiteral(
            "SELECT Claim FROM datRunClaims WHERE Released = 0 AND TakenOver = 0 ORDER BY Claim"));
    }

    ClaimDatabase database;
    runtime::ScriptedQuestions dialogs;
    QDateTime now = kNow;
};

// Another program beside the test: a child process that waits until it is killed.
class OtherProgram {
  public:
    OtherProgram() : pid_(fork()) {
        if (pid_ == 0) {
            for (;;) pause();
        }
    }
    ~OtherProgram() {
        if (running_) ::kill(pid_, SIGKILL);
        if (!collected_) waitpid(pid_, nullptr, 0);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    ClaimHolder holder() const { return ProcessOnThisSystem(pid_); }

    // Killed; its exit collected by its parent, or not yet (it stays a zombie meanwhile).
    void kill(bool collected) {
        ::kill(pid_, SIGKILL);
        running_ = false;
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | (collected ? 0 : WNOWAIT));
        collected_ = collected;
    }

  private:
    pid_t pid_;
    bool running_ = true;
    bool collected_ = false;
};

// ---- who holds the run -----------------------------------------------------------------------

struct ClaimCase {
    const char* name;
    const char* station;
    int secondsAgo;
    bool released;
    const char* subject;
    const char* version;
    bool refused;
};

std::ostream& operator<<(std::ostream& out, const ClaimCase& c) {
    return out << c.name;
}

class ClaimCasesTest : public RunClaimTest, public ::testing::WithParamInterface<ClaimCase> {};

TEST_P(ClaimCasesTest, OnlyAnotherRunsLiveClaimRefusesTheRun) {
    const ClaimCase& c = GetParam();
    database.claimedBy(c.station, c.secondsAgo, {}, c.released, c.subject, c.version);
    const std::optional<RunHolder> holder = ClaimRun(run);
    EXPECT_EQ(holder.has_value(), c.refused);
    if (holder) {
        EXPECT_EQ(holder->station, c.station);
        EXPECT_EQ(holder->lastSeen, kNow.addSecs(-c.secondsAgo));
        EXPECT_TRUE(claims("Claim").isEmpty()) << "a refused login claimed the run";
    } else {
        EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:00Z"});
    }
    EXPECT_TRUE(dialogs.shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Claims, ClaimCasesTest,
    ::testing::Values(
        ClaimCase{"PlayingNow", "station-b", 2, false, "Ann", "TankP", true},
        ClaimCase{"SeenJustInsideTheSilence", "station-b", 29, false, "Ann", "TankP", true},
        ClaimCase{"NameInOtherLetterCase", "station-b", 2, false, "ANN", "tankp", true},
        ClaimCase{"SilentSinceTheStationCrashed", "station-b", 30, false, "Ann", "TankP", false},
        ClaimCase{"GivenUp", "station-b", 2, true, "Ann", "TankP", false},
        // An earlier program's claim names no holder: only its silence frees the run.
        ClaimCase{"AnotherProgramUnderThisHostName", "station-a", 2, false, "Ann", "TankP", true},
        ClaimCase{"ThisHostNamesClaimSilent", "station-a", 30, false, "Ann", "TankP", false},
        ClaimCase{"OtherVersion", "station-b", 2, false, "Ann", "TankT", false},
        ClaimCase{"OtherParticipant", "station-b", 2, false, "Ben", "TankP", false}),
    [](const auto& info) { return std::string(info.param.name); });

// How the program holding a claim stands, as the claim names it.
enum class Holding {
    LiveCopyOnThisComputer,
    KilledCopy,
    KilledCopyNotYetCollected,
    IdNowOfAnotherProcess,
    CloneOfThisComputer,  // same host name and machine id, its own boot
    CopyInAnotherContainer,
};

struct HolderCase {
    const char* name;
    Holding holding;
    int secondsAgo;
    bool refused;
};

std::ostream& operator<<(std::ostream& out, const HolderCase& c) {
    return out << c.name;
}

// The holder with one part of its running system (0 machine, 1 boot, 2 namespace) another.
ClaimHolder Elsewhere(ClaimHolder holder, int part) {
    QStringList parts = holder.system.split(QLatin1Char(' '));
    parts[part] = QStringLiteral("other");
    holder.system = parts.join(QLatin1Char(' '));
    return holder;
}

ClaimHolder HolderAs(Holding holding, OtherProgram& program) {
    ClaimHolder holder = program.holder();
    switch (holding) {
        case Holding::LiveCopyOnThisComputer:
            break;
        case Holding::KilledCopy:
            program.kill(true);
            break;
        case Holding::KilledCopyNotYetCollected:
            program.kill(false);
            break;
        case Holding::IdNowOfAnotherProcess:
            holder.startTime -= 1;
            break;
        case Holding::CloneOfThisComputer:
            holder = Elsewhere(holder, 1);
            break;
        case Holding::CopyInAnotherContainer:
            program.kill(true);
            holder = Elsewhere(holder, 2);
            break;
    }
    return holder;
}

class HolderTest : public RunClaimTest,
                   public ::testing::WithParamInterface<std::tuple<Engine, HolderCase>> {
  protected:
    HolderTest() : RunClaimTest(std::get<0>(GetParam())) {}
};

// Claims under this station's own host name throughout: the name decides nothing.
TEST_P(HolderTest, AClaimIsTakenOverAtOnceOnlyWhenThisComputerSeesItsProgramHasStopped) {
    const HolderCase& c = std::get<1>(GetParam());
    OtherProgram program;
    const ClaimHolder holder = HolderAs(c.holding, program);
    ASSERT_FALSE(holder.system.isEmpty()) << "this computer's running system is not known";
    database.claimedBy(QStringLiteral("station-a"), c.secondsAgo, holder);

    const std::optional<RunHolder> refusal = ClaimRun(run);
    EXPECT_EQ(refusal.has_value(), c.refused);
    if (refusal) {
        EXPECT_EQ(refusal->station, QStringLiteral("station-a"));
        EXPECT_EQ(openClaims(), QStringList{"k-station-a"});
        EXPECT_TRUE(claims("Claim").isEmpty());
    } else {
        EXPECT_EQ(openClaims(), claims("Claim"));
        EXPECT_EQ(database.texts(QStringLiteral(
                      "SELECT TakenOver FROM datRunClaims WHERE Claim = 'k-station-a'")),
                  QStringList{"-1"})
            << "the stopped program's claim was taken over, not given up by it";
        EXPECT_EQ(claims("Holder"), QStringList{ThisProgram().text()});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Holders, HolderTest,
    ::testing::Combine(
        ::testing::Values(Engine::EncryptedFile, Engine::LabServer),
        ::testing::Values(
            HolderCase{"LiveCopyOnThisComputer", Holding::LiveCopyOnThisComputer, 2, true},
            HolderCase{"LiveCopySilentTooLong", Holding::LiveCopyOnThisComputer, 30, false},
            HolderCase{"KilledCopy", Holding::KilledCopy, 2, false},
            HolderCase{"KilledCopyNotYetCollected", Holding::KilledCopyNotYetCollected, 2, false},
            HolderCase{"IdNowOfAnotherProcess", Holding::IdNowOfAnotherProcess, 2, false},
            HolderCase{"CloneOfThisComputer", Holding::CloneOfThisComputer, 2, true},
            HolderCase{"CloneSilentSinceItStopped", Holding::CloneOfThisComputer, 30, false},
            HolderCase{"CopyInAnotherContainer", Holding::CopyInAnotherContainer, 2, true})),
    [](const auto& info) {
        std::ostringstream name;
        name << std::get<0>(info.param) << "_" << std::get<1>(info.param).name;
        return name.str();
    });

// ---- programs claiming at the same moment ------------------------------------------------------

constexpr int kRacers = 6;
constexpr int kRounds = 4;

// Each racer claims the run on a connection of its own, all at the same moment; a conflict
// with another racer's write is waited out and tried again. How many claimed it.
int RaceToClaim(const ClaimDatabase& database, const QString& subject) {
    std::latch start(kRacers);
    std::atomic<int> claimed = 0;
    std::vector<std::thread> racers;
    for (int i = 0; i < kRacers; ++i) {
        racers.emplace_back([&, i] {
            db::Connection connection = database.open();
            const ClaimRequest claim{subject,
                                     QStringLiteral("TankP"),
                                     QStringLiteral("station-%1").arg(i),
                                     QStringLiteral("racer-%1").arg(i),
                                     {},
                                     kNow};
            start.arrive_and_wait();
            std::optional<RunHolder> holder;
            while (db::PassesByItself(ErrorNumber([&] { holder = TakeRun(connection, claim); }))) {
            }
            if (!holder) ++claimed;
        });
    }
    for (std::thread& racer : racers) racer.join();
    return claimed;
}

struct RaceCase {
    const char* name;
    bool killedProgramsClaim;  // an open claim of a program that was killed is taken over
};

std::ostream& operator<<(std::ostream& out, const RaceCase& c) {
    return out << c.name;
}

class RaceTest : public ::testing::TestWithParam<std::tuple<Engine, RaceCase>> {
  protected:
    ClaimDatabase database{std::get<0>(GetParam())};
};

TEST_P(RaceTest, OfProgramsClaimingOneRunAtTheSameMomentExactlyOneHoldsIt) {
    for (int round = 0; round < kRounds; ++round) {
        const QString subject = QStringLiteral("Pat%1").arg(round);
        if (std::get<1>(GetParam()).killedProgramsClaim) {
            OtherProgram killed;
            const ClaimHolder holder = killed.holder();
            killed.kill(true);
            database.claimedBy(QStringLiteral("station-k"), 0, holder, false, subject);
        }
        EXPECT_EQ(RaceToClaim(database, subject), 1) << subject.toStdString();
        EXPECT_EQ(database.texts(QStringLiteral("SELECT count(*) FROM datRunClaims WHERE "
                                                "Subject = '%1' AND Released = 0 AND TakenOver = 0")
                                     .arg(subject)),
                  QStringList{"1"})
            << subject.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Races, RaceTest,
    ::testing::Combine(::testing::Values(Engine::EncryptedFile, Engine::LabServer),
                       ::testing::Values(RaceCase{"NoEarlierClaim", false},
                                         RaceCase{"AKilledProgramsClaim", true})),
    [](const auto& info) {
        std::ostringstream name;
        name << std::get<0>(info.param) << "_" << std::get<1>(info.param).name;
        return name.str();
    });

// ---- files of earlier programs -----------------------------------------------------------------

class EarlierFileTest : public ::testing::TestWithParam<Engine> {
  protected:
    ClaimDatabase database{GetParam()};
};

// Earlier programs left a claim open at every login of this station's name, and never gave
// a finished run's claim up.
TEST_P(EarlierFileTest, KeepsTheLatestOpenClaimOfARunAndGetsTheNewColumnsAndTheKey) {
    db::Connection connection = database.open();
    connection.execute(QStringLiteral("DROP TABLE datRunClaims"));
    db::TableDef earlier = *db::FindTable(QStringLiteral("datRunClaims"));
    std::erase_if(earlier.columns, [](const db::ColumnDef& column) {
        return column.name == "Holder" || column.name == "TakenOver";
    });
    connection.createTable(earlier);
    connection.execute(QStringLiteral(
        "INSERT INTO datRunClaims (Subject, Version, Station, Claim, LastSeen, Released) VALUES "
        "('Ann', 'A', 'pc', 'a1', '2026-03-01T10:00:00Z', 0), "
        "('ann', 'A', 'pc', 'a2', '2026-03-01T11:00:00Z', 0), "
        "('Ann', 'A', 'pc', 'a3', '2026-03-01T09:00:00Z', -1), "
        "('Ben', 'A', 'pc', 'b1', '2026-03-01T10:00:00Z', 0)"));

    PrepareRunClaims(connection);
    PrepareRunClaims(connection);  // start-up does it every time
    EXPECT_EQ(database.texts(QStringLiteral("SELECT Claim FROM datRunClaims WHERE Released = 0 "
                                            "AND TakenOver = 0 ORDER BY Claim")),
              (QStringList{"a2", "b1"}));
    EXPECT_EQ(database.texts(QStringLiteral("SELECT Claim FROM datRunClaims WHERE TakenOver <> 0 "
                                            "ORDER BY Claim")),
              QStringList{"a1"});
    EXPECT_EQ(database.texts(QStringLiteral("SELECT count(*) FROM datRunClaims")), QStringList{"4"})
        << "no claim is deleted";
    EXPECT_EQ(ErrorNumber([&] {
                  connection.execute(
                      QStringLiteral("INSERT INTO datRunClaims (Subject, Version, Claim, Holder) "
                                     "VALUES ('ANN', 'A', 'a4', '')"));
              }),
              db::errors::DuplicateKey)
        << "a second open claim on a run";
}

INSTANTIATE_TEST_SUITE_P(Engines, EarlierFileTest,
                         ::testing::Values(Engine::EncryptedFile, Engine::LabServer),
                         [](const auto& info) {
                             std::ostringstream name;
                             name << info.param;
                             return name.str();
                         });

// ---- the claim's life --------------------------------------------------------------------------

struct EndCase {
    const char* name;
    runtime::ExitStatus status;
    void (*end)(::Run& run);
};

std::ostream& operator<<(std::ostream& out, const EndCase& c) {
    return out << c.name;
}

class EndTest : public RunClaimTest, public ::testing::WithParamInterface<EndCase> {};

// Every end comes out of the run as ProgramEnded, after which the program's main closes the
// session: that gives the claim up, whichever end it was.
TEST_P(EndTest, TheClaimIsGivenUpHoweverTheProgramEnds) {
    ASSERT_FALSE(ClaimRun(run));
    EXPECT_EQ(EndingOf([this] { GetParam().end(run); }), GetParam().status);
    program.CloseSession();
    EXPECT_EQ(claims("Released"), QStringList{"-1"});
    EXPECT_TRUE(openClaims().isEmpty());
    now = kNow.addSecs(20);
    RefreshRunClaim(run);  // nothing held any more
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:00Z"});
}

void EndAfter(const ::Run& run, int errorNumber) {
    EndAfterDatabaseFailure(run, db::Error(errorNumber, QStringLiteral("The database refused.")),
                            QStringLiteral("Recording the event"));
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EndTest,
    ::testing::Values(EndCase{"FinishedWithOK", runtime::ExitStatus::Finished,
                              [](::Run& run) { EndExperiment(run); }},
                      EndCase{"ExperimentersEnd", runtime::ExitStatus::EndedByExperimenter,
                              [](::Run& run) {
                                  run.state.ExitConfirmed = true;
                                  EndProgram(run);
                              }},
                      EndCase{"QuitAtTheLogin", runtime::ExitStatus::QuitAtLogin,
                              [](::Run& run) {
                                  run.state.QuitAtLogin = true;
                                  EndProgram(run);
                              }},
                      EndCase{"StartUpRefused", runtime::ExitStatus::StartUpRefused,
                              [](::Run&) { runtime::EndRun(runtime::ExitStatus::StartUpRefused); }},
                      EndCase{"DatabaseQuestionAnsweredNo", runtime::ExitStatus::DatabaseFailure,
                              [](::Run& run) { EndAfter(run, db::errors::FileLockRefused); }},
                      EndCase{"DiskFull", runtime::ExitStatus::DatabaseFailure,
                              [](::Run& run) { EndAfter(run, db::errors::DiskFull); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunClaimTest, TheRefusalNamesTheStationAndWhenTheRunCanContinue) {
    const QString text = RunHeldMessage(run, {QStringLiteral("lab-pc-03"), kNow});
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Ann is playing version TankP on station "
                                       "lab-pc-03 (last seen at ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("30 seconds after it was last seen")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Please call the experimenter.")));
}

TEST_F(RunClaimTest, TheClaimIsRefreshedWhileHeldAndMarkedWhenGivenUp) {
    ASSERT_FALSE(ClaimRun(run));
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:00Z"});
    EXPECT_EQ(claims("Station"), QStringList{"station-a"});
    now = kNow.addSecs(7);
    RefreshRunClaim(run);
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:07Z"});
    EXPECT_EQ(claims("ClaimedAt"), QStringList{"2026-12-10T14:00:00Z"});
    ReleaseRun(run);
    EXPECT_EQ(claims("Released"), QStringList{"-1"});
    now = kNow.addSecs(20);
    RefreshRunClaim(run);  // nothing held any more
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:07Z"});
}

// A login again in the same program (a cancelled registration, a continuation declined) gives
// its earlier claim up before it claims: the program never stands in its own way.
TEST_F(RunClaimTest, ALoginAgainInTheSameProgramClaimsAfresh) {
    ASSERT_FALSE(ClaimRun(run));
    ASSERT_FALSE(ClaimRun(run));
    EXPECT_EQ(claims("Released"), (QStringList{"-1", "0"}));
    EXPECT_EQ(openClaims(), claims("Claim").mid(1));
}

// Another program holding the write lock costs the heartbeat one beat, never a wait or a
// question; the next beat writes.
TEST_F(RunClaimTest, ABeatTheDatabaseCannotTakeAtOnceIsSkipped) {
    ASSERT_FALSE(ClaimRun(run));
    {
        db::Connection holder(database.location(), db::DatabasePassword(), db::OpenMode::ReadWrite);
        holder.beginWrite();
        now = kNow.addSecs(5);
        RefreshRunClaim(run);
        EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:00Z"});
    }
    RefreshRunClaim(run);
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:05Z"});
    EXPECT_TRUE(dialogs.shown().empty());
}

// A neighbour's write in the way of the end is waited out: the claim is given up, not left
// to lapse.
TEST_F(RunClaimTest, GivingTheClaimUpWaitsOutANeighboursWrite) {
    ASSERT_FALSE(ClaimRun(run));
    std::latch locked(2);
    std::thread neighbour([&] {
        db::Connection holder(database.location(), db::DatabasePassword(), db::OpenMode::ReadWrite);
        holder.beginWrite();
        locked.arrive_and_wait();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    locked.arrive_and_wait();
    ReleaseRun(run);
    neighbour.join();
    EXPECT_EQ(claims("Released"), QStringList{"-1"});
}

TEST_F(RunClaimTest, TheHeartbeatRunsOnItsOwnWhileTheRunIsHeld) {
    ASSERT_FALSE(ClaimRun(run));
    now = kNow.addSecs(60);
    QEventLoop loop;
    QTimer::singleShot(claims::kRefreshEvery + std::chrono::milliseconds(500), &loop,
                       &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:01:00Z"});
}

}  // namespace
