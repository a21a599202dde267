// export_ratio: rows per second of `fluxmere-db export` over a 1,000,000-row event log,
// divided by rows per second of the sqlcipher shell's CSV output of the same table
// (sqlcipher -csv -header to a file), both run as processes in the same run. A ratio of
// rates is the shell's time over the tool's time, so the tool is the figure's baseline.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "access/TableAccess.h"
#include "bench/EventLog.h"
#include "bench/Figure.h"
#include "db/Engine.h"
#include "db/Schema.h"

namespace {

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
    const QString database = fxbench::EventLogDatabase();
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
    state.SetItemsProcessed(state.iterations() * fxbench::kEventLogRows);
}

void ShellCsv(benchmark::State& state) {
    const QString database = fxbench::EventLogDatabase();
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
    state.SetItemsProcessed(state.iterations() * fxbench::kEventLogRows);
}

}  // namespace

FX_FIGURE(export_ratio, ShellCsv, ToolExport);
