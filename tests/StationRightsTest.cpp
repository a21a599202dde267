// A station's own login on a lab server: fluxmere-db grant gives it what the program does at a
// station and nothing more, the server refuses the rest, and the tool never puts an owner's
// login into a station's file.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTextStream>

#include "accounts/StoredPassword.h"
#include "db/Engine.h"
#include "db/Location.h"
#include "station/StationServer.h"
#include "tests/support/TestServer.h"
#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"

namespace {

// The error number a statement meets as the login runs it; 0 when it runs.
int Outcome(const QString& location, const QString& sql) {
    try {
        db::Connection connection(location, QString(), db::OpenMode::ReadWrite);
        db::Statement statement = connection.prepare(sql);
        while (statement.step()) {
        }
        return 0;
    } catch (const db::Error& error) {
        return error.number();
    }
}

// The rights the role holds in the database, one line each, in a fixed order.
QStringList RightsOf(const QString& database, const QString& role) {
    return Column(database,
                  QStringLiteral("SELECT table_name || '.' || column_name || ': ' || "
                                 "privilege_type FROM information_schema.column_privileges "
                                 "WHERE grantee = '%1' UNION ALL SELECT routine_name || ': "
                                 "EXECUTE' FROM information_schema.routine_privileges WHERE "
                                 "grantee = '%1' ORDER BY 1")
                      .arg(role));
}

class StationRightsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(Tool({"demo", server.location()}).code, 0);
        Execute(server.location(),
                "INSERT INTO datSubject (Subject, Version, Age, Major, Station) VALUES "
                "('Ann', 'TankP', 23, 'Physics', 'lab-1');"
                "INSERT INTO datExperimentTrials (Subject, Version, EventID, Trial) VALUES "
                "('Ann', 'TankP', 1, 1)");
        const ToolRun granted = Tool({"grant", server.location(), role.name()});
        ASSERT_EQ(granted.code, 0) << granted.err.toStdString();
    }

    TempServerDatabase server{TempServerDatabase::Contents::Empty};
    TestLoginRole role{server};
};

struct StatementCase {
    const char* what;
    const char* sql;
};

// What a participant could try with the login read out of a station's file.
const StatementCase kRefused[] = {
    {"reading the accounts", "SELECT * FROM tblPasswords"},
    {"reading an age", "SELECT Age FROM datSubject"},
    {"reading every registration column", "SELECT * FROM datSubject"},
    {"deleting events", "DELETE FROM datExperimentTrials"},
    {"changing a version", "UPDATE tblSetup SET MaxTrial = 1"},
    {"dropping the registrations", "DROP TABLE datSubject"},
    {"emptying the summaries", "TRUNCATE datTrialSummary"},
    {"altering a table", "ALTER TABLE datSubject ADD COLUMN Extra integer"},
    {"making a table", "CREATE TABLE Extra (a integer)"},
    {"making a temporary table", "CREATE TEMPORARY TABLE Extra (a integer)"},
    {"adding an account", "INSERT INTO tblPasswords (username, password) VALUES ('x', 'y')"},
    {"changing a recorded amount", "UPDATE datExperimentTrials SET AmountInTank = 0"},
    {"deleting a claim", "DELETE FROM datRunClaims"},
    {"passing a claim to another program", "UPDATE datRunClaims SET Holder = 'x'"},
    {"moving a claim to another run", "UPDATE datRunClaims SET Subject = 'x'"},
    {"adding a version", "INSERT INTO tblSetup (Version) VALUES ('X')"},
};

TEST_F(StationRightsTest, TheServerRefusesWhatAStationNeverDoes) {
    const QString versions = QStringLiteral("SELECT MaxTrial FROM tblSetup ORDER BY Version");
    const QStringList before = Column(server.location(), versions);
    for (const StatementCase& c : kRefused) {
        EXPECT_EQ(Outcome(role.location(), QString::fromUtf8(c.sql)), db::errors::CannotOpenFile)
            << c.what;
    }
    EXPECT_EQ(Column(server.location(), "SELECT count(*) FROM datExperimentTrials"),
              QStringList{"1"});
    EXPECT_EQ(Column(server.location(), versions), before);
}

