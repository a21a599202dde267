// fluxmere-db on a lab server: every command takes the server's address in place of a file,
// a file and a server holding the same experiment export the same data, and a station is
// pointed at the server without its password ever being shown.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>
#include <map>

#include "db/Location.h"
#include "station/StationServer.h"
#include "tests/support/TestServer.h"
#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"
#include "tool/csv/CsvExport.h"

namespace {

// The server's address with the login's password in it, as a station is given it.
QString WithPassword(const QString& location) {
    return QString(location).replace(QStringLiteral("postgres@"),
                                     QStringLiteral("postgres:") + db::DatabasePassword() + '@');
}

TEST(ServerToolTest, AFileAndAServerWithTheSameExperimentExportTheSameData) {
    const TempServerDatabase server(TempServerDatabase::Contents::Empty);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("demo.mdb"));
    for (const QString& database : {file, server.location()}) {
        ASSERT_EQ(Tool({"demo", database}).code, 0);
        Execute(database,
                QStringLiteral("INSERT INTO datSubject (Subject, Version, Age, Date, Time) VALUES "
                               "('O''Brien', 'TankP', 21.5, '2026-12-10', '09:05:00')"));
        Execute(database, QStringLiteral("INSERT INTO datExperimentTrials (Subject, Version, "
                                         "EventID, AmountInTank, IsTimeDriven) VALUES "
                                         "('O''Brien', 'TankP', 1, 0.1, -1)"));
    }
    ASSERT_EQ(Tool({"export", file, dir.filePath("from-file")}).code, 0);
    const ToolRun exported = Tool({"export", server.location(), dir.filePath("from-server")});
    ASSERT_EQ(exported.code, 0) << exported.err.toStdString();
    const QStringList csvFiles = QDir(dir.filePath("from-file")).entryList({"*.csv"});
    EXPECT_GE(csvFiles.size(), 8);
    for (const QString& csv : csvFiles) {
        EXPECT_EQ(ReadFile(dir.filePath("from-server/" + csv)),
                  ReadFile(dir.filePath("from-file/" + csv)))
            << csv.toStdString();
    }
}

// One set of yes/no forms on both engines: TRUE and FALSE in any letter case, -1 and 0.
TEST(ServerToolTest, YesNoCellsTakeTheSameFormsOnAFileAndAServer) {
    const TempServerDatabase server(TempServerDatabase::Contents::Empty);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("demo.mdb"));
    const QString taken = dir.filePath(QStringLiteral("taken.csv"));
    const QString refused = dir.filePath(QStringLiteral("refused.csv"));
    WriteFile(taken,
              "Subject,Version,Simulated\nA,TankP,TRUE\nB,TankP,false\nC,TankP,-1\nD,TankP,0\n"
              "E,TankP,\n");
    WriteFile(refused, "Subject,Version,Simulated\nF,TankP,yes\n");
    for (const QString& database : {file, server.location()}) {
        ASSERT_EQ(Tool({"demo", database}).code, 0);
        const ToolRun imported = Tool({"import", database, "datSubject", taken});
        ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
        EXPECT_EQ(Column(database, "SELECT Simulated FROM datSubject ORDER BY Subject"),
                  (QStringList{"-1", "0", "-1", "0", "0"}));
        const ToolRun yes = Tool({"import", database, "datSubject", refused});
        EXPECT_NE(yes.code, 0);
        EXPECT_EQ(yes.err.trimmed().toStdString(),
                  ("fluxmere-db import: " + refused +
                   ":2: column Simulated: 'yes' is not TRUE or FALSE; nothing was imported")
                      .toStdString());
    }
}

TEST(ServerToolTest, CreatingOnAServerNeverShowsThePassword) {
    const TempServerDatabase server(TempServerDatabase::Contents::Empty);
    const ToolRun created = Tool({"create", WithPassword(server.location())});
    EXPECT_EQ(created.code, 0) << created.err.toStdString();
    EXPECT_TRUE(created.out.contains(server.location())) << created.out.toStdString();
    EXPECT_FALSE(created.out.contains(db::DatabasePassword()));
}

TEST(ServerToolTest, CreateRefusesAServerDatabaseThatHoldsAnExperiment) {
    const TempServerDatabase server;
    const ToolRun created = Tool({"create", server.location()});
    EXPECT_EQ(created.code, 1);
    EXPECT_TRUE(created.err.contains(QStringLiteral("never overwrites")))
        << created.err.toStdString();
}

