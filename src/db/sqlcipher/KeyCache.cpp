#include "db/sqlcipher/KeyCache.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QFile>
#include <QHash>
#include <mutex>

#include "db/Error.h"

namespace db::keys {

namespace {

struct KeyStore {
    std::mutex mutex;
    QHash<QByteArray, QByteArray> keys;  // password bytes + salt -> raw key text
    int derivations = 0;
};

KeyStore& Store() {
    static KeyStore store;
    return store;
}

QByteArray Derive(const QByteArray& password, const QByteArray& salt) {
    QByteArray key(KeyBytes, Qt::Uninitialized);
    const int ok = PKCS5_PBKDF2_HMAC(password.constData(), static_cast<int>(password.size()),
                                     reinterpret_cast<const unsigned char*>(salt.constData()),
                                     static_cast<int>(salt.size()), KdfIterations, EVP_sha1(),
                                     KeyBytes, reinterpret_cast<unsigned char*>(key.data()));
    if (ok != 1) {
        throw Error(errors::EngineFailure,
                    QStringLiteral("The database key could not be derived (OpenSSL failure)."));
    }
    return key;
}

}  // namespace

QByteArray FileSalt(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray salt = file.read(SaltBytes);
    return salt.size() == SaltBytes ? salt : QByteArray();
}

QByteArray NewSalt() {
    QByteArray salt(SaltBytes, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), SaltBytes) != 1) {
        throw Error(errors::EngineFailure,
                    QStringLiteral("No random salt for a new database (OpenSSL failure)."));
    }
    return salt;
}

QByteArray RawKey(const QString& password, const QByteArray& salt) {
    const QByteArray secret = password.toUtf8();
    QByteArray lookup = secret;
    lookup.append('\0').append(salt);

    KeyStore& store = Store();
    std::lock_guard lock(store.mutex);
    auto found = store.keys.constFind(lookup);
    if (found != store.keys.cend()) return *found;

    const QByteArray key = Derive(secret, salt);
    ++store.derivations;
    const QByteArray text = "x'" + key.toHex() + salt.toHex() + "'";
    store.keys.insert(lookup, text);
    return text;
}

int DerivationCount() {
    KeyStore& store = Store();
    std::lock_guard lock(store.mutex);
    return store.derivations;
}

}  // namespace db::keys
