#include "tool/data/Grant.h"

#include "db/Engine.h"
#include "db/Location.h"
#include "db/Schema.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"

namespace tool {

void GrantStationRights(const QString& server, const QString& role) {
    auto connection = OpenExperimentDatabase(server, db::OpenMode::ReadWrite);
    if (!connection->holdsOwnersRights())
        throw ToolError(QStringLiteral("'%1' does not own the database %2: give a station's "
                                       "rights with the login that owns it (the experimenter's)")
                            .arg(connection->loginName(), db::LocationForMessages(server)));
    db::UpdateSchema(*connection);
    connection->grantStationRights(role);
}

}  // namespace tool
