#pragma once
// Validation of an experiment database's configuration before a session: what the rule book
// says of every version (what would stop a login or start-up, and what runs but is worth a
// warning), every cell the program reads, and whether the experimenter can end a session.

#include <QString>
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

    // "tblSetup, row 2, column MaxTrial: ...", a warning tagged "warning: "
    QString text() const;
    friend bool operator==(const Problem&, const Problem&) = default;
};

std::vector<Problem> CheckConfiguration(db::Connection& connection);
std::vector<Problem> CheckDatabase(const QString& databasePath);

}  // namespace tool
