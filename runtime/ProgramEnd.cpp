#include "runtime/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace runtime {

void TerminateProgram(ExitStatus status) {
    if (const auto& handler = CurrentContext().endHandler) handler(static_cast<int>(status));
    // No database handle is held between operations, so nothing is left half-written.
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(status));
}

ScopedEndObserver::ScopedEndObserver() {
    context_->endHandler = [](int status) { throw ProgramEnded{static_cast<ExitStatus>(status)}; };
}

}  // namespace runtime
