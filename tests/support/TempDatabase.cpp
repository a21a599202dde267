#include "tests/support/TempDatabase.h"

#include <QDir>
#include <QFile>

#include "access/TableAccess.h"
#include "db/Engine.h"
#include "db/Schema.h"

namespace {

// Every temporary database is a copy of one empty file made once per test program: they all
// share its salt, so the key is derived once, not once per test.
const QString& EmptyDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("empty.mdb"));
        db::Connection connection(file, db::DatabasePassword(), db::OpenMode::Create);
        db::CreateSchema(connection);
        return file;
    }();
    return path;
}

}  // namespace

TempDatabase::TempDatabase(const QString& parent)
    : dir_(parent.isEmpty() ? QDir::tempPath() + QStringLiteral("/fluxmere-XXXXXX")
                            : parent + QStringLiteral("/fluxmere-XXXXXX")),
      path_(dir_.filePath(QStringLiteral("Hydrovat.mdb"))) {
    if (!QFile::copy(EmptyDatabase(), path_)) {
        throw db::Error(db::errors::CannotOpenFile,
                        QStringLiteral("Cannot copy the empty test database to '%1'.").arg(path_));
    }
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
}

void TempDatabase::execute(const QString& sql) const {
    db::Connection connection(path_, db::DatabasePassword(), db::OpenMode::ReadWrite);
    connection.execute(sql);
}
