#pragma once
// The versions of the experiment and the setup of the chosen one, from tblSetup.

#include <QString>
#include <QStringList>

#include "config/ConfigError.h"

// The Version of every row of tblSetup in ascending order, duplicates as often as they
// occur; empty when the table is.
QStringList ReadVersions();

// Reads the first tblSetup row whose Version equals RunState.Version into ExperimentSetup
// and sets AfterEveryNTrials to 1. On a ConfigError ExperimentSetup is left as it was.
void LoadSetup();

namespace config {
// "Version 'A'": how messages name a version.
QString VersionName(const QString& version);
}  // namespace config
