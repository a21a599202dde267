// Fluxmere Lab's tabs on a study kept by a lab server: the export is the command's, the
// accounts are changed there, and Play copies the version off the server into a scratch file,
// so that a trial records nothing on the server.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include "lab/AccountsTab.h"
#include "lab/DataTab.h"
#include "lab/Study.h"
#include "lab/TryTab.h"
#include "tests/support/LabTasks.h"
#include "tests/support/TestServer.h"
#include "tests/support/ToolFixtures.h"

namespace {

class LabServerTabsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Tool({"demo", server.location()}).code, 0); }

    const TempServerDatabase server{TempServerDatabase::Contents::Empty};
    const lab::Study study{server.location()};
    QTemporaryDir work;
};

TEST_F(LabServerTabsTest, TheExportIsTheCommands) {
    lab::DataTab tab(study);
    tab.exportTo(work.filePath("tab"));
    EXPECT_TRUE(FinishTask(tab.runner()).startsWith("wrote "))
        << tab.runner().statusLine().text().toStdString();
    ASSERT_EQ(Tool({"export", server.location(), work.filePath("command")}).code, 0);
    const QStringList files = QDir(work.filePath("command")).entryList({"*.csv"});
    EXPECT_GE(files.size(), 8);
    for (const QString& file : files)
        EXPECT_EQ(ReadFile(work.filePath("tab/" + file)),
                  ReadFile(work.filePath("command/" + file)))
            << file.toStdString();
}

TEST_F(LabServerTabsTest, AnAccountIsAddedOnTheServer) {
    lab::AccountsTab tab(study);
    FinishTask(tab.runner());
    tab.setPassword("lab", "Zebra-42", "Zebra-42");
    EXPECT_EQ(FinishTask(tab.runner()).toStdString(), "added the experimenter account 'lab'");
    EXPECT_EQ(tab.accounts(), QStringList({"experimenter", "lab"}));
    EXPECT_EQ(Column(server.location(), "SELECT username FROM tblPasswords ORDER BY username"),
              QStringList({"experimenter", "lab"}));
}

TEST_F(LabServerTabsTest, PlayCopiesTheVersionIntoAScratchFileAndNothingReachesTheServer) {
    lab::TryTab tab(study);
    FinishTask(tab.runner());
    tab.setParticipantProgram(QStringLiteral(FLUXMERE));
    tab.playAsParticipant("StoreP");
    ASSERT_EQ(FinishTask(tab.runner()).toStdString(),
              "the participant program plays version 'StoreP' on a scratch copy of the study");
    const QString scratch = tab.scratchStudy();
    EXPECT_TRUE(QFileInfo(scratch).isFile());
    EXPECT_EQ(Column(scratch, "SELECT Version FROM tblSetup"), QStringList{"StoreP"});
    EXPECT_EQ(Column(scratch, "SELECT username FROM tblPasswords"), QStringList{"experimenter"});
    EXPECT_EQ(Column(scratch, "SELECT count(*) FROM tblScenarios"),
              Column(server.location(),
                     "SELECT count(*) FROM tblScenarios WHERE Scenario IN "
                     "(SELECT ScenarioUsed FROM tblSetup WHERE Version = "
                     "'StoreP')"));

    QEventLoop ended;
    QObject::connect(&tab, &lab::TryTab::participantEnded, &ended, &QEventLoop::quit);
    ::kill(static_cast<pid_t>(tab.participant()->processId()), SIGTERM);
    QTimer::singleShot(30000, &ended, &QEventLoop::quit);
    ended.exec();
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_EQ(Column(server.location(), "SELECT count(*) FROM datSubject"), QStringList{"0"});
}

}  // namespace
