// lab_open_ratio: the time the experimenter's window takes to open a study and show its
// versions when the study's event log holds a million rows, divided by the same for the demo
// study. Opening reads the configuration and what the lists show, never the recorded tables
// whole, so the ratio stays near 1 (limit 1.5).
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "bench/EventLog.h"
#include "bench/Figure.h"
#include "lab/LabWindow.h"
#include "tool/common/Progress.h"
#include "tool/csv/CsvExport.h"
#include "tool/csv/CsvImport.h"
#include "tool/data/Create.h"

namespace {

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

const QString& DemoStudy() {
    static const QString path = [] {
        const QString file = Folder().filePath(QStringLiteral("demo.mdb"));
        tool::CreateDemoDatabase(file);
        return file;
    }();
    return path;
}

// The demo's versions, scenarios and labels over the benchmarks' event log of a million rows.
const QString& LoggedStudy() {
    static const QString path = [] {
        const QString file = Folder().filePath(QStringLiteral("logged.mdb"));
        const QString configuration = Folder().filePath(QStringLiteral("configuration"));
        QFile::copy(fxbench::EventLogDatabase(), file);
        tool::NoProgress quiet;
        tool::ExportDatabase(DemoStudy(), configuration, {}, quiet);
        tool::ImportFolder(file, configuration, false, quiet);
        return file;
    }();
    return path;
}

// The window opened on the study until its versions are shown, then closed.
void OpenAndShowVersions(benchmark::State& state, const QString& study) {
    for (auto _ : state) {
        lab::LabWindow window(nullptr, QStringLiteral("Fluxmere Lab benchmark"));
        if (!window.openStudy(study)) state.SkipWithError("the study did not open");
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.tabs());
    }
}

void OpenLoggedStudy(benchmark::State& state) {
    const QString& study = LoggedStudy();
    OpenAndShowVersions(state, study);
}

void OpenDemoStudy(benchmark::State& state) {
    const QString& study = DemoStudy();
    OpenAndShowVersions(state, study);
}

}  // namespace

FX_FIGURE(lab_open_ratio, OpenLoggedStudy, OpenDemoStudy);
