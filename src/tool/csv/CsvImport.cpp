#include "tool/csv/CsvImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "accounts/StoredPassword.h"
#include "db/Error.h"
#include "runtime/MessageText.h"
#include "tool/common/Csv.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"
#include "tool/common/TypedCell.h"

namespace tool {

namespace {

// A line of blank cells (a spreadsheet's trailing row) holds no row; "" is an empty text.
bool HoldsNoValues(const std::vector<CsvField>& record) {
    return std::all_of(record.begin(), record.end(), [](const CsvField& cell) {
        return !cell.quoted && TrimmedCell(cell.value).empty();
    });
}

// The column of an imported file that holds experimenters' passwords, or -1: they are
// stored hashed, whatever the file holds.
int PasswordColumn(const QString& table, const std::vector<TableColumn>& columns) {
    if (table.compare(QStringLiteral("tblPasswords"), Qt::CaseInsensitive) != 0) return -1;
    return ColumnIndex(columns, QStringLiteral("password"));
}

// A clear password becomes its salted hash; a stored hash (from another database) is kept.
// Returns what is wrong with the cell, or an empty text.
QString StorePasswordHashed(CsvField& cell) {
    if (cell.value.empty() || !IsValidUtf8(cell.value)) return {};
    try {
        cell.value = accounts::StoredFormOf(QString::fromUtf8(cell.value)).toStdString();
    } catch (const accounts::PasswordError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

// How many letters must be inserted, deleted or replaced to make one name the other, in any
// letter case.
int EditDistance(const QString& from, const QString& to) {
    const QString a = from.toLower(), b = to.toLower();
    std::vector<int> previous(static_cast<std::size_t>(b.size()) + 1), current(previous.size());
    for (std::size_t j = 0; j < previous.size(); ++j) previous[j] = static_cast<int>(j);
    for (int i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int replace = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({replace, previous[j] + 1, current[j - 1] + 1});
        }
        std::swap(previous, current);
    }
    return previous.back();
}

// A spreadsheet set to another list separator writes the whole header into one cell; a name
// near a column's is most likely that column, spelled as the table spells it.
QString NotAColumn(const QString& name, const std::vector<TableColumn>& tableColumns,
                   const QString& table) {
    const QString refused =
        QStringLiteral("'%1' is not a column of %2").arg(runtime::ValueForMessage(name), table);
    for (const QChar separator : {QLatin1Char(';'), QLatin1Char('\t')}) {
        if (name.contains(separator))
            return refused + QStringLiteral(
                                 "; the values must be separated by commas (the file "
                                 "uses '%1': save it as \"CSV UTF-8\" with a comma "
                                 "as the separator)")
                                 .arg(separator == QLatin1Char(';') ? QStringLiteral(";")
                                                                    : QStringLiteral("tab"));
    }
    const TableColumn* nearest = nullptr;
    int nearestDistance = 0;
    for (const TableColumn& column : tableColumns) {
        const int distance = EditDistance(name, column.name);
        if (!nearest || distance < nearestDistance) {
            nearest = &column;
            nearestDistance = distance;
        }
    }
    if (nearest && nearestDistance <= std::max(2, static_cast<int>(nearest->name.size()) / 4))
        return refused + QStringLiteral(" (did you mean %1?)").arg(nearest->name);
    return refused;
}

// A database made before a column existed gains it when a file names it; until then it
// stays as it was made.
void AddColumnsTheFileNames(db::Connection& connection, const QString& table,
                            const std::vector<CsvField>& header) {
    const db::TableDef* definition = db::FindTable(table);
    if (!definition) return;
    const std::vector<TableColumn> present = ColumnsOf(connection, table);
    for (const CsvField& field : header) {
        const QString name = QString::fromUtf8(TrimmedCell(field.value));
        const bool known = std::any_of(
            definition->columns.begin(), definition->columns.end(),
            [&](const db::ColumnDef& c) { return c.name.compare(name, Qt::CaseInsensitive) == 0; });
        if (known && ColumnIndex(present, name) < 0)
            return db::AddMissingColumns(connection, table);
    }
}

// The header's columns, matched to the table's columns in any letter case.
std::vector<TableColumn> HeaderColumns(const std::vector<CsvField>& header,
                                       const std::vector<TableColumn>& tableColumns,
                                       const QString& table, const QString& sourceName) {
    std::vector<TableColumn> columns;
    std::set<QString> seen;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const QString name = QString::fromUtf8(TrimmedCell(header[i].value));
        const auto where = QStringLiteral("%1:1: column %2").arg(sourceName).arg(i + 1);
        const int match = ColumnIndex(tableColumns, name);
        if (match < 0)
            throw ToolError(where + QStringLiteral(": ") + NotAColumn(name, tableColumns, table));
        const TableColumn& column = tableColumns[static_cast<std::size_t>(match)];
        if (!seen.insert(column.name.toLower()).second)
            throw ToolError(QStringLiteral("%1: column %2 is named twice").arg(where, column.name));
        columns.push_back(column);
    }
    return columns;
}

QString InsertSql(const QString& table, const std::vector<TableColumn>& columns) {
    QStringList names, places;
    for (const TableColumn& column : columns) {
        names << db::QuoteIdentifier(column.name);
        places << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(db::QuoteIdentifier(table), names.join(','), places.join(','));
}

// The file's bytes, mapped rather than copied.
class MappedFile {
  public:
    explicit MappedFile(const QString& path) : file_(path) {
        if (!file_.open(QIODevice::ReadOnly))
            throw ToolError(QStringLiteral("%1: %2").arg(path, file_.errorString()));
        if (file_.size() > 0) {
            data_ = file_.map(0, file_.size());
            if (!data_) throw ToolError(QStringLiteral("%1: %2").arg(path, file_.errorString()));
        }
    }
    std::string_view bytes() const {
        return data_ ? std::string_view(reinterpret_cast<const char*>(data_),
                                        static_cast<std::size_t>(file_.size()))
                     : std::string_view();
    }

  private:
    QFile file_;
    uchar* data_ = nullptr;
};

// Trouble with the file itself (no room, no write permission, held by another program), as
// opposed to a row the table refuses: the CSV line is not to blame.
bool IsAboutTheDatabaseFile(const db::Error& error) {
    switch (error.number()) {
        case db::errors::CannotOpenFile:
        case db::errors::ReadOnlyObject:
        case db::errors::DiskFull:
        case db::errors::DiskOrNetworkError:
        case db::errors::FileLockRefused:
        case db::errors::RowLocked:
            return true;
        default:
            return false;
    }
}

long long RowCount(db::Connection& connection, const QString& table) {
    const Rows count(
        connection, QStringLiteral("SELECT COUNT(*) AS n FROM %1").arg(db::QuoteIdentifier(table)));
    return count.at(0, QStringLiteral("n")).toLongLong();
}

long long RecordedRows(db::Connection& connection, const QString& table) {
    const db::TableDef* definition = db::FindTable(table);
    return definition && definition->recorded ? RowCount(connection, table) : 0;
}

// A key the file repeats from a row the table held before: most often the same file imported
// a second time.
QString AlreadyThere(const Problem& problem, const ImportedRows& rows) {
    if (problem.repeats <= 0 || problem.repeats >= rows.firstRow) return {};
    return QStringLiteral(
               " Row %1 is the one already in the database; to replace %2's rows by "
               "the file's, import with --replace.")
        .arg(problem.repeats)
        .arg(rows.table);
}

// "FILE:LINE: column C: message" for a fault in an imported row, "FILE: message" for one in a
// table the file replaced; nothing when the fault lies elsewhere.
std::optional<QString> PlaceInFiles(const Problem& problem,
                                    const std::vector<ImportedRows>& imported) {
    for (const ImportedRows& rows : imported) {
        if (rows.table != problem.table) continue;
        // The file is the whole table only when it was imported into an empty one.
        if (problem.row == 0 && rows.firstRow == 1)
            return rows.source + QStringLiteral(": ") + problem.said();
        const long long index = problem.row - rows.firstRow;
        if (index < 0 || index >= static_cast<long long>(rows.lines.size())) continue;
        QString place = QStringLiteral("%1:%2").arg(rows.source).arg(rows.lines[index]);
        if (!problem.column.isEmpty()) place += QStringLiteral(": column ") + problem.column;
        return place + QStringLiteral(": ") + problem.said() + AlreadyThere(problem, rows);
    }
    return std::nullopt;
}

// What the program refuses, and versions that could never be chosen at the login: one
// without a name, and the second of two with one name (only the first would run).
bool RefusedByTheImport(const Problem& problem) {
    return problem.severity != config::Severity::Warns ||
           (problem.table == QStringLiteral("tblSetup") &&
            problem.column == QStringLiteral("Version"));
}

// A table whose rows have an order of their own (delay segments) keeps it in a column. A
// file without that column gives it by its line order: each row is numbered on from the
// highest number its group (its delay scenario) already has.
class LineOrder {
  public:
    LineOrder(db::Connection& connection, const QString& table,
              const std::vector<TableColumn>& tableColumns,
              const std::vector<TableColumn>& fileColumns)
        : connection_(connection), table_(table) {
        const db::TableDef* definition = db::FindTable(table);
        if (!definition || definition->order.column.isEmpty()) return;
        const int column = ColumnIndex(tableColumns, definition->order.column);
        // Files made before the column existed keep their rows in stored order.
        if (column < 0 || ColumnIndex(fileColumns, definition->order.column) >= 0) return;
        column_ = tableColumns[static_cast<std::size_t>(column)].name;
        within_ = definition->order.within;
        withinCell_ = ColumnIndex(fileColumns, within_);
    }

    // The column the file leaves to its line order; none when the file gives the order or the
    // table has none.
    std::optional<TableColumn> column() const {
        if (column_.isEmpty()) return std::nullopt;
        return TableColumn{column_, db::ColumnType::Integer, QString()};
    }

    long long numberFor(const std::vector<CsvField>& record) {
        const QString group =
            withinCell_ < 0 ? QString() : QString::fromUtf8(TrimmedCell(record[withinCell_].value));
        auto next = next_.find(group);
        if (next == next_.end()) next = next_.emplace(group, highestOf(group) + 1).first;
        return next->second++;
    }

  private:
    long long highestOf(const QString& group) {
        const Rows highest(connection_,
                           QStringLiteral("SELECT max(%1) AS highest FROM %2 WHERE %3 = ?")
                               .arg(db::QuoteIdentifier(column_), db::QuoteIdentifier(table_),
                                    db::QuoteIdentifier(within_)),
                           {group});
        return highest.at(0, QStringLiteral("highest")).toLongLong();
    }

    db::Connection& connection_;
    QString table_;
    QString column_;
    QString within_;
    int withinCell_ = -1;
    std::map<QString, long long> next_;
};

}  // namespace

ImportedRows ImportCsv(db::Connection& connection, const QString& table, std::string_view csv,
                       const QString& sourceName, bool replace, Progress& progress) {
    CsvReader reader(csv, sourceName);
    std::vector<CsvField> record;
    if (!reader.next(record))
        throw ToolError(
            QStringLiteral("%1: the file is empty; its first line must name the columns")
                .arg(sourceName));
    AddColumnsTheFileNames(connection, table, record);
    const std::vector<TableColumn> tableColumns = ColumnsOf(connection, table);
    const std::vector<TableColumn> columns = HeaderColumns(record, tableColumns, table, sourceName);
    LineOrder lineOrder(connection, table, tableColumns, columns);
    const int passwordColumn = PasswordColumn(table, columns);
    std::vector<TableColumn> written = columns;
    if (const auto numbered = lineOrder.column()) written.push_back(*numbered);

    if (replace)
        connection.execute(QStringLiteral("DELETE FROM %1").arg(db::QuoteIdentifier(table)));
    ImportedRows imported{table, sourceName, RowCount(connection, table) + 1, {}};
    db::Statement insert = connection.prepare(InsertSql(table, written));
    progress.start(QStringLiteral("importing %1").arg(table), 0);
    while (reader.next(record)) {
        if (HoldsNoValues(record)) continue;
        if (record.size() != columns.size())
            throw ToolError(QStringLiteral("%1:%2: %3 values, but the header names %4 columns")
                                .arg(sourceName)
                                .arg(reader.line())
                                .arg(record.size())
                                .arg(columns.size()));
        insert.reset();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            QString problem =
                static_cast<int>(i) == passwordColumn ? StorePasswordHashed(record[i]) : QString();
            if (problem.isEmpty()) {
                TypedCell typed = ParseCell(record[i], columns[i].type);
                insert.bind(static_cast<int>(i + 1), typed.value);
                problem = std::move(typed.problem);
            }
            if (!problem.isEmpty())
                throw ToolError(QStringLiteral("%1:%2: column %3: %4")
                                    .arg(sourceName)
                                    .arg(reader.line())
                                    .arg(columns[i].name, problem));
        }
        if (written.size() > columns.size())
            insert.bindInt(static_cast<int>(written.size()), lineOrder.numberFor(record));
        try {
            insert.step();
        } catch (const db::Error& error) {
            if (IsAboutTheDatabaseFile(error))
                throw ToolError(
                    QStringLiteral("%1: %2").arg(connection.location(), error.description()));
            throw ToolError(QStringLiteral("%1:%2: %3")
                                .arg(sourceName)
                                .arg(reader.line())
                                .arg(error.description()));
        }
        imported.lines.push_back(reader.line());
        progress.advance(static_cast<long long>(imported.lines.size()));
    }
    progress.finish();
    return imported;
}

std::vector<Problem> RequireImportedRowsRunnable(db::Connection& connection,
                                                 const std::vector<Problem>& before,
                                                 const std::vector<ImportedRows>& imported) {
    std::vector<Problem> warnings;
    for (const Problem& problem : CheckConfiguration(connection)) {
        const bool isNew = std::find(before.begin(), before.end(), problem) == before.end();
        if (!RefusedByTheImport(problem)) {
            if (isNew) warnings.push_back(problem);
            continue;
        }
        if (const std::optional<QString> place = PlaceInFiles(problem, imported))
            throw ToolError(*place);
        if (isNew) throw ToolError(QStringLiteral("the import would leave %1").arg(problem.text()));
    }
    return warnings;
}

ImportResult ImportTableFile(const QString& databasePath, const QString& table,
                             const QString& csvPath, bool replace, Progress& progress) {
    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadWrite);
    RequireUndamaged(*connection);
    const QString name = ResolveTableName(*connection, table);
    const MappedFile file(csvPath);
    db::Transaction transaction(*connection);
    if (const long long recorded = replace ? RecordedRows(*connection, name) : 0; recorded > 0)
        throw ToolError(QStringLiteral("%1 holds %2 recorded %3, and --replace never deletes "
                                       "recorded data; import without --replace to add rows")
                            .arg(name)
                            .arg(recorded)
                            .arg(recorded == 1 ? QStringLiteral("row") : QStringLiteral("rows")));
    const std::vector<Problem> before = CheckConfiguration(*connection);
    const ImportedRows rows =
        ImportCsv(*connection, name, file.bytes(), csvPath, replace, progress);
    std::vector<Problem> warnings = RequireImportedRowsRunnable(*connection, before, {rows});
    progress.stopIfCancelled();
    transaction.commit();
    return {{{name, static_cast<long long>(rows.lines.size())}}, std::move(warnings)};
}

