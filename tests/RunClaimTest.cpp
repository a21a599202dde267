// One station per participant: a live claim of another station refuses the run, a claim that
// fell silent or was given up does not, and the heartbeat keeps a claim alive without ever
// waiting for the database.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimeZone>
#include <QTimer>
#include <optional>
#include <ostream>

#include "core/RunRecord.h"
#include "db/Engine.h"
#include "recording/RunClaim.h"
#include "runtime/Context.h"
#include "runtime/Questions.h"
#include "tests/support/TempDatabase.h"

namespace {

const QDateTime kNow(QDate(2026, 12, 10), QTime(14, 0, 0), Qt::UTC);

class RunClaimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetRunRecord();
        RunState.SubjectName = QStringLiteral("Ann");
        RunState.Version = QStringLiteral("TankP");
        context->stationName = QStringLiteral("station-a");
        context->now = [this] { return now; };
    }
    void TearDown() override { ReleaseRun(); }

    // A claim as another station (or this one, earlier) wrote it.
    void claimedBy(const QString& station, int secondsAgo, bool released = false,
                   const QString& subject = QStringLiteral("Ann"),
                   const QString& version = QStringLiteral("TankP")) {
        database.execute(
            QStringLiteral("INSERT INTO datRunClaims (Subject, Version, Station, Claim, ClaimedAt, "
                           "LastSeen, Released) VALUES ('%1', '%2', '%3', 'k-%3', '', '%4', %5)")
                .arg(subject, version, station, kNow.addSecs(-secondsAgo).toString(Qt::ISODate),
                     released ? "-1" : "0"));
    }

    QStringList claims(const QString& column) const {
        db::Connection connection(database.path(), db::DatabasePassword(), db::OpenMode::ReadOnly);
        db::Statement rows = connection.prepare(
            QStringLiteral("SELECT %1 FROM datRunClaims WHERE Station = 'station-a' ORDER BY "
                           "rowid")
                .arg(column));
        QStringList values;
        while (rows.step()) values << rows.value(0).toString();
        return values;
    }

    TempDatabase database;
    runtime::ScopedScriptedQuestions dialogs;
    runtime::ScopedContext context;
    QDateTime now = kNow;
};

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

TEST_P(ClaimCasesTest, OnlyAnotherStationsLiveClaimRefusesTheRun) {
    const ClaimCase& c = GetParam();
    claimedBy(c.station, c.secondsAgo, c.released, c.subject, c.version);
    const std::optional<RunHolder> holder = ClaimRun();
    EXPECT_EQ(holder.has_value(), c.refused);
    if (holder) {
        EXPECT_EQ(holder->station, c.station);
        EXPECT_EQ(holder->lastSeen, kNow.addSecs(-c.secondsAgo));
        EXPECT_TRUE(claims("Claim").isEmpty()) << "a refused login claimed the run";
    } else {
        EXPECT_EQ(claims("LastSeen").size(), c.station == QStringLiteral("station-a") ? 2 : 1);
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
        ClaimCase{"ThisStationsOwnEarlierClaim", "station-a", 2, false, "Ann", "TankP", false},
        ClaimCase{"OtherVersion", "station-b", 2, false, "Ann", "TankT", false},
        ClaimCase{"OtherParticipant", "station-b", 2, false, "Ben", "TankP", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunClaimTest, TheRefusalNamesTheStationAndWhenTheRunCanContinue) {
    const QString text = RunHeldMessage({QStringLiteral("lab-pc-03"), kNow});
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Ann is playing version TankP on station "
                                       "lab-pc-03 (last seen at ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("30 seconds after it was last seen")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Please call the experimenter.")));
}

TEST_F(RunClaimTest, TheClaimIsRefreshedWhileHeldAndMarkedWhenGivenUp) {
    ASSERT_FALSE(ClaimRun());
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:00Z"});
    now = kNow.addSecs(7);
    RefreshRunClaim();
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:07Z"});
    EXPECT_EQ(claims("ClaimedAt"), QStringList{"2026-12-10T14:00:00Z"});
    ReleaseRun();
    EXPECT_EQ(claims("Released"), QStringList{"-1"});
    now = kNow.addSecs(20);
    RefreshRunClaim();  // nothing held any more
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:07Z"});
}

// Another program holding the write lock costs the heartbeat one beat, never a wait or a
// question; the next beat writes.
TEST_F(RunClaimTest, ABeatTheDatabaseCannotTakeAtOnceIsSkipped) {
    ASSERT_FALSE(ClaimRun());
    {
        db::Connection holder(database.path(), db::DatabasePassword(), db::OpenMode::ReadWrite);
        holder.beginWrite();
        now = kNow.addSecs(5);
        RefreshRunClaim();
        EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:00Z"});
    }
    RefreshRunClaim();
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:00:05Z"});
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(RunClaimTest, TheHeartbeatRunsOnItsOwnWhileTheRunIsHeld) {
    ASSERT_FALSE(ClaimRun());
    now = kNow.addSecs(60);
    QEventLoop loop;
    QTimer::singleShot(claims::kRefreshEvery + std::chrono::milliseconds(500), &loop,
                       &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(claims("LastSeen"), QStringList{"2026-12-10T14:01:00Z"});
}

}  // namespace
