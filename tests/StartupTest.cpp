#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <optional>
#include <ostream>

#include "access/TableAccess.h"
#include "app/Main.h"
#include "core/RunRecord.h"
#include "db/Engine.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/intake/frmLogin.h"
#include "screens/intake/frmSplash.h"
#include "screens/simulation/frmHydrovat.h"
#include "station/StationServer.h"
#include "support/DamagedFile.h"
#include "support/ExperimentDatabase.h"
#include "support/IntakeScripts.h"
#include "support/WriteProtection.h"
#include "tests/support/Ending.h"
#include "tests/support/OpenWrite.h"
#include "tests/support/ScratchDisk.h"
#include "tests/support/TestServer.h"

namespace {

class StartupTest : public ::testing::Test {
  protected:
    Program program;
    ::Run& run = program.run();

  protected:
    void SetUp() override {
        program.SetSplashMilliseconds(5);
        run.session.databasePath = database.path();
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        database.addVersion("A", {{"InitialBackOrder", "6"}});
        database.addVersion("G", {{"graphicalMode", "-1"}, {"numMarks", "5"}});
        database.addDelaySegment(1, 4, 20, 3, 20);
        for (int trial = 1; trial <= 12; ++trial) database.addRate(1, trial, 2, 1);
        database.addLabels("G", 5, 10);
    }
    void TearDown() override {
        program.UnloadSimulationScreen();
        EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open";
    }

    // Main, which must end the program; the messages it showed. How it ended is kept in ended.
    std::vector<runtime::Question> endedMain() {
        ended = EndingOf([this] { program.Main(); });
        EXPECT_TRUE(ended.has_value()) << "the program did not end";
        return dialogs.shown();
    }

