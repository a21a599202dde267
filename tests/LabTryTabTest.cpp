// Fluxmere Lab's Try tab: a pilot shows what fluxmere-db simulate prints and plots; Play opens
// the real participant program on a scratch copy that holds only the version and the
// accounts, and takes the copy away when the program ends.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include "lab/Study.h"
#include "lab/TryTab.h"
#include "tests/support/LabTasks.h"
#include "tests/support/ToolFixtures.h"

namespace {

QString Finish(lab::TryTab& tab) {
    return FinishTask(tab.runner());
}

class LabTryTabTest : public ::testing::Test {
  protected:
    LabTryTabTest() { Finish(tab); }

    DemoDatabase demo;
    lab::Study study{demo.path()};
    lab::TryTab tab{study};
};

TEST_F(LabTryTabTest, APilotShowsWhatSimulatePrintsAndPlots) {
    EXPECT_EQ(tab.versions(), QStringList({"StoreP", "StoreT", "TankP", "TankT"}));
    tab.pilot("TankP", "heuristic", 5);
    EXPECT_EQ(Finish(tab).toStdString(), "5 runs of version 'TankP' played");

    const QString png = demo.file("pilot.png");
    const ToolRun command = Tool({"simulate", demo.path(), "TankP", "--strategy", "heuristic",
                                  "--runs", "5", "--plot", png});
    ASSERT_EQ(command.code, 0) << command.err.toStdString();
    EXPECT_EQ(tab.pilotStatistics().toStdString(),
              command.out.section("wrote ", 0, 0).toStdString());
    EXPECT_EQ(tab.pilotPlot().convertToFormat(QImage::Format_RGB32),
              QImage(png).convertToFormat(QImage::Format_RGB32));
}

TEST_F(LabTryTabTest, APilotIsCancelledBeforeItsNextRunAndAFailureIsTheLoginsMessage) {
    tab.pilot("TankP", "random", 100000);
    tab.runner().cancelButton().click();
    EXPECT_EQ(Finish(tab).toStdString(), "cancelled; nothing was written");
    EXPECT_TRUE(tab.pilotStatistics().isEmpty());

    Execute(demo.path(), "UPDATE tblSetup SET MaxTrial = 0 WHERE Version = 'TankT'");
    tab.pilot("TankT", "heuristic", 1);
    const QString shown = Finish(tab);
    const ToolRun command = Tool({"simulate", demo.path(), "TankT"});
    EXPECT_EQ("fluxmere-db simulate: " + shown + "\n", command.err);
}

TEST_F(LabTryTabTest, PlayOpensTheParticipantProgramOnAScratchCopyOfTheVersion) {
    const QStringList studyBefore =
        Column(demo.path(),
               "SELECT count(*) FROM datSubject UNION ALL SELECT count(*) FROM "
               "tblSetup");
    tab.setParticipantProgram(QStringLiteral(FLUXMERE));
    tab.playAsParticipant("TankT");
    EXPECT_EQ(Finish(tab).toStdString(),
              "the participant program plays version 'TankT' on a scratch copy of the study");
    ASSERT_NE(tab.participant(), nullptr);
    const QString scratch = tab.scratchStudy();
    EXPECT_EQ(tab.participant()->arguments(), QStringList({"--windowed", "--database", scratch}));
    EXPECT_EQ(Column(scratch, "SELECT Version FROM tblSetup"), QStringList{"TankT"});
    EXPECT_EQ(Column(scratch, "SELECT username FROM tblPasswords"), QStringList{"experimenter"});
    EXPECT_EQ(Column(scratch, "SELECT count(*) FROM datSubject"), QStringList{"0"});

    // The program ends (as the experimenter's password ends it): the copy goes with it.
    QEventLoop ended;
    QObject::connect(&tab, &lab::TryTab::participantEnded, &ended, &QEventLoop::quit);
    ::kill(static_cast<pid_t>(tab.participant()->processId()), SIGTERM);
    QTimer::singleShot(30000, &ended, &QEventLoop::quit);
    ended.exec();
    EXPECT_EQ(tab.participant(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(scratch));
    EXPECT_EQ(Column(demo.path(),
                     "SELECT count(*) FROM datSubject UNION ALL SELECT count(*) "
                     "FROM tblSetup"),
              studyBefore);
}

TEST_F(LabTryTabTest, AProgramThatCannotStartIsNamedAndNoCopyIsLeft) {
    tab.setParticipantProgram(demo.file("no-such-program"));
    tab.playAsParticipant("TankP");
    EXPECT_TRUE(Finish(tab).startsWith(demo.file("no-such-program") + ": cannot start: "));
    EXPECT_EQ(tab.participant(), nullptr);
    EXPECT_TRUE(tab.scratchStudy().isEmpty());
}

}  // namespace
