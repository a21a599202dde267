#pragma once
// Export of the experiment database for analysis in R, pandas or a spreadsheet: one CSV per
// table (never tblPasswords) and a codebook that says what each column means and which
// configuration produced the data.

#include <QString>
#include <QStringList>
#include <vector>

#include "tool/common/Progress.h"
#include "tool/common/TableData.h"

namespace tool {

class CsvWriter;

// Empty fields select everything.
struct ExportFilter {
    QString version;
    QString subject;
    bool withoutSimulated = false;  // leaves out participants marked Simulated in datSubject
};

struct ExportedTable {
    QString table;
    QString file;
    long long rows = 0;
};

struct ExportResult {
    std::vector<ExportedTable> tables;
    // The damage found in the file, each fault on its own; the files hold what could be read.
    QStringList damage;
};

// What an export does with a folder that already holds files.
enum class ExistingFiles { Refuse, Overwrite };

// Writes OUTDIR/<table>.csv for every table and OUTDIR/codebook.md; creates OUTDIR. The files
// appear there together once all are written; a failure leaves OUTDIR as it was. A folder
// that holds files is refused unless they may be written over. A damaged file is read for
// damage meanwhile and exported as far as it can be read; the result names the damage.
ExportResult ExportDatabase(const QString& databasePath, const QString& outDir,
                            const ExportFilter& filter, Progress& progress,
                            ExistingFiles existing = ExistingFiles::Refuse);

// What the export wrote, a line each, as the tool reports it: every file with its rows, the
// codebook, and any damage with what to do about it.
QStringList ExportReport(const ExportResult& exported, const QString& outDir);

// The header row of the columns, then rows: the current row of a query whose first columns
// are those columns, in that order.
void WriteCsvHeader(const std::vector<TableColumn>& columns, CsvWriter& writer);
void WriteCsvRow(const db::Statement& row, const std::vector<TableColumn>& columns,
                 CsvWriter& writer);

// "SELECT <columns>[, extraColumn] FROM <table>" with the column names quoted.
QString SelectColumns(const QString& table, const std::vector<TableColumn>& columns,
                      const QString& extraColumn = QString());

}  // namespace tool