    std::optional<runtime::ExitStatus> ended;
    ExperimentDatabase database;
    ui::ScriptedDialogs dialogs;
};

TEST_F(StartupTest, SplashShowsTitleMakerNoticePlatformVersionAndAPicture) {
    frmSplash splash;
    EXPECT_EQ(splash.lblProductName.text(), "Fluxmere");
    EXPECT_FALSE(splash.lblCompany.text().isEmpty());
    EXPECT_FALSE(splash.lblCopyright.text().isEmpty());
    EXPECT_TRUE(splash.lblWarning.text().contains("research use"));
    EXPECT_EQ(splash.lblPlatform.text(), "Linux · Qt 6");
    EXPECT_EQ(splash.lblVersion.text(), "Version 11");
    QImage picture(splash.imgLogo.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    splash.imgLogo.render(&picture);
    int coloured = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            coloured += picture.pixel(x, y) != qRgb(255, 255, 255);
    }
    EXPECT_GT(coloured, picture.width() * picture.height() / 10) << "the picture is nearly empty";
}

TEST_F(StartupTest, ANewParticipantReachesTheSimulationScreen) {
    ScriptLogin(dialogs, "Ann", "A");
    ScriptRegistration(dialogs);
    program.Main();
    EXPECT_EQ(dialogs.modalForms(), (std::vector<QString>{"frmLogin", "frmNewSubject"}));
    EXPECT_TRUE(dialogs.shown().empty());
    ASSERT_NE(program.SimulationScreen(), nullptr);
    EXPECT_TRUE(program.SimulationScreen()->isVisible());
    EXPECT_EQ(run.state.CurrentTrial, 0);
    EXPECT_EQ(run.state.TotBonus, 5);
    EXPECT_EQ(run.state.TotalBackOrder, 6);
    EXPECT_EQ(run.state.BackOrder[1], 2);
    EXPECT_EQ(run.state.BackOrder[3], 2);
    EXPECT_EQ(run.state.BackOrder[4], 0);
    EXPECT_EQ(run.state.EnvInFlow[12], 2);
    EXPECT_EQ(run.state.UserInFlow.size(), 14u);
    EXPECT_EQ(run.state.AmountInTank, 20);
}

TEST_F(StartupTest, AReturningGraphicalParticipantResumesWithTheRecordedAmountScaled) {
    database.registerSubject("Bo", "G");
    database.addEvent("Bo", "G", 40, 6,
                      {{"AmountInTank", "31.5"},
                       {"TotBonus", "8"},
                       {"UserInflowTP", "4"},
                       {"UserOutflowTP", "3"},
                       {"graphicalMode", "-1"}});
    ScriptLogin(dialogs, "Bo", "G");
    dialogs.answerNext(runtime::Answer::Yes);
    program.Main();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Continue with Trial #7");
    ASSERT_NE(program.SimulationScreen(), nullptr);
    EXPECT_EQ(run.state.CurrentTrial, 6);
    EXPECT_EQ(run.state.MarkLabels[4], "50");
    EXPECT_EQ(run.state.TopLabelValue, 50);
    ASSERT_GT(run.state.TwipsPerMark, 0);
    EXPECT_DOUBLE_EQ(run.state.AmountInTank / run.state.TwipsPerMark, 31.5);
    EXPECT_EQ(run.state.TotBonus, 8);
    EXPECT_EQ(run.state.EventID, 40);
}

TEST_F(StartupTest, ClosingTheLoginWindowEndsWithoutTheEarningsMessage) {
    // No scripted action: the login window is closed at once.
    EXPECT_TRUE(endedMain().empty());
    EXPECT_EQ(ended, runtime::ExitStatus::QuitAtLogin);
    EXPECT_TRUE(run.state.QuitAtLogin);
    EXPECT_EQ(program.SimulationScreen(), nullptr);
}

// A database file that cannot serve, and how it is made.
struct BadDatabaseCase {
    const char* name;
    std::function<void(const QString& path)> make;
};

std::ostream& operator<<(std::ostream& out, const BadDatabaseCase& c) {
    return out << c.name;
}

class BadDatabaseTest : public StartupTest,
                        public ::testing::WithParamInterface<BadDatabaseCase> {};

TEST_P(BadDatabaseTest, IsNamedInAMessageAndEndsTheProgram) {
    QTemporaryDir folder;
    const QString path = folder.filePath("Hydrovat.mdb");
    GetParam().make(path);
    program.run().session.databasePath = path;
    const auto shown = endedMain();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(path)) << shown[0].text.toStdString();
    EXPECT_EQ(ended, runtime::ExitStatus::StartUpRefused);
    EXPECT_TRUE(dialogs.modalForms().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadDatabaseTest,
    ::testing::Values(BadDatabaseCase{"Missing", [](const QString&) {}},
                      BadDatabaseCase{"OtherKey",
                                      [](const QString& path) {
                                          db::Connection other(path, "not the key",
                                                               db::OpenMode::Create);
                                          other.execute("CREATE TABLE tblSetup (Version TEXT)");
                                      }},
                      BadDatabaseCase{"NotADatabase",
                                      [](const QString& path) {
                                          QFile file(path);
                                          ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                          file.write(QByteArray(4096, 'x'));
                                      }},
                      BadDatabaseCase{"NoVersionsTable",
                                      [](const QString& path) {
                                          db::Connection empty(path, db::DatabasePassword(),
                                                               db::OpenMode::Create);
                                          empty.execute("CREATE TABLE other (x INTEGER)");
                                      }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, AWriteProtectedDatabaseIsNamedBeforeAnyoneLogsIn) {
    const ScopedWriteProtection protection(database.path());
    if (!protection.active()) GTEST_SKIP() << "the file system cannot write-protect the file";
    const auto shown = endedMain();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("is read-only")))
        << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains(database.path()));
    EXPECT_EQ(ended, runtime::ExitStatus::StartUpRefused);
    EXPECT_TRUE(dialogs.modalForms().empty()) << "the login was shown";
}

TEST_F(StartupTest, ADamagedPageOfTheRecordedTablesIsRefusedBeforeAnyoneLogsIn) {
    database.execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) INSERT "
        "INTO datExperimentTrials (Subject, Version, EventID) SELECT 'P', 'A', i FROM n");
    DamageTheMiddlePage(database.path());
    // The versions can still be read: only a look at every page finds it.
    EXPECT_EQ(DatabaseProblem(DatabasePath(run)), "");
    const auto shown = endedMain();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith("The experiment database is damaged:\r\n" +
                                         database.path() + "\r\n"))
        << shown[0].text.toStdString();
    EXPECT_EQ(ended, runtime::ExitStatus::StartUpRefused);
    EXPECT_TRUE(dialogs.modalForms().empty()) << "the login was shown";
}