TEST(ServerToolTest, AStationIsPointedShownAndTakenBackWithoutThePasswordShown) {
    const TempServerDatabase server;
    const TestLoginRole role(server);
    ASSERT_EQ(Tool({"grant", server.location(), role.name()}).code, 0);
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("Hydrovat.mdb"));
    ASSERT_EQ(Tool({"create", station}).code, 0);
    const QString address = role.location();

    const ToolRun pointed = Tool({"station", station, address});
    ASSERT_EQ(pointed.code, 0) << pointed.err.toStdString();
    EXPECT_EQ(station::ServerOf(station), address);
    const ToolRun shown = Tool({"station", station});
    EXPECT_TRUE(shown.out.contains(db::LocationForMessages(address))) << shown.out.toStdString();
    for (const ToolRun& run : {pointed, shown})
        EXPECT_FALSE((run.out + run.err).contains(role.password()));
    EXPECT_FALSE(ReadFile(station).contains("postgresql://")) << "the file is encrypted";

    EXPECT_TRUE(Tool({"station", station, "--remove"}).out.contains("records into itself again"));
    EXPECT_TRUE(station::ServerOf(station).isEmpty());
    EXPECT_TRUE(Tool({"station", station}).out.contains("names no lab server"));
}

TEST(ServerToolTest, AStationIsNotPointedAtWhatHoldsNoExperiment) {
    const TempServerDatabase empty(TempServerDatabase::Contents::Empty);
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("Hydrovat.mdb"));
    ASSERT_EQ(Tool({"create", station}).code, 0);
    const struct {
        QString server;
        int code;
        const char* says;
    } cases[] = {
        {WithPassword(empty.location()), 1, "holds no experiment database"},
        {QStringLiteral("/tmp/other.mdb"), 2, "not a server's address"},
        {QStringLiteral("postgresql://postgres:pw@/x?host=/nonexistent"), 1, "Cannot reach"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Tool({"station", station, c.server});
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says))) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral(":pw@")));
    }
    EXPECT_TRUE(station::ServerOf(station).isEmpty());
}

// One file per station, brought into the lab server after the session; a second merge adds
// nothing.
TEST(ServerToolTest, AStationFileIsMergedIntoTheServer) {
    const TempServerDatabase server(TempServerDatabase::Contents::Empty);
    QTemporaryDir dir;
    const QString station = dir.filePath(QStringLiteral("station.mdb"));
    for (const QString& database : {station, server.location()})
        ASSERT_EQ(Tool({"demo", database}).code, 0);
    const ToolRun played = Tool({"simulate", station, "TankT", "--runs", "2", "--record"});
    ASSERT_EQ(played.code, 0) << played.err.toStdString();

    const ToolRun merged = Tool({"merge", server.location(), station});
    ASSERT_EQ(merged.code, 0) << merged.err.toStdString();
    EXPECT_TRUE(merged.out.startsWith(station + ": 2 participants added"))
        << merged.out.toStdString();
    const QString events = QStringLiteral("SELECT count(*) FROM datExperimentTrials");
    EXPECT_EQ(Column(server.location(), events), Column(station, events));
    EXPECT_TRUE(Tool({"merge", server.location(), station}).out.contains("2 already there"));
    EXPECT_EQ(Column(server.location(), events), Column(station, events));
}

TEST(ServerToolTest, AServersBackupIsLeftToTheServersOwnTools) {
    const TempServerDatabase server;
    QTemporaryDir dir;
    const ToolRun backup = Tool({"backup", server.location(), dir.filePath("copy.mdb")});
    EXPECT_EQ(backup.code, 1);
    EXPECT_TRUE(backup.err.contains("take its backups with the server's own tools"))
        << backup.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("copy.mdb")));
}

// Progress someone watches, as a terminal or the lab window: the export counts each table's
// rows before it writes them, on a server as on a file.
class WatchedProgress : public tool::NoProgress {
  public:
    bool visible() const override { return true; }
    std::map<QString, long long> totals;

  protected:
    void started(const QString& what, long long total) override { totals[what] = total; }
};

TEST(ServerToolTest, AWatchedExportCountsEachTablesRowsFirst) {
    const TempServerDatabase server(TempServerDatabase::Contents::Empty);
    ASSERT_EQ(Tool({"demo", server.location()}).code, 0);
    QTemporaryDir dir;
    WatchedProgress watched;
    tool::ExportDatabase(server.location(), dir.filePath("out"), {}, watched);
    EXPECT_EQ(watched.totals["exporting tblSetup"], 4);
    EXPECT_EQ(watched.totals["exporting datSubject"], 0);
}

}  // namespace
