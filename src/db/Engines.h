#pragma once
// Which engine holds a database, by its location: "scheme://..." names a server engine by
// its scheme; anything else is a file path for the encrypted file engine.

#include <QString>
#include <memory>

#include "db/Backend.h"

namespace db {

std::unique_ptr<backend::ConnectionBackend> OpenBackend(const QString& location,
                                                        const QString& password, OpenMode mode,
                                                        int busyTimeoutMilliseconds);

}  // namespace db
