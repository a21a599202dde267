#pragma once
// One read of configuration rows on the run's connection, with the caller's status text.

#include <QString>
#include <QVariant>
#include <memory>

#include "access/TableAccess.h"
#include "config/ConfigError.h"
#include "db/Error.h"
#include "db/Rows.h"

namespace config {

class ConfigQuery {
  public:
    // Every configuration load but the version list reports this status.
    ConfigQuery(Run& run, const QString& sql,
                const QString& status = QStringLiteral("Loading configuration setup"));

    db::Rows& rows() { return rows_; }

    // The value of a column of the current row; a table without that column is a
    // ConfigError naming `where`.
    QVariant column(const QString& name, const QString& where) const;

  private:
    db::Rows rows_;
};

// "<where>: the database reported error <number> (<description>)."
ConfigError DatabaseProblem(const QString& where, const db::Error& error);

// Runs a load; a database error that reaches it (the table access has already retried
// and asked the user) becomes a ConfigError naming `where`.
template <typename Load>
auto ReportingDatabaseErrors(const QString& where, Load&& load) -> decltype(load()) {
    try {
        return load();
    } catch (const db::Error& error) {
        throw DatabaseProblem(where, error);
    }
}

}  // namespace config
