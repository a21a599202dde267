#pragma once
// Import of configuration (or recorded) rows from CSV files made in a spreadsheet: a header
// row of column names in any letter case, every cell checked against its column's type,
// rows kept in file order, and all or nothing.

#include <QString>
#include <string_view>
#include <vector>

#include "tools/Progress.h"

namespace db {
class Connection;
}

namespace tool {

struct ImportedTable {
    QString table;
    long long rows = 0;
    bool keptRecordedRows = false;  // a replacing folder import left the table as it was
};

// Rows the program recorded are the experiment's results, and no import deletes them: a
// replacing import refuses a recorded table that holds rows (a folder import leaves it as it
// is and says so).

// One CSV file into one table, in one transaction. With replace, the table's rows are
// replaced; otherwise the file's rows are appended.
ImportedTable ImportTableFile(const QString& databasePath, const QString& table,
                              const QString& csvPath, bool replace, Progress& progress);

// Every *.csv file of a folder into the table its name names (tblSetup.csv into tblSetup),
// all in one transaction.
std::vector<ImportedTable> ImportFolder(const QString& databasePath, const QString& folder,
                                        bool replace, Progress& progress);

// CSV text into a table, inside a transaction the caller holds. Returns the rows added.
long long ImportCsv(db::Connection& connection, const QString& table, std::string_view csv,
                    const QString& sourceName, bool replace, Progress& progress);

}  // namespace tool
