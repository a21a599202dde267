#pragma once
// Validation of an experiment database's configuration before a session: everything that
// would stop a login or start-up, draw a broken scale or leave the experimenter locked out.

#include <QString>
#include <vector>

namespace db {
class Connection;
}

namespace tool {

struct Problem {
    QString table;
    int row = 0;  // 1-based, in the table's row order (a CSV's data lines); 0: the table itself
    QString column;
    QString message;

    // "tblSetup, row 2, column MaxTrial: ..."
    QString text() const;
    friend bool operator==(const Problem&, const Problem&) = default;
};

std::vector<Problem> CheckConfiguration(db::Connection& connection);
std::vector<Problem> CheckDatabase(const QString& databasePath);

}  // namespace tool
