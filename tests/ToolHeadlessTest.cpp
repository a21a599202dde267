// The built fluxmere-db on a machine without a display: the commands that open no window
// run with neither DISPLAY nor QT_QPA_PLATFORM set, the picture of a run included.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

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

}  // namespace
