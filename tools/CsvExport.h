#pragma once
// Export of the experiment database for analysis in R, pandas or a spreadsheet: one CSV per
// table (never tblPasswords) and a codebook that says what each column means and which
// configuration produced the data.

#include <QString>
#include <vector>

#include "tools/Progress.h"
#include "tools/TableData.h"

namespace tool {

class CsvWriter;

// Empty fields select everything.
struct ExportFilter {
    QString version;
    QString subject;
};

struct ExportedTable {
    QString table;
    QString file;
    long long rows = 0;
};

// Writes OUTDIR/<table>.csv for every table and OUTDIR/codebook.md; creates OUTDIR.
std::vector<ExportedTable> ExportDatabase(const QString& databasePath, const QString& outDir,
                                          const ExportFilter& filter, Progress& progress);

// The header row and every row of a prepared query over the given columns, in that order.
long long WriteCsvRows(db::Statement& query, const std::vector<TableColumn>& columns,
                       CsvWriter& writer, Progress& progress);

// "SELECT <columns> FROM <table>" with the column names quoted.
QString SelectColumns(const QString& table, const std::vector<TableColumn>& columns);

}  // namespace tool
