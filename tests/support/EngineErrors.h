#pragma once
// The engine's error number an action raises, for tests that expect a failure.

#include <QString>
#include <functional>

#include "db/Error.h"

// The number of the db::Error the action raised, or 0 when it raised none; the error's
// description goes to `description` when one is given.
inline int ErrorNumber(const std::function<void()>& action, QString* description = nullptr) {
    try {
        action();
    } catch (const db::Error& error) {
        if (description) *description = error.description();
        return error.number();
    }
    return 0;
}
