#pragma once
// A station's login on a lab server holds only what the program does at a station. What it
// needs to know without the rows behind it (whether an experimenter's password is right) the
// server answers through functions that run with the owner's rights.

#include <QString>
#include <QStringList>
#include <vector>

#include "db/Schema.h"

namespace db::postgresql {

// The SQL that makes (or remakes) the station's functions in the current schema, each with
// its search path fixed, executable by the owner and by the logins given a station's rights.
QString StationFunctionsSql();

// Takes every right the role holds in the database away and gives it exactly a station's:
// the tables' rights (in the tables' schema), and the station's functions.
QString GrantStationRightsSql(const QString& role, const QString& database, const QString& schema,
                              const std::vector<TableRights>& rights);

// One row: 1 when the login named by the statement's one parameter owns the database (or a
// table in it, directly or through a role) or is a superuser, else 0; no row when there is
// no such login.
QString OwnersRightsSql();

}  // namespace db::postgresql
