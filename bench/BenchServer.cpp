#include "bench/BenchServer.h"

#include <QCoreApplication>
#include <stdexcept>

#include "db/Engine.h"
#include "db/Schema.h"

QString NewServerDatabase(const QString& name) {
    const QByteArray folder = qgetenv("FLUXMERE_BENCH_PGHOST");
    if (folder.isEmpty())
        throw std::runtime_error("FLUXMERE_BENCH_PGHOST is not set: run scripts/bench.sh");
    const auto location = [&](const QString& database) {
        return QStringLiteral("postgresql://postgres:%1@/%2?host=%3")
            .arg(db::DatabasePassword(), database, QString::fromLocal8Bit(folder));
    };
    const QString database =
        QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid());
    db::Connection(location(QStringLiteral("postgres")), QString(), db::OpenMode::ReadWrite)
        .changeSchema(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database));
    db::Connection connection(location(database), QString(), db::OpenMode::Create);
    db::CreateSchema(connection);
    return location(database);
}
