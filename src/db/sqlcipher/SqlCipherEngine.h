#pragma once
// The encrypted file engine: an SQLCipher database in one file, keyed with the database
// password. The default engine, chosen for every location that is a file path.

#include <QString>
#include <memory>

#include "db/Backend.h"

namespace db::sqlcipher {

// Opens (or, with OpenMode::Create, creates) the file and keys it with the password. The
// expensive key derivation runs once per process and file; later opens reuse it.
std::unique_ptr<backend::ConnectionBackend> Open(const QString& path, const QString& password,
                                                 OpenMode mode, int busyTimeoutMilliseconds);

}  // namespace db::sqlcipher
