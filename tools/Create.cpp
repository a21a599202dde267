#include "tools/Create.h"

#include <QFile>
#include <QFileInfo>

#include "db/Engine.h"
#include "db/Schema.h"
#include "tools/TableData.h"
#include "tools/ToolError.h"

namespace tool {

std::unique_ptr<db::Connection> CreateNewDatabase(const QString& path) {
    if (QFileInfo::exists(path))
        throw ToolError(
            QStringLiteral("%1 already exists; the tool never overwrites a database").arg(path));
    auto connection = OpenExperimentDatabase(path, db::OpenMode::Create);
    try {
        db::CreateSchema(*connection);
    } catch (...) {
        connection.reset();
        QFile::remove(path);
        throw;
    }
    return connection;
}

void CreateDatabase(const QString& path) {
    CreateNewDatabase(path);
}

}  // namespace tool
