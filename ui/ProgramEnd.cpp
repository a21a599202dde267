#include "ui/ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace ui {

namespace {
EndHandler g_handler;
}

void TerminateProgram() {
    if (g_handler) g_handler();
    // No database handle is held between operations, so nothing is left half-written.
    std::fflush(nullptr);
    std::_Exit(0);
}

void SetEndHandler(EndHandler handler) {
    g_handler = std::move(handler);
}

ScopedEndObserver::ScopedEndObserver() {
    SetEndHandler([] { throw ProgramEnded{}; });
}

ScopedEndObserver::~ScopedEndObserver() {
    SetEndHandler(nullptr);
}

}  // namespace ui
