// simulate_periods_per_s: periods that fluxmere-db simulate plays per second headless without
// recording (the demo's StoreP, anchoring and adjustment, many runs).
// simulate_record_ratio: recording simulated runs (the program's recording code inside one
// transaction per run) against inserting the same runs' rows (without the keys of their
// writes) through a connection that is already open, one transaction per run.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <map>
#include <vector>

#include "bench/Figure.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "tool/data/Create.h"
#include "tool/simulated/Simulate.h"

namespace {

constexpr int kRunsPerIteration = 10;
const QString kVersion = QStringLiteral("StoreP");
const QStringList kRecordedTables = {"datSubject", "datExperimentTrials", "datTrialSummary",
                                     "datUserTimesSummary"};

QTemporaryDir& Folder() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fluxmere-bench-XXXXXX"));
    return dir;
}

// Benchmark functions run several times; each file is made by the first.
QString DemoFile(const QString& name) {
    const QString path = Folder().filePath(name);
    if (!QFileInfo::exists(path)) tool::CreateDemoDatabase(path);
    return path;
}

tool::SimulateOptions Options(const QString& path, int runs) {
    tool::SimulateOptions options;
    options.databasePath = path;
    options.version = kVersion;
    options.strategy.name = QStringLiteral("heuristic");
    options.runs = runs;
    return options;
}

// The best of three rounds: other work on the machine only ever slows a round down.
double PeriodsPerSecondOn(int jobs) {
    const QString path = DemoFile(QStringLiteral("speed.mdb"));
    tool::SimulateOptions options = Options(path, 1000);
    options.jobs = jobs;
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        const tool::Pilot pilot = tool::Simulate(options);
        best =
            std::max(best, static_cast<double>(pilot.periodsPlayed) / (timer.nsecsElapsed() / 1e9));
    }
    return best;
}

double PeriodsPerSecond() {
    return PeriodsPerSecondOn(1);
}

// The same runs on two jobs against one job.
double ParallelSpeedup() {
    const double one = PeriodsPerSecondOn(1);
    return PeriodsPerSecondOn(2) / one;
}

void RecordSimulatedRuns(benchmark::State& state) {
    const QString path = DemoFile(QStringLiteral("recorded.mdb"));
    static std::uint32_t seed = 1;  // names stay new across the runs of this function
    for (auto _ : state) {
        tool::SimulateOptions options = Options(path, kRunsPerIteration);
        options.record = true;
        options.seed = seed;
        seed += kRunsPerIteration;
        tool::Simulate(options);
    }
}

// One table's rows of one run, with the statement that inserts them.
struct TableRows {
    QString insert;
    std::vector<QVariantList> rows;
};

// The rows kRunsPerIteration recorded runs leave, by subject and table.
std::map<QString, std::vector<TableRows>> RecordedRows() {
    const QString path = DemoFile(QStringLiteral("source.mdb"));
    tool::SimulateOptions options = Options(path, kRunsPerIteration);
    options.record = true;
    tool::Simulate(options);
    db::Connection connection(path, db::DatabasePassword(), db::OpenMode::ReadOnly);
    std::map<QString, std::vector<TableRows>> runs;
    for (const QString& table : kRecordedTables) {
        QStringList names, places;
        for (const auto& column : connection.tableColumns(table)) {
            // Inserted again each round, the rows could not repeat the keys of their writes.
            if (column.name == QLatin1String(db::kWriteKeyColumn)) continue;
            names << db::QuoteIdentifier(column.name);
            places << QStringLiteral("?");
        }
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(table, names.join(u','), places.join(u','));
        db::Statement select =
            connection.prepare(QStringLiteral("SELECT %1 FROM %2").arg(names.join(u','), table));
        while (select.step()) {
            QVariantList row;
            for (int i = 0; i < names.size(); ++i) row << select.value(i);
            std::vector<TableRows>& tables = runs[row.front().toString()];
            if (tables.empty() || tables.back().insert != insert) tables.push_back({insert, {}});
            tables.back().rows.push_back(row);
        }
    }
    return runs;
}

void InsertTheSameRows(benchmark::State& state) {
    static const auto runs = RecordedRows();
    db::Connection connection(DemoFile(QStringLiteral("inserted.mdb")), db::DatabasePassword(),
                              db::OpenMode::ReadWrite);
    for (auto _ : state) {
        for (const auto& [subject, tables] : runs) {
            connection.beginWrite();
            for (const TableRows& table : tables) {
                db::Statement insert = connection.prepare(table.insert);
                for (const QVariantList& row : table.rows) {
                    for (int i = 0; i < row.size(); ++i) insert.bind(i + 1, row[i]);
                    insert.step();
                    insert.reset();
                }
            }
            connection.commit();
        }
    }
}

}  // namespace

FX_VALUE(simulate_periods_per_s, PeriodsPerSecond);
FX_VALUE(simulate_parallel_speedup, ParallelSpeedup);
FX_FIGURE(simulate_record_ratio, RecordSimulatedRuns, InsertTheSameRows);
