#pragma once
// Validation of an experiment database before a session: that the file is not damaged, what
// the rule book says of every version (what would stop a login or start-up, and what runs but
// is worth a warning), every cell the program reads, and whether the experimenter can end a
// session.

#include <QString>
#include <memory>
#include <vector>

#include "config/RuleBook.h"

namespace db {
class Connection;
}

namespace tool {

struct Problem {
    QString table;
    int row = 0;  // 1-based, in the table's row order (a CSV's data lines); 0: the table itself
    QString column;
    QString message;
    // A warning names something that runs but is suspicious; anything else stops a version.
    config::Severity severity = config::Severity::Refuses;
    int repeats = 0;  // the earlier row a repeated key is also in; 0: none
    // The tool's wording where the participant program's message differs; empty: the message.
    QString forExperimenter = {};

    // The message as the experimenter reads it.
    QString said() const { return forExperimenter.isEmpty() ? message : forExperimenter; }
    // "tblSetup, row 2, column MaxTrial: ...", a warning tagged "warning: "
    QString text() const;
    friend bool operator==(const Problem&, const Problem&) = default;
};

std::vector<Problem> CheckConfiguration(db::Connection& connection);

// What the rule book says of one version's setup row together with the rest of the
// configuration as the database holds it (its scenario, delay scenario and labels): the
// version's part of the check. The tables are read once, so a setup can be judged often.
class VersionRules {
  public:
    explicit VersionRules(db::Connection& connection);
    ~VersionRules();
    VersionRules(const VersionRules&) = delete;
    VersionRules& operator=(const VersionRules&) = delete;

    config::Findings of(const config::SetupRow& setup) const;

  private:
    struct Tables;
    std::unique_ptr<Tables> tables_;
};
// Damage the engine finds in the database, each a problem of the "database file".
std::vector<Problem> CheckIntegrity(db::Connection& connection);
// A station's file that names a lab server is checked there, through the login the station
// uses, as the program at the station would read it.
struct StationCheck {
    QString server;  // empty: the file names no server (it is checked itself)
    QString login;
    // A login that owns the database or is a superuser first, then the server's problems.
    std::vector<Problem> problems;
};
StationCheck CheckStation(const QString& stationFile);

// The damage first, then the configuration's problems.
std::vector<Problem> CheckDatabase(const QString& databasePath);

// The problems that stop a version (warnings left out).
long long Refusals(const std::vector<Problem>& problems);
// "no problems found", "2 problems found; 1 warning"
QString CheckSummary(const std::vector<Problem>& problems);

}  // namespace tool
