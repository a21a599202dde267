#include "config/ConfigQuery.h"

#include "access/TableAccess.h"
#include "config/ReadRules.h"

namespace config {

ConfigQuery::ConfigQuery(const QString& sql, const QString& status) {
    try {
        recordset_ = OpenTable(sql, true, status);
    } catch (...) {
        CloseDatabase();
        throw;
    }
}

ConfigQuery::~ConfigQuery() {
    // Nothing was written, so a failure to close loses nothing; it must not escape a
    // destructor that may run while another error unwinds.
    try {
        recordset_->Close();
    } catch (const db::Error&) {
    }
    try {
        CloseDatabase();
    } catch (const db::Error&) {
    }
}

QVariant ConfigQuery::column(const QString& name, const QString& where) const {
    try {
        return recordset_->Field(name);
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
