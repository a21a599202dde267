#include "tool/data/Create.h"

#include <QFile>
#include <QFileInfo>

#include "db/Engine.h"
#include "db/Location.h"
#include "db/Schema.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"

namespace tool {

namespace {

// A database on a server counts as existing once it holds an experiment's tables: the
// experimenter may have made the empty database on the server beforehand.
bool HoldsDatabase(const QString& location) {
    if (!db::IsServerLocation(location)) return QFileInfo::exists(location);
    try {
        return OpenExperimentDatabase(location, db::OpenMode::ReadOnly)
            ->tableExists(QStringLiteral("tblSetup"));
    } catch (const ToolError&) {
        return false;  // no such database yet: creating makes it, or says why not
    }
}

}  // namespace

std::unique_ptr<db::Connection> CreateNewDatabase(const QString& path) {
    if (HoldsDatabase(path))
        throw ToolError(QStringLiteral("%1 already exists; the tool never overwrites a database")
                            .arg(db::LocationForMessages(path)));
    auto connection = OpenExperimentDatabase(path, db::OpenMode::Create);
    try {
        db::CreateSchema(*connection);
    } catch (...) {
        connection.reset();
        DiscardNewDatabase(path);
        throw;
    }
    return connection;
}

void DiscardNewDatabase(const QString& path) {
    // A server's database stays; what failed was written in a transaction that was undone.
    if (!db::IsServerLocation(path)) QFile::remove(path);
}

void CreateDatabase(const QString& path) {
    CreateNewDatabase(path);
}

}  // namespace tool
