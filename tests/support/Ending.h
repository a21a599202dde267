#pragma once
// How the program ended while a part of a test ran: the status it would have exited with, or
// nothing when it did not end. Needs a runtime::ScopedEndObserver in force.

#include <optional>

#include "runtime/ProgramEnd.h"

template <typename Action>
std::optional<runtime::ExitStatus> EndingOf(Action&& action) {
    try {
        action();
    } catch (const runtime::ProgramEnded& ended) {
        return ended.status;
    }
    return std::nullopt;
}
