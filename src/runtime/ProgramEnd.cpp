#include "runtime/ProgramEnd.h"

#include <QEventLoop>
#include <optional>
#include <utility>
#include <vector>

namespace runtime {

namespace {

// The end a handler raised, until the code that ran the event loop raises it again. Event
// loops belong to a thread, and so does an end kept for the code that runs them: runs played
// on other threads never see it.
std::optional<ProgramEnded>& KeptEnd() {
    thread_local std::optional<ProgramEnded> end;
    return end;
}

// How to quit each loop of RunUntilEnd that is running, innermost last.
std::vector<const std::function<void()>*>& RunningLoops() {
    thread_local std::vector<const std::function<void()>*> loops;
    return loops;
}

}  // namespace

void EndRun(ExitStatus status, const QString& message) {
    throw ProgramEnded{status, message};
}

bool HandleEvent(const std::function<void()>& handler) {
    // Events the loops take before they return find the run ended: nothing acts after the end.
    if (KeptEnd()) return false;
    try {
        handler();
        return true;
    } catch (const ProgramEnded& end) {
        if (!KeptEnd()) KeptEnd() = end;
        for (const auto* quit : RunningLoops()) (*quit)();
        return false;
    }
}

void RunUntilEnd(const std::function<void()>& run, const std::function<void()>& quit) {
    RaiseKeptEnd();
    auto& loops = RunningLoops();
    loops.push_back(&quit);
    struct Leave {
        std::vector<const std::function<void()>*>& loops;
        ~Leave() { loops.pop_back(); }
    } leave{loops};
    run();
    RaiseKeptEnd();
}

void ExecUntilEnd(QEventLoop& loop) {
    RunUntilEnd([&loop] { loop.exec(); }, [&loop] { loop.quit(); });
}

void RaiseKeptEnd() {
    if (!KeptEnd()) return;
    const ProgramEnded end = *std::exchange(KeptEnd(), std::nullopt);
    throw end;
}

}  // namespace runtime