// Everything the program sends at a station, in the forms it sends it.
const StatementCase kPermitted[] = {
    {"reading the versions", "SELECT * FROM tblSetup"},
    {"reading the scenarios", "SELECT * FROM tblScenarios"},
    {"reading the delays", "SELECT * FROM tblDelayScenarios"},
    {"reading the labels", "SELECT * FROM tblLabels"},
    {"finding a registered name", "SELECT Subject, Version, Station FROM datSubject"},
    {"registering",
     "INSERT INTO datSubject (Subject, Version, Condition, Major, Gender, Age, Date, Time, "
     "Simulated, Station) VALUES ('Bo', 'TankP', 'continuous', 'Art', 'Male', 30, "
     "'2026-12-10', '10:00:00', 0, 'lab-2')"},
    {"reading a run back", "SELECT * FROM datExperimentTrials WHERE Subject = 'Ann'"},
    {"recording an event",
     "INSERT INTO datExperimentTrials (Subject, Version, EventID, WriteKey) VALUES "
     "('Bo', 'TankP', 1, 'event-key')"},
    {"finding a write's row stored",
     "SELECT WriteKey FROM datExperimentTrials WHERE WriteKey = 'event-key'"},
    {"marking superseded events",
     "UPDATE datExperimentTrials SET superseded = -1 WHERE Subject = 'Bo' AND EventID > 0"},
    {"recording a submit time",
     "INSERT INTO datUserTimesSummary (Subject, Version, Trial, WriteKey) VALUES ('Bo', "
     "'TankP', 1, 'submit-key')"},
    {"marking superseded submits",
     "UPDATE datUserTimesSummary SET superseded = -1 WHERE Subject = 'Bo'"},
    {"recording a summary row",
     "INSERT INTO datTrialSummary (Subject, Version, Trial, WriteKey) VALUES ('Bo', 'TankP', "
     "1, 'summary-key')"},
    {"rewriting a summary row",
     "UPDATE datTrialSummary SET AmountInTank = 3, Subject = 'Bo' WHERE Subject = 'Bo'"},
    {"claiming a run",
     "INSERT INTO datRunClaims (Subject, Version, Station, Claim, ClaimedAt, LastSeen, Released, "
     "Holder) VALUES ('Bo', 'TankP', 'lab-2', 'k', 'now', 'now', 0, 'machine boot ns 7 9') "
     "ON CONFLICT DO NOTHING"},
    {"finding a run's open claims",
     "SELECT fluxmere_row, Station, LastSeen, Holder FROM datRunClaims WHERE Subject = 'Bo' AND "
     "Version = 'TankP' AND Released = 0 AND TakenOver = 0"},
    {"taking a stopped program's claim over",
     "UPDATE datRunClaims SET TakenOver = -1 WHERE fluxmere_row = 1 AND Released = 0 AND "
     "TakenOver = 0"},
    {"refreshing a claim", "UPDATE datRunClaims SET LastSeen = 'now' WHERE Claim = 'k'"},
    {"giving a claim up", "UPDATE datRunClaims SET Released = -1 WHERE Claim = 'k'"},
    {"asking an account's hash settings", "SELECT fluxmere_password_settings('experimenter')"},
    {"asking whether a password is right",
     "SELECT fluxmere_password_right('experimenter', 'fluxmere')"},
};

TEST_F(StationRightsTest, AStationDoesWhatTheProgramDoesThere) {
    for (const StatementCase& c : kPermitted)
        EXPECT_EQ(Outcome(role.location(), QString::fromUtf8(c.sql)), 0) << c.what;
}

// The server gives a station an account's scheme, iterations and salt, never its hash, and
// says whether a stored form is the account's: the user name compared as the column
// compares it, the stored form exactly (for an account stored in clear, the password's
// SHA-256; the password as typed opens nothing); a blank one is never right.
TEST_F(StationRightsTest, TheServerSaysWhetherAPasswordIsRightWithoutShowingTheAccounts) {
    Execute(server.location(),
            "INSERT INTO tblPasswords (username, password) VALUES "
            "('clear', 's3cret'), ('blank', ''), ('none', NULL)");
    const auto settingsOf = [&](const QString& user) {
        return Column(role.location(),
                      QStringLiteral("SELECT fluxmere_password_settings('%1')").arg(user));
    };
    const QStringList hashed = settingsOf("EXPERIMENTER");
    ASSERT_EQ(hashed.size(), 1);
    EXPECT_TRUE(hashed[0].startsWith("pbkdf2-sha256$")) << hashed[0].toStdString();
    EXPECT_EQ(hashed[0].count('$'), 2) << "the hash itself is never shown";
    EXPECT_EQ(settingsOf("clear"), QStringList{""});
    EXPECT_TRUE(settingsOf("blank").isEmpty());
    EXPECT_TRUE(settingsOf("nobody").isEmpty());

    const struct {
        QString user;
        QString form;
        const char* answer;
    } cases[] = {
        {"experimenter", accounts::HashedLike(hashed[0], "fluxmere"), "-1"},
        {"Experimenter", accounts::HashedLike(hashed[0], "fluxmere"), "-1"},
        {"experimenter", accounts::HashedLike(hashed[0], "Fluxmere"), "0"},
        {"experimenter", "fluxmere", "0"},
        {"clear", accounts::ClearPasswordDigest("s3cret"), "-1"},
        {"clear", accounts::ClearPasswordDigest("S3cret"), "0"},
        {"clear", "s3cret", "0"},
        {"blank", "", "0"},
        {"none", "", "0"},
        {"nobody", "s3cret", "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Column(role.location(), QStringLiteral("SELECT fluxmere_password_right('%1', "
                                                         "'%2')")
                                              .arg(c.user, c.form)),
                  QStringList{QLatin1String(c.answer)})
            << c.user.toStdString() << " / " << c.form.toStdString();
    }
}

