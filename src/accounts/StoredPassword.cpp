#include "accounts/StoredPassword.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QStringList>
#include <optional>

namespace accounts {

namespace {

// Constants, not QString objects: a stored form may be made during another file's static
// initialisation.
constexpr QLatin1String kScheme("pbkdf2-sha256");
constexpr QLatin1String kSchemePrefix("pbkdf2-sha256$");
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
// Beyond these a stored count is a damaged value, not a choice: the upper bound keeps a
// damaged row from holding the password screen for minutes.
constexpr long long kFewestIterations = 1000;
constexpr long long kMostIterations = 10000000;

struct Hash {
    int iterations;
    QByteArray salt;
    QByteArray digest;
};

QByteArray Derive(const QString& password, const QByteArray& salt, int iterations) {
    const QByteArray secret = password.toUtf8();
    QByteArray digest(kHashBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(secret.constData(), static_cast<int>(secret.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), kHashBytes,
                          reinterpret_cast<unsigned char*>(digest.data())) != 1)
        throw PasswordError("the password could not be hashed (OpenSSL's PBKDF2 failed)");
    return digest;
}

std::optional<QByteArray> Base64(const QString& text, qsizetype bytes) {
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != bytes) return std::nullopt;
    return decoded.decoded;
}

bool NamesTheScheme(const QString& stored) {
    return stored.startsWith(kSchemePrefix);
}

// The parts of a well-formed stored hash; the reason it is not one otherwise.
std::optional<Hash> Parse(const QString& stored, QString* fault = nullptr) {
    const auto refuse = [fault](const QString& reason) {
        if (fault) *fault = reason;
        return std::nullopt;
    };
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4)
        return refuse(QStringLiteral("it must be %1$ITERATIONS$SALT$HASH").arg(kScheme));
    bool whole = false;
    const long long iterations = parts[1].toLongLong(&whole);
    if (!whole || iterations < kFewestIterations || iterations > kMostIterations)
        return refuse(QStringLiteral("the iteration count must be a whole number from %1 to %2")
                          .arg(kFewestIterations)
                          .arg(kMostIterations));
    const auto salt = Base64(parts[2], kSaltBytes);
    if (!salt) return refuse(QStringLiteral("the salt must be %1 bytes in base64").arg(kSaltBytes));
    const auto digest = Base64(parts[3], kHashBytes);
    if (!digest)
        return refuse(QStringLiteral("the hash must be %1 bytes in base64").arg(kHashBytes));
    return Hash{static_cast<int>(iterations), *salt, *digest};
}

}  // namespace

QString HashPassword(const QString& password, int iterations) {
    QByteArray salt(kSaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltBytes) != 1)
        throw PasswordError("no random salt for the password (OpenSSL's RAND_bytes failed)");
    return QStringLiteral("%1$%2$%3$%4")
        .arg(kScheme)
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(Derive(password, salt, iterations).toBase64()));
}

StoredForm FormOf(const QString& stored, QString* fault) {
    if (!NamesTheScheme(stored)) return StoredForm::Plain;
    return Parse(stored, fault) ? StoredForm::Hashed : StoredForm::Malformed;
}

bool OpensASession(const QString& stored) {
    return !stored.isEmpty() && FormOf(stored) != StoredForm::Malformed;
}

Verdict Verify(const QString& stored, const QString& typed) {
    if (!NamesTheScheme(stored))
        return !stored.isEmpty() && stored == typed ? Verdict::Matches : Verdict::Differs;
    const std::optional<Hash> hash = Parse(stored);
    if (!hash) return Verdict::Unreadable;
    if (typed.isEmpty()) return Verdict::Differs;
    const QByteArray derived = Derive(typed, hash->salt, hash->iterations);
    return CRYPTO_memcmp(derived.constData(), hash->digest.constData(), kHashBytes) == 0
               ? Verdict::Matches
               : Verdict::Differs;
}

QString HashedLike(const QString& settings, const QString& typed) {
    // Read as a stored hash whose own hash part is a placeholder.
    const QString placeholder = QString::fromLatin1(QByteArray(kHashBytes, '\0').toBase64());
    const std::optional<Hash> hash = Parse(settings + QLatin1Char('$') + placeholder);
    if (!hash) return QString();
    return settings + QLatin1Char('$') +
           QString::fromLatin1(Derive(typed, hash->salt, hash->iterations).toBase64());
}

QString ClearPasswordDigest(const QString& typed) {
    return QString::fromLatin1(
        QCryptographicHash::hash(typed.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString StoredFormOf(const QString& passwordOrHash) {
    QString fault;
    switch (FormOf(passwordOrHash, &fault)) {
        case StoredForm::Plain:
            return HashPassword(passwordOrHash);
        case StoredForm::Hashed:
            return passwordOrHash;
        case StoredForm::Malformed:
            break;
    }
    throw PasswordError(
        QStringLiteral("not a stored password the program can read: %1").arg(fault).toStdString());
}

}  // namespace accounts
