#pragma once
// Ending the process. The program ends at once: no further event runs. A test puts an end
// handler into its context that throws ProgramEnded instead, so it can observe the end and
// that nothing in the caller ran after it.

#include "runtime/Context.h"

namespace runtime {

struct ProgramEnded {};

// Ends the program; never returns.
[[noreturn]] void TerminateProgram();

// While alive, TerminateProgram throws ProgramEnded.
class ScopedEndObserver {
  public:
    ScopedEndObserver();

  private:
    ScopedContext context_;
};

}  // namespace runtime
