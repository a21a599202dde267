// What a look for damage costs on a 1,000,000-event file. full_check_ratio: the full check
// (pages, rows and every index against its table, as fluxmere-db check runs it) over the quick
// check (pages and rows, as the program's start-up runs it), measured in the same run.
// quick_check_1M_ms: one quick check of the file in milliseconds, the wait it adds to a
// start-up beyond the splash's own 1.5 s.
#include <QElapsedTimer>

#include "bench/EventLog.h"
#include "bench/Figure.h"
#include "db/Engine.h"

namespace {

void Check(db::IntegrityDepth depth) {
    db::Connection connection(fxbench::EventLogDatabase(), db::DatabasePassword(),
                              db::OpenMode::ReadOnly);
    if (!connection.checkIntegrity(depth, 1).isEmpty()) std::abort();
}

void RunCheck(benchmark::State& state, db::IntegrityDepth depth) {
    fxbench::EventLogDatabase();
    for (auto _ : state) Check(depth);
    state.SetItemsProcessed(state.iterations() * fxbench::kEventLogRows);
}

void FullCheck(benchmark::State& state) {
    RunCheck(state, db::IntegrityDepth::Full);
}

void QuickCheck(benchmark::State& state) {
    RunCheck(state, db::IntegrityDepth::Quick);
}

double QuickCheckMilliseconds() {
    QElapsedTimer timer;
    timer.start();
    Check(db::IntegrityDepth::Quick);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

FX_FIGURE(full_check_ratio, FullCheck, QuickCheck);
FX_VALUE(quick_check_1M_ms, QuickCheckMilliseconds);