// A station pointed at a server that cannot be reached, or that refuses its login: the
// server as the message names it (never the password).
struct ServerCase {
    const char* name;
    std::function<QString()> pointedAt;
    std::function<QString()> named;
};

std::ostream& operator<<(std::ostream& out, const ServerCase& c) {
    return out << c.name;
}

const ServerCase kServerCases[] = {
    {"Unreachable",
     [] { return QStringLiteral("postgresql://fluxmere:Pw-9@/fluxmere?host=/nonexistent"); },
     [] { return QStringLiteral("postgresql://fluxmere@/fluxmere?host=/nonexistent"); }},
    {"RefusingTheLogin",
     [] {
         return TestServerLocation(QStringLiteral("postgres"))
             .replace(QStringLiteral("postgres@"), QStringLiteral("postgres:Pw-9@"));
     },
     [] { return TestServerLocation(QStringLiteral("postgres")); }},
};

class StartupServerTest : public StartupTest, public ::testing::WithParamInterface<ServerCase> {};

TEST_P(StartupServerTest, AStationPointedAtItNamesTheServerWithoutThePasswordAndEnds) {
    station::PointAt(database.path(), GetParam().pointedAt());
    const auto shown = endedMain();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(GetParam().named())) << shown[0].text.toStdString();
    EXPECT_FALSE(shown[0].text.contains(QStringLiteral("Pw-9")));
    EXPECT_EQ(ended, runtime::ExitStatus::StartUpRefused);
    EXPECT_TRUE(dialogs.modalForms().empty()) << "the login was shown";
}

INSTANTIATE_TEST_SUITE_P(Servers, StartupServerTest, ::testing::ValuesIn(kServerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, AGoodDatabaseHasNoProblem) {
    EXPECT_EQ(DatabaseProblem(DatabasePath(run)), "");
}

// Every recording writes a journal beside the database: a folder that takes no new file
// would pass start-up and fail at the first recording, so start-up names it.
TEST_F(StartupTest, AReadOnlyDataFolderIsNamedBeforeAnyoneLogsIn) {
    ScratchDisk disk(4 * 1024 * 1024);
    const QString path = disk.filePath("Hydrovat.mdb");
    ASSERT_TRUE(QFile::copy(database.path(), path));
    disk.makeReadOnly();
    program.run().session.databasePath = path;
    const auto shown = endedMain();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The folder of the experiment database cannot be written:\r\n" +
                                 disk.path() +
                                 "\r\nRead-only file system. The program writes a journal beside "
                                 "the database while it records.\r\nPlease call the experimenter.");
    EXPECT_EQ(ended, runtime::ExitStatus::StartUpRefused);
    EXPECT_TRUE(dialogs.modalForms().empty()) << "the login was shown";
}

// Files made before stations claimed runs get the claims table at start-up, and their
// registrations the station's column, keeping the rows they hold.
TEST_F(StartupTest, AnOlderDatabaseGetsTheClaimsTableAndTheStationColumn) {
    database.execute("DROP TABLE datRunClaims");
    database.execute(
        "DROP TABLE datSubject; CREATE TABLE datSubject (Subject TEXT, Version TEXT, Condition "
        "TEXT, Major TEXT, Gender TEXT, Age REAL, Date TEXT, Time TEXT); INSERT INTO datSubject "
        "(Subject, Version) VALUES ('Ann', 'A')");
    EXPECT_EQ(DatabaseProblem(DatabasePath(run)), "");
    EXPECT_TRUE(database.rows("SELECT * FROM datRunClaims").empty());
    const auto subjects = database.rows("SELECT Subject, Station FROM datSubject");
    ASSERT_EQ(subjects.size(), 1u);
    EXPECT_EQ(subjects[0].at("Subject").toString(), "Ann");
    EXPECT_TRUE(subjects[0].at("Station").isNull());
}

// A file without a table or column the program uses is refused at start-up, naming what is
// missing in the program's words, before anyone logs in and anything is written.
struct MissingPartCase {
    const char* name;
    const char* sql;
    const char* missing;
};

