#pragma once
// A station's own login on a lab server, given by the login that owns the database.

#include <QString>

namespace tool {

// Brings the server's tables up to this program's, then gives the existing login role
// exactly a station's rights. Refused unless the location's login owns the database.
void GrantStationRights(const QString& server, const QString& role);

}  // namespace tool
