#pragma once
// Whether a test left a write of its run unfinished.

#include "core/RunRecord.h"
#include "db/Engine.h"

inline bool WriteLeftOpen(const Run& run) {
    const std::shared_ptr<db::Connection>& connection = run.session.connection.held;
    return connection && connection->inTransaction();
}
