#include "config/ConfigQuery.h"

#include "access/TableAccess.h"
#include "config/ReadRules.h"

namespace config {

ConfigQuery::ConfigQuery(Run& run, const QString& sql, const QString& status)
    : rows_(ReadRows(run, sql, status)) {}

QVariant ConfigQuery::column(const QString& name, const QString& where) const {
    if (!rows_.has(name)) throw MissingColumn(name, where);
    return rows_.value(name);
}

ConfigError DatabaseProblem(const QString& where, const db::Error& error) {
    return ConfigError(QStringLiteral("%1: the database reported error %2 (%3).")
                           .arg(where)
                           .arg(error.number())
                           .arg(error.description()));
}

}  // namespace config
