#include "runtime/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace runtime {

void TerminateProgram() {
    if (const auto& handler = CurrentContext().endHandler) handler();
    // No database handle is held between operations, so nothing is left half-written.
    std::fflush(nullptr);
    std::_Exit(0);
}

ScopedEndObserver::ScopedEndObserver() {
    context_->endHandler = [] { throw ProgramEnded{}; };
}

}  // namespace runtime
