// record_ratio: recording one event-log row the way the program does (on the run's connection,
// kept open from row to row: every column and a new key of the write set, each converted to its
// column's type, inserted and committed in a transaction of its own, with the lock waited out
// as when recording) against an INSERT of the same row without the key through a connection to
// the same file that is already open and keyed.
// server_record_ratio: the same two on a lab server (the baseline's connection already open
// and logged in, on the same socket).
// monitor_record_ratio: recording into the file while fluxmere-db monitor watches it, against
// the recording alone.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "access/TableAccess.h"
#include "bench/BenchServer.h"
#include "bench/Figure.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "recording/RecordWriter.h"

namespace {

using Row = std::vector<std::pair<QString, QVariant>>;

// A temporary experiment database on disk, shared by both sides of the figure.
const QString& BenchDatabase() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fluxmere-bench-XXXXXX"));
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("Hydrovat.mdb"));
        db::Connection connection(file, db::DatabasePassword(), db::OpenMode::Create);
        db::CreateSchema(connection);
        return file;
    }();
    return path;
}

// Every column of an event-log row but the key of the write, each with a value of its type;
// named columns keep realistic texts and keys.
Row EventRow() {
    const Row named = {
        {"Subject", QStringLiteral("O'Brien")},
        {"Version", QStringLiteral("Tank A")},
        {"eventType", QStringLiteral("After Cost Calculation")},
        {"EventID", 1234},
        {"Trial", 17},
        {"IsUserInFlow", 1},
        {"graphicalMode", 1},
        {"IsTimeDriven", 1},
    };
    Row row;
    for (const db::ColumnDef& column :
         db::FindTable(QStringLiteral("datExperimentTrials"))->columns) {
        if (column.name == QLatin1String(db::kWriteKeyColumn)) continue;
        const auto given = std::find_if(named.begin(), named.end(), [&](const auto& pair) {
            return pair.first == column.name;
        });
        if (given != named.end()) {
            row.push_back(*given);
            continue;
        }
        switch (column.type) {
            case db::ColumnType::Double:
                row.emplace_back(column.name, 12.375);
                break;
            case db::ColumnType::Integer:
                row.emplace_back(column.name, 3);
                break;
            case db::ColumnType::Boolean:
                row.emplace_back(column.name, 0);
                break;
            case db::ColumnType::Date:
                row.emplace_back(column.name, QStringLiteral("2025-03-04"));
                break;
            case db::ColumnType::Time:
                row.emplace_back(column.name, QStringLiteral("13:04:05"));
                break;
            case db::ColumnType::Text:
                row.emplace_back(column.name, QStringLiteral("x"));
                break;
        }
    }
    return row;
}

const QString& BenchServerDatabase() {
    static const QString location = NewServerDatabase(QStringLiteral("fx_bench_record"));
    return location;
}

void RecordOnce(Run& run, const Row& row) {
    InsertRecord(run, QStringLiteral("datExperimentTrials"), QStringLiteral("Recording data"),
                 [&row](db::TableRow& record) {
                     for (const auto& [name, value] : row) record.set(name, value);
                 });
}

void RecordThroughTheRun(benchmark::State& state, const QString& location) {
    const Row row = EventRow();
    Run run;
    run.session.databasePath = location;
    for (auto _ : state) RecordOnce(run, row);
}

void InsertOnOpenConnection(benchmark::State& state, const QString& location) {
    db::Connection connection(location, db::DatabasePassword(), db::OpenMode::ReadWrite);
    const Row row = EventRow();
    QStringList names;
    QStringList places;
    for (const auto& column : row) {
        names << db::QuoteIdentifier(column.first);
        places << QStringLiteral("?");
    }
    db::Statement insert =
        connection.prepare(QStringLiteral("INSERT INTO datExperimentTrials (%1) VALUES (%2)")
                               .arg(names.join(u','), places.join(u',')));
    for (auto _ : state) {
        for (int i = 0; i < int(row.size()); ++i) insert.bind(i + 1, row[i].second);
        insert.step();
        insert.reset();
    }
}

void RecordToFile(benchmark::State& state) {
    RecordThroughTheRun(state, BenchDatabase());
}
void InsertIntoFile(benchmark::State& state) {
    InsertOnOpenConnection(state, BenchDatabase());
}
void RecordToServer(benchmark::State& state) {
    RecordThroughTheRun(state, BenchServerDatabase());
}
void InsertIntoServer(benchmark::State& state) {
    InsertOnOpenConnection(state, BenchServerDatabase());
}

// fluxmere-db monitor on the bench file, refreshing ten times as often as by default.
class OpenMonitor {
  public:
    OpenMonitor() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(environment);
        process_.start(
            QStringLiteral(FLUXMERE_DB),
            {QStringLiteral("monitor"), BenchDatabase(), QStringLiteral("--since"),
             QStringLiteral("2025-03-04"), QStringLiteral("--interval"), QStringLiteral("100")});
        // Its first read of the whole file is over before the station is timed.
        if (!process_.waitForStarted() || process_.waitForFinished(1500)) std::abort();
    }
    ~OpenMonitor() {
        process_.kill();
        process_.waitForFinished();
    }

  private:
    QProcess process_;
};

double MillisecondsPerRecording(const QString& location, const Row& row, int recordings) {
    QElapsedTimer clock;
    Run run;
    run.session.databasePath = location;
    clock.start();
    for (int i = 0; i < recordings; ++i) RecordOnce(run, row);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6 / recordings;
}

// A station's recording time with the monitor open over the time without it, alternating so
// that the machine's changing load falls on both alike; the median of seven rounds.
double MonitorRecordRatio() {
    const QString location = BenchDatabase();
    const Row row = EventRow();
    std::vector<double> ratios;
    for (int round = 0; round < 7; ++round) {
        const double alone = MillisecondsPerRecording(location, row, 40);
        OpenMonitor monitor;
        ratios.push_back(MillisecondsPerRecording(location, row, 40) / alone);
    }
    std::nth_element(ratios.begin(), ratios.begin() + 3, ratios.end());
    return ratios[3];
}

}  // namespace

FX_FIGURE(record_ratio, RecordToFile, InsertIntoFile);
FX_FIGURE(server_record_ratio, RecordToServer, InsertIntoServer);
FX_VALUE(monitor_record_ratio, MonitorRecordRatio);
