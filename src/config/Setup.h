#pragma once
// The versions of the experiment and the setup of the chosen one, from tblSetup.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <utility>
#include <vector>

#include "config/ConfigError.h"
#include "core/RunRecord.h"

namespace db {
class Connection;
}

// The Version of every row of tblSetup in ascending order, duplicates as often as they
// occur; empty when the table is.
QStringList ReadVersions(Run& run);

// The language code of every row of tblSetup (config::LanguageCode of its Language cell), read
// on a connection of its own before anything asks the user; a file made before the column
// existed speaks English.
QStringList ReadLanguages(db::Connection& connection);

// Reads the first tblSetup row whose Version equals run.state.Version into run.setup
// and sets AfterEveryNTrials to 1. On a ConfigError run.setup is left as it was.
void LoadSetup(Run& run);

namespace config {
// "Version 'A'": how messages name a version.
QString VersionName(const QString& version);

// The value of a column of one row; a row without that column raises ConfigError.
using CellOf = std::function<QVariant(const QString& column)>;

// A tblSetup row read by the read rules; the first column that cannot be read raises
// ConfigError naming `where`.
ExperimentSetupRecord ReadSetupRow(const CellOf& cell, const QString& where);

// Every column of a tblSetup row that cannot be read, each with its error.
std::vector<std::pair<QString, ConfigError>> UnreadableSetupColumns(const CellOf& cell,
                                                                    const QString& where);
}  // namespace config
