#include "tests/support/TempDatabase.h"

#include "db/Engine.h"
#include "db/Schema.h"
#include "db/TableAccess.h"

TempDatabase::TempDatabase() : path_(dir_.filePath(QStringLiteral("Hydrovat.mdb"))) {
    db::Connection connection(path_, db::DatabasePassword(), db::OpenMode::Create);
    db::CreateSchema(connection);
    SetDatabasePathForTesting(path_);
}

TempDatabase::~TempDatabase() {
    CloseDatabase();
    SetDatabasePathForTesting(QString());
}

void TempDatabase::execute(const QString& sql) const {
    db::Connection connection(path_, db::DatabasePassword(), db::OpenMode::ReadWrite);
    connection.execute(sql);
}