std::ostream& operator<<(std::ostream& out, const MissingPartCase& c) {
    return out << c.name;
}

class MissingPartTest : public StartupTest,
                        public ::testing::WithParamInterface<MissingPartCase> {};

TEST_P(MissingPartTest, IsNamedAndRefusedBeforeAnythingIsWritten) {
    database.execute(GetParam().sql);
    const QString schemaQuery =
        QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name");
    const auto schemaBefore = database.rows(schemaQuery);
    const auto shown = endedMain();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.toStdString(),
              ("The experiment database lacks what the program needs:\r\n" + database.path() +
               "\r\nmissing: " + GetParam().missing +
               "\r\nNothing was recorded. Please call the experimenter.")
                  .toStdString());
    EXPECT_EQ(ended, runtime::ExitStatus::StartUpRefused);
    EXPECT_TRUE(dialogs.modalForms().empty()) << "the login was shown";
    EXPECT_EQ(database.rows(schemaQuery), schemaBefore) << "start-up changed the file";
}

INSTANTIATE_TEST_SUITE_P(
    Files, MissingPartTest,
    ::testing::Values(
        MissingPartCase{"EventLog", "DROP TABLE datExperimentTrials", "table datExperimentTrials"},
        MissingPartCase{"Registrations", "DROP TABLE datSubject", "table datSubject"},
        MissingPartCase{"TwoTables", "DROP TABLE tblLabels; DROP TABLE datUserTimesSummary",
                        "table tblLabels, table datUserTimesSummary"},
        MissingPartCase{"SubmitTimesColumn",
                        "DROP TABLE datUserTimesSummary; CREATE TABLE datUserTimesSummary (Subject "
                        "TEXT, Version TEXT, Trial INTEGER, Date TEXT)",
                        "column SubmitClickTime of table datUserTimesSummary"}),
    [](const auto& info) { return std::string(info.param.name); });

// Versions that start-up could not run are refused by the login's Start, before anything is
// recorded; the participant then closes the login.
struct UnrunnableVersionCase {
    const char* name;
    std::map<QString, QString> setup;
    int labels;
    const char* says;
};

std::ostream& operator<<(std::ostream& out, const UnrunnableVersionCase& c) {
    return out << c.name;
}

class UnrunnableVersionTest : public StartupTest,
                              public ::testing::WithParamInterface<UnrunnableVersionCase> {};

TEST_P(UnrunnableVersionTest, IsRefusedAtTheLoginBeforeAnythingIsRecorded) {
    const UnrunnableVersionCase& c = GetParam();
    database.addVersion("T", c.setup);
    if (c.labels > 0) database.addLabels("T", c.labels, 5);
    dialogs.onNextModal([](QWidget& form) {
        auto& login = dynamic_cast<frmLogin&>(form);
        login.txtName.setText("Ann");
        login.cboVersion.setEditText("T");
        login.cmdStart_Click();
        form.close();
    });
    const auto shown = endedMain();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QString::fromLatin1(c.says))) << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains("'T'")) << shown[0].text.toStdString();
    EXPECT_EQ(dialogs.modalForms(), std::vector<QString>{"frmLogin"}) << "registration was shown";
    EXPECT_TRUE(database.rows("SELECT * FROM datSubject").empty());
    EXPECT_EQ(program.SimulationScreen(), nullptr);
    EXPECT_EQ(ended, runtime::ExitStatus::QuitAtLogin);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, UnrunnableVersionTest,
    ::testing::Values(UnrunnableVersionCase{"ScenarioWithoutRows",
                                            {{"ScenarioUsed", "9"}},
                                            0,
                                            "Environment scenario 9 has no rows in tblScenarios."},
                      UnrunnableVersionCase{"TankWithTooManyMarks",
                                            {{"graphicalMode", "-1"}, {"numMarks", "12"}},
                                            12,
                                            "numMarks"},
                      UnrunnableVersionCase{"ClockBelowOneMillisecond",
                                            {{"IsTimeDriven", "-1"}, {"TimeBetweenEnvTries", "0"}},
                                            0,
                                            "TimeBetweenEnvTries"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
