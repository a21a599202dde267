#pragma once
// The fingerprint of a version's configuration, so that a data set says what produced it.

#include <QString>

namespace db {
class Connection;
}

namespace tool {

// SHA-256 (lower-case hex) of the text made of, for tblSetup (the version's first row),
// tblScenarios (the rows of its ScenarioUsed), tblDelayScenarios (the rows of its
// DelayScenario) and tblLabels (its labels) in turn, a line with the table's name and the
// rows as the export writes them, header included. Empty when the version has no setup row.
QString ConfigurationFingerprint(db::Connection& connection, const QString& version);

}  // namespace tool
