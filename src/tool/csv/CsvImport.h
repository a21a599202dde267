#pragma once
// Import of configuration (or recorded) rows from CSV files made in a spreadsheet: a header
// row of column names in any letter case, every cell checked against its column's type,
// rows kept in file order, and all or nothing.

#include <QString>
#include <string_view>
#include <vector>

#include "tool/common/Progress.h"
#include "tool/data/Check.h"

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
// What an import wrote, and the warnings of the rule book that it brought (those the
// database did not have before).
struct ImportResult {
    std::vector<ImportedTable> tables;
    std::vector<Problem> warnings;
};

ImportResult ImportTableFile(const QString& databasePath, const QString& table,
                             const QString& csvPath, bool replace, Progress& progress);

// Every *.csv file of a folder into the table its name names (tblSetup.csv into tblSetup),
// all in one transaction.
ImportResult ImportFolder(const QString& databasePath, const QString& folder, bool replace,
                          Progress& progress);

// Where the rows of one file went: the table's rows from firstRow on (1-based, in table
// order), each read from a line of the file.
struct ImportedRows {
    QString table;
    QString source;
    long long firstRow = 1;
    std::vector<long long> lines;  // the line each row began on
};

// CSV text into a table, inside a transaction the caller holds.
ImportedRows ImportCsv(db::Connection& connection, const QString& table, std::string_view csv,
                       const QString& sourceName, bool replace, Progress& progress);

// The configuration an import leaves must pass what the program's rule book refuses (and hold
// no version twice): a fault in an imported row is named by its file, line and column, one in
// a table an import replaced by its file, and one the import brings elsewhere by its place.
// `before` is what check found before the import. Returns the warnings the import brings.
std::vector<Problem> RequireImportedRowsRunnable(db::Connection& connection,
                                                 const std::vector<Problem>& before,
                                                 const std::vector<ImportedRows>& imported);

}  // namespace tool
