// Fluxmere Lab's Data tab: each task is the command of the same name, run off the window's
// thread, with the same files, lines and messages; Cancel leaves nothing behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTimer>

#include "lab/DataTab.h"
#include "lab/Study.h"
#include "tests/support/LabSession.h"
#include "tests/support/LabTasks.h"
#include "tests/support/ToolFixtures.h"

namespace {

const auto kEverything = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;

QString Finish(lab::DataTab& tab) {
    return FinishTask(tab.runner());
}

// A codebook says when it was written; two exports differ only there.
QString WithoutExportTime(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).replace(QRegularExpression("Exported at: [^\n]*\n"),
                                            "Exported at: \n");
}

// The lines a command printed, with a folder written as FOLDER.
QStringList Lines(QString printed, const QString& folder, const QString& as) {
    printed.replace(folder, as);
    return printed.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class LabDataTabTest : public ::testing::Test {
  protected:
    QString folder(const QString& name) const { return work.filePath(name); }

    DemoDatabase demo;
    lab::Study study{demo.path()};
    lab::DataTab tab{study};
    QTemporaryDir work;
};

TEST_F(LabDataTabTest, TheExportHasTheCommandsFilesByteForByteAndItsLines) {
    RecordEvents(demo.path(), 3000);
    tab.exportTo(folder("tab"));
    Finish(tab);
    const ToolRun command = Tool({"export", demo.path(), folder("command")});
    ASSERT_EQ(command.code, 0) << command.err.toStdString();

    const QStringList files = QDir(folder("command")).entryList(kEverything, QDir::Name);
    EXPECT_EQ(QDir(folder("tab")).entryList(kEverything, QDir::Name), files);
    EXPECT_TRUE(files.contains("datExperimentTrials.csv"));
    for (const QString& file : files)
        EXPECT_EQ(WithoutExportTime(ReadFile(folder("tab/") + file)),
                  WithoutExportTime(ReadFile(folder("command/") + file)))
            << file.toStdString();
    EXPECT_EQ(tab.results(), Lines(command.out, folder("command"), folder("tab")));
}

TEST_F(LabDataTabTest, AFailureIsShownAsTheCommandWordsIt) {
    QDir().mkpath(folder("full"));
    WriteFile(folder("full/notes.txt"), "mine");
    tab.exportTo(folder("full"));
    const QString shown = Finish(tab);
    const ToolRun command = Tool({"export", demo.path(), folder("full")});
    EXPECT_EQ(command.code, 1);
    EXPECT_EQ("fluxmere-db export: " + shown + "\n", command.err);
    EXPECT_EQ(ReadFile(folder("full/notes.txt")), "mine");
}

// Cancel pressed while the export runs: neither the new folder nor the export's own
// temporary folder is left, and an existing folder is as it was.
TEST_F(LabDataTabTest, CancelLeavesNoFolderAndNoFileBehind) {
    RecordEvents(demo.path(), 20000);
    QDir().mkpath(folder("there"));
    for (const QString& target : {folder("new"), folder("there")}) {
        tab.exportTo(target);
        tab.runner().cancelButton().click();
        EXPECT_EQ(Finish(tab), "cancelled; nothing was written");
    }
    EXPECT_EQ(QDir(work.path()).entryList(kEverything), QStringList{"there"});
    EXPECT_TRUE(QDir(folder("there")).entryList(kEverything).isEmpty());
}

// The window's own events are handled while the task runs: a timer keeps firing, and a
// second task waits for the first.
TEST_F(LabDataTabTest, TheWindowStaysResponsiveDuringALongTask) {
    RecordEvents(demo.path(), 100000);
    int ticksWhileBusy = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (tab.runner().busy()) ++ticksWhileBusy;
    });
    tick.start(5);
    tab.exportTo(folder("big"));
    EXPECT_FALSE(tab.runner().start("Another", [](tool::Progress&) {}, {}));
    Finish(tab);
    EXPECT_GT(ticksWhileBusy, 2);
    EXPECT_TRUE(QFileInfo(folder("big/datExperimentTrials.csv")).size() > 1000000);
}

TEST_F(LabDataTabTest, BackupMergeAndCheckSayWhatTheCommandsSay) {
    const QString copy = folder("copy.mdb");
    tab.backUpTo(copy);
    EXPECT_EQ(Finish(tab), "copied " + demo.path() + " to " + copy);
    tab.backUpTo(copy);
    const QString refused = Finish(tab);
    EXPECT_EQ("fluxmere-db backup: " + refused + "\n", Tool({"backup", demo.path(), copy}).err);

    const QString station = folder("station.mdb");
    ASSERT_TRUE(QFile::copy(demo.path(), station));
    ASSERT_EQ(
        Tool({"simulate", station, "TankP", "--strategy", "random", "--runs", "2", "--record"})
            .code,
        0);
    ASSERT_TRUE(QFile::copy(demo.path(), folder("lab.mdb")));
    tab.mergeStations({station});
    EXPECT_EQ(Finish(tab), "2 participants added");
    EXPECT_EQ(tab.results(), Lines(Tool({"merge", folder("lab.mdb"), station}).out, "", ""));

    tab.check();
    Finish(tab);
    EXPECT_EQ(tab.results(), Lines(Tool({"check", demo.path()}).out, "", ""));
}

TEST_F(LabDataTabTest, CancelledMergeLeavesTheStudyAsItWas) {
    const QString station = folder("station.mdb");
    ASSERT_TRUE(QFile::copy(demo.path(), station));
    ASSERT_EQ(Tool({"simulate", station, "TankP", "--runs", "3", "--record"}).code, 0);
    tab.mergeStations({station});
    tab.runner().cancel();
    EXPECT_EQ(Finish(tab), "cancelled; nothing was written");
    EXPECT_EQ(Column(demo.path(), "SELECT count(*) FROM datSubject"), QStringList{"0"});
}

class LabPaymentsTest : public ::testing::Test {
  protected:
    ExperimentDatabase database;
    LabSession session{database};
    QTemporaryDir work;
};

TEST_F(LabPaymentsTest, TheSheetShownAndSavedIsTheCommands) {
    session.playThreeStations();
    const lab::Study study(database.path());
    lab::DataTab tab(study);
    tab.showPayments(LabSession::kDay);
    const QString said = Finish(tab);
    EXPECT_EQ(said.toStdString(), tab.paymentTotal().text().toStdString());
    EXPECT_EQ(tab.paymentSheet().rowCount(), 3);
    EXPECT_EQ(tab.paymentSheet().item(2, 3)->text(), "stopped early in period 3 of 6");

    const QString ours = work.filePath("tab.csv"), theirs = work.filePath("command.csv");
    tab.savePaymentsCsv(ours);
    EXPECT_EQ(Finish(tab), "wrote " + ours);
    const ToolRun command =
        Tool({"payments", database.path(), "--since", "2026-03-02", "--csv", theirs});
    ASSERT_EQ(command.code, 0) << command.err.toStdString();
    EXPECT_EQ(ReadFile(ours), ReadFile(theirs));
    EXPECT_TRUE(command.out.contains(tab.paymentTotal().text().section(' ', 1, 1) + "  total, 3 "
                                                                                    "participants"))
        << command.out.toStdString();

    tab.savePaymentsPdf(work.filePath("sheet.pdf"));
    Finish(tab);
    EXPECT_TRUE(ReadFile(work.filePath("sheet.pdf")).startsWith("%PDF"));
}

}  // namespace