// Run again, or after the server's tables gained the columns of a newer program, grant
// leaves the role exactly the same rights, the new columns among them.
TEST_F(StationRightsTest, GrantingAgainLeavesTheSameRightsEvenAfterTheSchemaGrew) {
    const QStringList rights = RightsOf(server.location(), role.name());
    EXPECT_TRUE(rights.contains("datSubject.Station: SELECT")) << rights.join('\n').toStdString();
    EXPECT_FALSE(rights.contains("datSubject.Age: SELECT"));
    EXPECT_TRUE(rights.contains("datSubject.Age: INSERT"));
    EXPECT_TRUE(rights.contains("fluxmere_password_right: EXECUTE"));
    EXPECT_TRUE(rights.contains("fluxmere_password_settings: EXECUTE"));
    EXPECT_TRUE(rights.filter("tblPasswords").isEmpty());
    EXPECT_TRUE(rights.contains("datRunClaims.Holder: INSERT"));
    EXPECT_TRUE(rights.contains("datRunClaims.TakenOver: UPDATE"));
    EXPECT_FALSE(rights.contains("datRunClaims.Holder: UPDATE"));

    ASSERT_EQ(Tool({"grant", server.location(), role.name()}).code, 0);
    EXPECT_EQ(RightsOf(server.location(), role.name()), rights);

    EXPECT_TRUE(rights.contains("datExperimentTrials.WriteKey: INSERT"));

    // A server made by an earlier program: the newer columns come with the next grant, and so
    // do the unique key of each write and the key of one open claim a run, after the claims
    // earlier programs left open on one run are settled.
    Execute(server.location(),
            "ALTER TABLE datSubject DROP COLUMN Station; ALTER TABLE "
            "datUserTimesSummary DROP COLUMN superseded; ALTER TABLE datRunClaims DROP COLUMN "
            "Holder; ALTER TABLE datRunClaims DROP COLUMN TakenOver; ALTER TABLE "
            "datExperimentTrials DROP COLUMN WriteKey;"
            "INSERT INTO datRunClaims (Subject, Version, Claim, LastSeen, Released) VALUES "
            "('Ann', 'TankP', 'first', '2026-03-01T10:00:00Z', 0), "
            "('Ann', 'TankP', 'latest', '2026-03-01T11:00:00Z', 0)");
    ASSERT_EQ(Tool({"grant", server.location(), role.name()}).code, 0);
    EXPECT_EQ(RightsOf(server.location(), role.name()), rights);
    db::Connection owner(server.location(), db::DatabasePassword(), db::OpenMode::ReadOnly);
    EXPECT_TRUE(owner.indexExists(QStringLiteral("datExperimentTrials_WriteKey")));
    EXPECT_EQ(Column(server.location(),
                     "SELECT Claim FROM datRunClaims WHERE Released = 0 AND TakenOver = 0"),
              QStringList{"latest"});
    EXPECT_EQ(Outcome(role.location(),
                      "INSERT INTO datRunClaims (Subject, Version, Claim) VALUES ('ann', 'TankP', "
                      "'second')"),
              db::errors::DuplicateKey)
        << "a second open claim on one run";
}

