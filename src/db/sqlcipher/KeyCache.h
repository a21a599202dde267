#pragma once
// The encryption key of a database file, derived from the password and the file's salt
// exactly as SQLCipher 3 derives it (PBKDF2-HMAC-SHA1, 64000 iterations, 32-byte key, the
// salt being the first 16 bytes of the file). Deriving costs tens of milliseconds, and the
// database is opened around every operation, so each (password, salt) is derived once per
// process and the file is then keyed with the raw key and its salt.

#include <QByteArray>
#include <QString>

namespace db::keys {

constexpr int SaltBytes = 16;
constexpr int KeyBytes = 32;
constexpr int KdfIterations = 64000;

// The salt stored at the start of an existing database file; empty for a missing or empty
// file (which gets a new salt) or one that cannot be read.
QByteArray FileSalt(const QString& path);
// A random salt for a new file.
QByteArray NewSalt();

// The key text for "PRAGMA key": x'<64 hex digits of key><32 hex digits of salt>'.
QByteArray RawKey(const QString& password, const QByteArray& salt);

// The number of derivations run so far in this process (for tests of the cache).
int DerivationCount();

}  // namespace db::keys