ImportResult ImportFolder(const QString& databasePath, const QString& folder, bool replace,
                          Progress& progress) {
    const QDir dir(folder);
    if (!dir.exists()) throw ToolError(QStringLiteral("%1: no such folder").arg(folder));
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        throw ToolError(QStringLiteral("%1: no CSV files in the folder").arg(folder));

    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadWrite);
    RequireUndamaged(*connection);
    std::set<QString> tablesSeen;
    std::vector<ImportedTable> imported;
    std::vector<ImportedRows> importedRows;
    db::Transaction transaction(*connection);
    const std::vector<Problem> before = CheckConfiguration(*connection);
    for (const QFileInfo& info : files) {
        QString table;
        try {
            table = ResolveTableName(*connection, info.completeBaseName());
        } catch (const ToolError& error) {
            throw ToolError(QStringLiteral("%1: %2").arg(info.filePath(), error.message()));
        }
        if (!tablesSeen.insert(table).second)
            throw ToolError(
                QStringLiteral("%1: a second file for table %2").arg(info.filePath(), table));
        if (replace && RecordedRows(*connection, table) > 0) {
            imported.push_back({table, 0, true});
            continue;
        }
        const MappedFile file(info.filePath());
        importedRows.push_back(
            ImportCsv(*connection, table, file.bytes(), info.filePath(), replace, progress));
        imported.push_back({table, static_cast<long long>(importedRows.back().lines.size())});
    }
    std::vector<Problem> warnings = RequireImportedRowsRunnable(*connection, before, importedRows);
    progress.stopIfCancelled();
    transaction.commit();
    return {std::move(imported), std::move(warnings)};
}

}  // namespace tool
