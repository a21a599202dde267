#pragma once
// The lab server engine: an experiment database on a PostgreSQL server, named by a
// "postgresql://" (or "postgres://") connection URI. Connections are kept open for the life of
// the process and reused, so that opening the database around every operation stays cheap.

#include <QString>
#include <memory>

#include "db/Backend.h"

namespace db::postgresql {

// Logs in with the URI's password, or with the given password when the URI has none. With
// OpenMode::Create a database that does not exist yet is created first.
std::unique_ptr<backend::ConnectionBackend> Open(const QString& uri, const QString& password,
                                                 OpenMode mode, int busyTimeoutMilliseconds);

}  // namespace db::postgresql
