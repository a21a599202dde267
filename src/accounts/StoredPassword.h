#pragma once
// Experimenter passwords as tblPasswords holds them. A password is stored as a salted slow
// hash, "pbkdf2-sha256$ITERATIONS$SALT$HASH" (salt and hash in base64), so that a copied
// database does not give the passwords away. Files from earlier programs hold the password
// itself; it still opens, and `fluxmere-db passwd` stores it hashed.

#include <QString>
#include <stdexcept>

namespace accounts {

// The common recommendation for PBKDF2-HMAC-SHA256; one check takes 0.55 to 0.76 s on the
// shared development machine, so the password screen computes it off the window's thread.
inline constexpr int kIterations = 600000;

enum class StoredForm {
    Hashed,     // a well-formed salted hash
    Plain,      // the password itself, as earlier programs stored it
    Malformed,  // names the hash's scheme but cannot be read
};

enum class Verdict { Matches, Differs, Unreadable };

// The random source or the hash routine failed.
class PasswordError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The stored form of a new password, with a fresh random salt. Throws PasswordError.
QString HashPassword(const QString& password, int iterations = kIterations);

// With fault, what is wrong with a malformed value.
StoredForm FormOf(const QString& stored, QString* fault = nullptr);

// Whether some password opens the stored value: it is neither empty nor malformed.
bool OpensASession(const QString& stored);

// Whether the typed password opens the stored value. An empty stored value or an empty typed
// password never matches; a malformed stored value is Unreadable, whatever is typed.
Verdict Verify(const QString& stored, const QString& typed);

// The stored form the typed password has under the scheme, iterations and salt of a stored
// hash ("pbkdf2-sha256$ITERATIONS$SALT", its hash left out): what a lab server compares with
// the stored value without showing it. Empty when the settings cannot be read.
QString HashedLike(const QString& settings, const QString& typed);

// What a lab server compares for an account an earlier program stored in clear: the
// password's SHA-256 in hex, so that no password travels or reaches a server's log as typed.
QString ClearPasswordDigest(const QString& typed);

// What a clear password becomes when it is stored; a well-formed stored hash stays as it is.
// Throws PasswordError for a malformed one, naming what is wrong with it.
QString StoredFormOf(const QString& passwordOrHash);

}  // namespace accounts
