// export_ratio: rows per second of `fluxmere-db export` over a 1,000,000-row event log,
// divided by rows per second of the sqlcipher shell's CSV output of the same table
// (sqlcipher -csv -header to a file), both run as processes in the same run. A ratio of
// rates is the shell's time over the tool's time, so the tool is the figure's baseline.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "access/TableAccess.h"
#include "bench/Figure.h"
#include "db/Engine.h"
#include "db/Schema.h"

namespace {

constexpr long long kRows = 1000000;

// Twelve participants' worth of realistic event rows: texts, whole numbers, fractions, flags.
void FillEventLog(db::Connection& connection) {
    const db::TableDef& table = *db::FindTable(QStringLiteral("datExperimentTrials"));
    QStringList names, places;
    for (const db::ColumnDef& column : table.columns) {
        names << db::QuoteIdentifier(column.name);
        places << QStringLiteral("?");
    }
    db::Statement insert =
        connection.prepare(QStringLiteral("INSERT INTO datExperimentTrials (%1) VALUES (%2)")
                               .arg(names.join(u','), places.join(u',')));
    const std::string events[] = {"Submit Clicked", "Environment Effect", "No User Effect",
                                  "User Inflow",    "User Outflow",       "After Cost Calculation"};
    connection.beginWrite();
    for (long long i = 0; i < kRows; ++i) {
        const std::string subject =
            "Participant " + std::to_string(i / 1000) + (i % 7 == 0 ? ", O'Brien" : "");
        char time[16];
        std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", (i / 3600) % 24, (i / 60) % 60,
                      i % 60);
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const int position = static_cast<int>(c + 1);
            const db::ColumnDef& column = table.columns[c];
            switch (column.type) {
                case db::ColumnType::Text:
                    if (column.name == QLatin1String("Subject"))
                        insert.bindText(position, subject);
                    else if (column.name == QLatin1String("eventType"))
                        insert.bindText(position, events[i % 6]);
                    else
                        insert.bindText(position, i % 2 ? "TankP" : "StoreT");
                    break;
                case db::ColumnType::Integer:
                    insert.bindInt(position, (i % 1000) / 6 + static_cast<long long>(c));
                    break;
                case db::ColumnType::Double:
                    insert.bindDouble(position,
                                      40.0 + static_cast<double>((i * 7 + c) % 1000) * 0.125 - 0.3);
                    break;
                case db::ColumnType::Boolean:
                    insert.bindInt(position, (i + c) % 3 == 0 ? -1 : 0);
                    break;
                case db::ColumnType::Date:
                    insert.bindText(position, "2026-12-10");
                    break;
                case db::ColumnType::Time:
                    insert.bindText(position, time);
                    break;
            }
        }
        insert.step();
        insert.reset();
    }
    connection.commit();
}

bool HasFullEventLog(const QString& path) {
    if (!QFile::exists(path)) return false;
    try {
        db::Connection connection(path, db::DatabasePassword(), db::OpenMode::ReadOnly);
        if (connection.tableColumns(QStringLiteral("datExperimentTrials")).size() !=
            db::FindTable(QStringLiteral("datExperimentTrials"))->columns.size())
            return false;
        db::Statement count =
            connection.prepare(QStringLiteral("SELECT count(*) FROM datExperimentTrials"));
        return count.step() && count.intValue(0) == kRows;
    } catch (const db::Error&) {
        return false;
    }
}

// Made once and kept beside the benchmark between runs.
const QString& EventLogDatabase() {
    static const QString path = [] {
        const QString file =
            QCoreApplication::applicationDirPath() + QStringLiteral("/export-1M.mdb");
        if (!HasFullEventLog(file)) {
            QFile::remove(file);
            db::Connection connection(file, db::DatabasePassword(), db::OpenMode::Create);
            db::CreateSchema(connection);
            FillEventLog(connection);
        }
        return file;
    }();
    return path;
}

QTemporaryDir& OutputDir() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fluxmere-export-bench-XXXXXX"));
    return dir;
}

void RunOrSkip(benchmark::State& state, QProcess& process, const QByteArray& input = {}) {
    if (!process.waitForStarted(-1)) {
        state.SkipWithError(("cannot start " + process.program()).toStdString().c_str());
        return;
    }
    if (!input.isEmpty()) process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        state.SkipWithError(("failed: " + process.program() + " " + process.readAllStandardError())
                                .toStdString()
                                .c_str());
}

void ToolExport(benchmark::State& state) {
    const QString database = EventLogDatabase();
    const QString tool =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/fluxmere-db");
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        // Each round writes over the last round's files.
        process.start(
            tool, {QStringLiteral("export"), database, OutputDir().filePath(QStringLiteral("tool")),
                   QStringLiteral("--overwrite")});
        RunOrSkip(state, process);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void ShellCsv(benchmark::State& state) {
    const QString database = EventLogDatabase();
    const QByteArray script =
        (QStringLiteral("PRAGMA key=%1;\nSELECT * FROM datExperimentTrials;\n")
             .arg(SqlText(db::DatabasePassword())))
            .toUtf8();
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(OutputDir().filePath(QStringLiteral("shell.csv")));
        process.start(QStringLiteral("sqlcipher"),
                      {QStringLiteral("-csv"), QStringLiteral("-header"), database});
        RunOrSkip(state, process, script);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

}  // namespace

FX_FIGURE(export_ratio, ShellCsv, ToolExport);
