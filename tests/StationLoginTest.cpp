// The program at a station that logs in to the lab server with a station's own login: it
// starts without changing the tables, registers and finds participants without reading their
// demographics, has the server check the experimenter's password, and refuses to start on a
// server whose tables are older than the program, saying what the experimenter runs.
#include <gtest/gtest.h>

#include <ostream>

#include "access/TableAccess.h"
#include "accounts/StoredPassword.h"
#include "app/Main.h"
#include "core/RunRecord.h"
#include "db/Engine.h"
#include "db/Location.h"
#include "screens/exit/CheckPassword.h"
#include "screens/intake/Subjects.h"
#include "tests/support/OpenWrite.h"
#include "tests/support/TestServer.h"

namespace {

class StationLoginTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override {
        server.execute(
            "INSERT INTO \"tblPasswords\" (username, password) VALUES ('Experimenter', "
            "'Tank#42'), ('Hashed', '" +
            accounts::HashPassword("Hashed#1", 1000) +
            "'), ('Broken', 'pbkdf2-sha256$many$salt$hash');"
            "INSERT INTO \"datSubject\" (\"Subject\", \"Version\", \"Age\") VALUES ('Müller', 'A', "
            "23)");
        // As fluxmere-db grant does it: the tables brought up to date, then the rights.
        db::Connection owner(server.location(), db::DatabasePassword(), db::OpenMode::ReadWrite);
        db::UpdateSchema(owner);
        owner.grantStationRights(role.name());
        run.session.databasePath = role.location();
    }
    void TearDown() override { EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open"; }

    TempServerDatabase server;
    TestLoginRole role{server};
};

TEST_F(StationLoginTest, StartsWithoutChangingTheTables) {
    EXPECT_EQ(DatabaseProblem(DatabasePath(run)), "");
}

TEST_F(StationLoginTest, FindsARegisteredNameAndRegistersANewOne) {
    run.state.Version = QStringLiteral("A");
    run.state.SubjectName = QStringLiteral("MÜLLER");
    EXPECT_FALSE(CheckNewUser(run));
    EXPECT_EQ(run.state.SubjectName, "Müller");

    run.state.SubjectName = QStringLiteral("Ann");
    EXPECT_TRUE(CheckNewUser(run));
    EXPECT_TRUE(RecordDemographics(run, {QStringLiteral("Physics"), QStringLiteral("Female"), 21}));
    EXPECT_FALSE(RecordDemographics(run, {QStringLiteral("Physics"), QStringLiteral("Female"), 21}))
        << "the same name registered twice";
}

struct PasswordCase {
    const char* user;
    const char* password;
    bool matched;
};

// The station never reads the accounts: the server gives the hash's settings and says whether
// the typed password, hashed the same way, is stored; the user name is compared as the column
// compares it, the password exactly.
TEST_F(StationLoginTest, TheServerChecksTheExperimentersPassword) {
    const PasswordCase cases[] = {
        {"Experimenter", "Tank#42", true},  {"experimenter", "Tank#42", true},
        {"Experimenter", "tank#42", false}, {"Experimenter", "", false},
        {"Hashed", "Hashed#1", true},       {"HASHED", "Hashed#1", true},
        {"Hashed", "hashed#1", false},      {"Nobody", "Tank#42", false},
    };
    for (const PasswordCase& c : cases) {
        run.state.ExpectedPassword.clear();
        CheckPassword(run, QString::fromUtf8(c.user), QString::fromUtf8(c.password));
        EXPECT_EQ(run.state.PasswordMatched, c.matched) << c.user << " / " << c.password;
        EXPECT_EQ(run.state.ExpectedPassword.isEmpty(), !c.matched) << c.user;
    }
}

TEST_F(StationLoginTest, AStoredPasswordTheProgramCannotReadIsNamed) {
    EXPECT_THROW(CheckPassword(run, QStringLiteral("Broken"), QStringLiteral("x")),
                 accounts::PasswordError);
    EXPECT_FALSE(run.state.PasswordMatched);
}

struct OlderServerCase {
    const char* name;
    const char* change;  // what the server lacks, undone on a current one
};

std::ostream& operator<<(std::ostream& out, const OlderServerCase& c) {
    return out << c.name;
}

class OlderServerTest : public StationLoginTest,
                        public ::testing::WithParamInterface<OlderServerCase> {};

// A server made by an earlier program lacks what this one records; a station's login may not
// add it.
TEST_P(OlderServerTest, IsRefusedNamingWhatTheExperimenterRuns) {
    server.execute(GetParam().change);
    const QString problem = DatabaseProblem(DatabasePath(run));
    EXPECT_TRUE(problem.startsWith("The experiment database on " +
                                   db::LocationForMessages(role.location())))
        << problem.toStdString();
    EXPECT_TRUE(
        problem.contains("The experimenter brings it up to date with: fluxmere-db grant "
                         "postgresql://OWNER@HOST/DATABASE " +
                         role.name()))
        << problem.toStdString();
    EXPECT_FALSE(problem.contains("Station-Pw")) << "the password is never shown";
    // Nothing was changed: it still lacks it.
    db::Connection owner(server.location(), db::DatabasePassword(), db::OpenMode::ReadOnly);
    EXPECT_FALSE(db::SchemaIsCurrent(owner));
}

INSTANTIATE_TEST_SUITE_P(
    Lacks, OlderServerTest,
    ::testing::Values(
        OlderServerCase{"TheRegistrationsStation",
                        "ALTER TABLE \"datSubject\" DROP COLUMN \"Station\""},
        OlderServerCase{"TheClaimsHolder", "ALTER TABLE \"datRunClaims\" DROP COLUMN \"Holder\""},
        OlderServerCase{"TheKeyOfOneOpenClaimARun", "DROP INDEX datRunClaims_OpenClaim"},
        OlderServerCase{"TheKeyOfEachWrite",
                        "ALTER TABLE \"datExperimentTrials\" DROP COLUMN \"WriteKey\""},
        OlderServerCase{"TheUniqueKeyOfEachWrite", "DROP INDEX datTrialSummary_WriteKey"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StationLoginEncodingTest, AServerDatabaseNotInUtf8IsNamedAtStartUp) {
    const TempServerDatabase ascii(TempServerDatabase::Contents::Ascii);
    const QString problem = DatabaseProblem(ascii.location());
    EXPECT_TRUE(
        problem.contains("is in SQL_ASCII, not UTF8; make it anew with: createdb "
                         "--encoding UTF8 --template template0 "))
        << problem.toStdString();
}

}  // namespace
