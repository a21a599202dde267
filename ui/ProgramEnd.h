#pragma once
// Ending the process. The program ends at once: no further event runs. A test installs a
// handler that throws ProgramEnded instead, so it can observe the end and that nothing in
// the caller ran after it.

#include <functional>

namespace ui {

struct ProgramEnded {};

using EndHandler = std::function<void()>;

// Ends the program; never returns.
[[noreturn]] void TerminateProgram();

// nullptr restores the real end of the process.
void SetEndHandler(EndHandler handler);

// While alive, TerminateProgram throws ProgramEnded.
class ScopedEndObserver {
  public:
    ScopedEndObserver();
    ~ScopedEndObserver();
    ScopedEndObserver(const ScopedEndObserver&) = delete;
    ScopedEndObserver& operator=(const ScopedEndObserver&) = delete;
};

}  // namespace ui
