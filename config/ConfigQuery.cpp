#include "config/ConfigQuery.h"

#include "access/TableAccess.h"
#include "config/ReadRules.h"

namespace config {

ConfigQuery::ConfigQuery(Run& run, const QString& sql, const QString& status)
    : read_(run, sql, status) {}

QVariant ConfigQuery::column(const QString& name, const QString& where) const {
    try {
        return read_.rows().Field(name);
    } catch (const db::Error& error) {
        if (error.number() != db::errors::ItemNotFound) throw;
        throw MissingColumn(name, where);
    }
}

ConfigError DatabaseProblem(const QString& where, const db::Error& error) {
    return ConfigError(QStringLiteral("%1: the database reported error %2 (%3).")
                           .arg(where)
                           .arg(error.number())
                           .arg(error.description()));
}

}  // namespace config
