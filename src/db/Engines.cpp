#include "db/Engines.h"

#include <QRegularExpression>

#include "db/postgresql/PostgresEngine.h"
#include "db/sqlcipher/SqlCipherEngine.h"

namespace db {

namespace {

using Opener = std::unique_ptr<backend::ConnectionBackend> (*)(const QString&, const QString&,
                                                               OpenMode, int);

struct EngineEntry {
    const char* scheme;  // "" for file paths
    Opener open;
};

// A new engine is one folder under db/ and one line here.
constexpr EngineEntry kEngines[] = {
    {"", sqlcipher::Open},
    {"postgresql", postgresql::Open},
    {"postgres", postgresql::Open},
};

// The scheme of a URI ("postgresql" of "postgresql://..."); empty for a file path.
QString SchemeOf(const QString& location) {
    static const QRegularExpression uri(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    return uri.match(location).captured(1).toLower();
}

}  // namespace

std::unique_ptr<backend::ConnectionBackend> OpenBackend(const QString& location,
                                                        const QString& password, OpenMode mode,
                                                        int busyTimeoutMilliseconds) {
    const QString scheme = SchemeOf(location);
    for (const EngineEntry& engine : kEngines) {
        if (scheme == QLatin1String(engine.scheme))
            return engine.open(location, password, mode, busyTimeoutMilliseconds);
    }
    throw Error(errors::CannotOpenFile,
                QStringLiteral("Cannot open '%1://…': no database engine serves %1 locations.")
                    .arg(scheme));
}

}  // namespace db
