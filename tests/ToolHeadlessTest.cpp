// The built fluxmere-db on a machine without a display: the commands that open no window
// run with neither DISPLAY nor QT_QPA_PLATFORM set, the picture of a run included.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "tests/support/ToolFixtures.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun RunHeadless(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral(FLUXMERE_DB), arguments);
    tool.waitForFinished(60000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromLocal8Bit(tool.readAll())};
}

TEST(ToolHeadlessTest, CheckAndPlotRunWithoutADisplay) {
    DemoDatabase demo;
    const QString events = demo.file("events.csv");
    WriteFile(events,
              "Subject,Version,eventType,EventID,Trial,AmountInTank,GoalAmount,"
              "LowerBoundFromGoal,UpperBoundFromGoal,UserInFlow,UserOutFlow,EnvInFlow,"
              "EnvOutFlow,SimulationTime\n"
              "Ann,TankP,Submit Clicked,1,1,40,60,5,5,5,1,3,1.5,2\n"
              "Ann,TankP,After Cost Calculation,2,1,43,60,5,5,5,1,3,1.5,2\n");
    const QString picture = demo.file("ann.png");
    const std::vector<QStringList> commands = {
        {"check", demo.path()},
        {"import", demo.path(), "datExperimentTrials", events},
        {"plot", demo.path(), "Ann", "TankP", picture},
    };
    for (const QStringList& command : commands) {
        const ToolRun run = RunHeadless(command);
        EXPECT_EQ(run.exitCode, 0) << command.join(' ').toStdString() << "\n"
                                   << run.output.toStdString();
    }
    EXPECT_FALSE(QImage(picture).isNull());
}

// Ctrl+C cancels an export as the window's Cancel does: the export stops at its next row,
// neither the folder nor the export's temporary one is left, and the tool says so.
TEST(ToolHeadlessTest, CtrlCCancelsAnExportAndLeavesNothingBehind) {
    DemoDatabase demo;
    RecordEvents(demo.path(), 1000000);
    const QDir folder(demo.file(QString()));
    QProcess tool;
    tool.start(QStringLiteral(FLUXMERE_DB), {"export", demo.path(), demo.file("out")});
    ASSERT_TRUE(tool.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    // Once the export writes its files into its temporary folder beside the one asked for.
    while (folder.entryList({"out.incomplete-*"}, QDir::Dirs | QDir::Hidden).isEmpty() &&
           waited.elapsed() < 60000)
        QThread::msleep(1);
    ::kill(static_cast<pid_t>(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_EQ(QString::fromLocal8Bit(tool.readAllStandardError()),
              "fluxmere-db export: cancelled; nothing was written\n");
    EXPECT_EQ(folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"demo.mdb"});
}

}  // namespace