TEST_F(StationRightsTest, GrantRefusesWhatCannotBeAStationsLogin) {
    const struct {
        QStringList arguments;
        int code;
        QString says;
    } cases[] = {
        {{"grant", server.location(), "fx_no_such_role"}, 1, "createuser --pwprompt"},
        {{"grant", server.location(), "postgres"}, 1, "a station needs a login of its own"},
        {{"grant", role.location(), role.name()}, 1, "with the login that owns it"},
        {{"grant", "/tmp/station.mdb", role.name()}, 2, "not a server's address"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
}

TEST_F(StationRightsTest, AStationIsPointedOnlyAtAStationsLogin) {
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("Hydrovat.mdb"));
    ASSERT_EQ(Tool({"create", station}).code, 0);
    const QString owner = QString(server.location())
                              .replace(QStringLiteral("postgres@"),
                                       QStringLiteral("postgres:") + db::DatabasePassword() + '@');

    const ToolRun refused = Tool({"station", station, owner});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("'postgres' owns the lab's database or is a superuser"))
        << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains("fluxmere-db grant")) << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains(db::DatabasePassword()));
    EXPECT_TRUE(station::ServerOf(station).isEmpty());

    const ToolRun pointed = Tool({"station", station, role.location()});
    EXPECT_EQ(pointed.code, 0) << pointed.err.toStdString();
    EXPECT_EQ(station::ServerOf(station), role.location());
}

// check on a station's file judges what the program there reads: the server, through the
// station's login.
TEST_F(StationRightsTest, CheckingAStationsFileChecksTheServerThroughItsLogin) {
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("Hydrovat.mdb"));
    ASSERT_EQ(Tool({"create", station}).code, 0);
    station::PointAt(station, role.location());
    const ToolRun checked = Tool({"check", station});
    EXPECT_EQ(checked.code, 0) << checked.out.toStdString() << checked.err.toStdString();
    // The demo's versions bring their delay-change warnings, and nothing else.
    EXPECT_TRUE(checked.out.startsWith(station + " is a station's file that records to " +
                                       db::LocationForMessages(role.location()) +
                                       ": checked there, through the station's login '" +
                                       role.name() + "', as the program at the station reads it\n"))
        << checked.out.toStdString();
    EXPECT_TRUE(checked.out.endsWith("\nno problems found; 7 warnings\n"))
        << checked.out.toStdString();

    Execute(server.location(),
            "DELETE FROM tblScenarios WHERE Scenario IN (SELECT ScenarioUsed "
            "FROM tblSetup WHERE Version = 'TankP')");
    const ToolRun broken = Tool({"check", station});
    EXPECT_EQ(broken.code, 1);
    EXPECT_TRUE(broken.out.contains("tblSetup, row ")) << broken.out.toStdString();
}

TEST_F(StationRightsTest, CheckNamesAStationFileHoldingTheOwnersLogin) {
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("Hydrovat.mdb"));
    ASSERT_EQ(Tool({"create", station}).code, 0);
    station::PointAt(station,
                     QString(server.location())
                         .replace(QStringLiteral("postgres@"),
                                  QStringLiteral("postgres:") + db::DatabasePassword() + '@'));
    const ToolRun checked = Tool({"check", station});
    EXPECT_EQ(checked.code, 1);
    EXPECT_TRUE(
        checked.out.contains("station file: holds the login 'postgres', which owns the "
                             "lab's database or is a superuser"))
        << checked.out.toStdString();
    EXPECT_TRUE(checked.out.contains("fluxmere-db grant")) << checked.out.toStdString();
}

// A database in SQL_ASCII is named in one line with the command that makes a right one.
TEST(StationRightsEncodingTest, ADatabaseNotInUtf8IsNamedWithTheCommandThatMakesOne) {
    const TempServerDatabase ascii(TempServerDatabase::Contents::Ascii);
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("Hydrovat.mdb"));
    ASSERT_EQ(Tool({"create", station}).code, 0);
    WriteFile(dir.filePath("tblLabels.csv"), "version,LabelNumber,LabelName\nA,1,low\n");
    const QStringList commands[] = {
        {"create", ascii.location()},
        {"demo", ascii.location()},
        {"import", ascii.location(), "tblLabels", dir.filePath("tblLabels.csv")},
        {"station", station, ascii.location()},
    };
    for (const QStringList& command : commands) {
        const ToolRun run = Tool(command);
        EXPECT_EQ(run.code, 1) << command.join(' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(
            run.err.contains("is in SQL_ASCII, not UTF8; make it anew with: createdb "
                             "--encoding UTF8 --template template0 "))
            << run.err.toStdString();
    }
}

}  // namespace
