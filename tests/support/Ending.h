#pragma once
// How the program ended while a part of a test ran: the status it would have exited with, or
// nothing when it did not end. An end kept by a handler of an event the part sent (a click)
// counts: the test stands in for the event loop that would raise it.

#include <optional>

#include "runtime/ProgramEnd.h"

template <typename Action>
std::optional<runtime::ExitStatus> EndingOf(Action&& action) {
    try {
        action();
        runtime::RaiseKeptEnd();
    } catch (const runtime::ProgramEnded& ended) {
        return ended.status;
    }
    return std::nullopt;
}
