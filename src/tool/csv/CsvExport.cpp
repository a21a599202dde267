#include "tool/csv/CsvExport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <future>
#include <limits>

#include "db/Error.h"
#include "db/Location.h"
#include "tool/common/Counted.h"
#include "tool/common/Csv.h"
#include "tool/common/OutputFile.h"
#include "tool/common/OutputFolder.h"
#include "tool/common/ToolError.h"
#include "tool/data/Fingerprint.h"

namespace tool {

namespace {

const QString kPasswordsTable = QStringLiteral("tblPasswords");

bool HasColumn(const std::vector<TableColumn>& columns, const QString& name) {
    return ColumnIndex(columns, name) >= 0;
}

// The file's columns and, for a recorded table, those the program added since the file was
// recorded (the superseded mark), so every export has the same columns: a file no later
// program has written to holds nothing superseded.
std::vector<TableColumn> ExportedColumns(db::Connection& connection, const QString& table) {
    std::vector<TableColumn> columns = ColumnsOf(connection, table);
    // The key of each write is the recording's receipt, not data to analyse.
    std::erase_if(columns, [](const TableColumn& column) {
        return column.name.compare(QLatin1String(db::kWriteKeyColumn), Qt::CaseInsensitive) == 0;
    });
    const db::TableDef* definition = db::FindTable(table);
    if (!definition || !definition->recorded) return columns;
    for (const db::ColumnDef& column : definition->columns) {
        if (!HasColumn(columns, column.name) && column.name != QLatin1String(db::kWriteKeyColumn))
            columns.push_back({column.name, column.type, column.meaning, false});
    }
    return columns;
}

struct TableQuery {
    QStringList conditions;
    QVariantList parameters;

    QString where() const {
        return conditions.isEmpty()
                   ? QString()
                   : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
};

// Which rows of a table the filter selects. The scenarios follow the versions that use them.
TableQuery FilterFor(const QString& table, const std::vector<TableColumn>& columns,
                     const ExportFilter& filter) {
    TableQuery query;
    if (!filter.version.isEmpty()) {
        if (HasColumn(columns, QStringLiteral("Version"))) {
            query.conditions << QStringLiteral("Version = ?");
            query.parameters << filter.version;
        } else if (table == QLatin1String("tblScenarios") ||
                   table == QLatin1String("tblDelayScenarios")) {
            const QString key = table == QLatin1String("tblScenarios")
                                    ? QStringLiteral("Scenario")
                                    : QStringLiteral("DelayScenario");
            const QString used = table == QLatin1String("tblScenarios")
                                     ? QStringLiteral("ScenarioUsed")
                                     : QStringLiteral("DelayScenario");
            query.conditions << QStringLiteral("%1 IN (SELECT %2 FROM tblSetup WHERE Version = ?)")
                                    .arg(key, used);
            query.parameters << filter.version;
        }
    }
    if (!filter.subject.isEmpty() && HasColumn(columns, QStringLiteral("Subject"))) {
        query.conditions << QStringLiteral("Subject = ?");
        query.parameters << filter.subject;
    }
    if (filter.withoutSimulated && HasColumn(columns, QStringLiteral("Subject")) &&
        HasColumn(columns, QStringLiteral("Version"))) {
        query.conditions << QStringLiteral(
                                "NOT EXISTS (SELECT 1 FROM datSubject AS s WHERE s.Simulated <> 0 "
                                "AND s.Subject = %1.Subject AND s.Version = %1.Version)")
                                .arg(db::QuoteIdentifier(table));
    }
    return query;
}

bool AnyRow(db::Connection& connection, const QStringList& tables, const QString& column,
            const QString& value) {
    for (const QString& table : tables) {
        if (!connection.tableExists(table)) continue;
        if (!Rows(connection,
                  QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1").arg(table, column),
                  {value})
                 .empty())
            return true;
    }
    return false;
}

// A typing mistake in --version or --subject would otherwise give empty files.
void RequireFilterMatches(db::Connection& connection, const ExportFilter& filter) {
    if (!filter.version.isEmpty() &&
        !AnyRow(connection, {"tblSetup", "datSubject"}, QStringLiteral("Version"), filter.version))
        throw ToolError(QStringLiteral("there is no version '%1' in tblSetup or datSubject")
                            .arg(filter.version));
    if (!filter.subject.isEmpty() && !AnyRow(connection, {"datSubject", "datExperimentTrials"},
                                             QStringLiteral("Subject"), filter.subject))
        throw ToolError(
            QStringLiteral("there is no participant '%1' in datSubject or datExperimentTrials")
                .arg(filter.subject));
}

long long CountRows(db::Connection& connection, const QString& table, const TableQuery& query) {
    const Rows count(connection,
                     QStringLiteral("SELECT count(*) AS counted FROM %1%2")
                         .arg(db::QuoteIdentifier(table), query.where()),
                     query.parameters);
    return count.at(0, QStringLiteral("counted")).toLongLong();
}

// Rows are read in short slices, each its own read, so that a station recording meanwhile is
// never held up for long.
constexpr int kRowsPerRead = 1000;

ExportedTable ExportTable(db::Connection& connection, const QString& table,
                          const OutputFolder& outDir, const ExportFilter& filter,
                          Progress& progress, QStringList& damage) {
    const std::vector<TableColumn> columns = ExportedColumns(connection, table);
    TableQuery query = FilterFor(table, columns, filter);
    const QString name = table + QStringLiteral(".csv");

    OutputFile file(outDir.stagingPath(name));
    progress.start(QStringLiteral("exporting %1").arg(table),
                   progress.visible() ? CountRows(connection, table, query) : 0);
    CsvWriter writer(file.device());
    WriteCsvHeader(columns, writer);

    // Slices follow the engine's row key, so each continues where the last one ended.
    const QString rowKey = connection.rowKey();
    query.conditions << rowKey + QStringLiteral(" > ?");
    db::Statement slice =
        connection.prepare(SelectColumns(table, columns, rowKey) + query.where() +
                           QStringLiteral(" ORDER BY %1 LIMIT %2").arg(rowKey).arg(kRowsPerRead));
    const int rowKeyColumn = static_cast<int>(columns.size());
    long long rows = 0;
    long long lastRowKey = std::numeric_limits<long long>::min();
    try {
        for (int inSlice = kRowsPerRead; inSlice == kRowsPerRead;) {
            slice.reset();
            BindAll(slice, query.parameters);
            slice.bindInt(static_cast<int>(query.parameters.size()) + 1, lastRowKey);
            for (inSlice = 0; slice.step(); ++inSlice) {
                WriteCsvRow(slice, columns, writer);
                lastRowKey = slice.intValue(rowKeyColumn);
                progress.advance(++rows);
            }
        }
    } catch (const db::Error& error) {
        // The rows before a damaged page are kept; the damage is named with the result.
        if (error.number() != db::errors::NotADatabase) throw;
        damage
            << QStringLiteral("%1 after row %2: %3").arg(table).arg(rows).arg(error.description());
    }
    writer.flush();
    progress.finish();
    file.commit();
    return {table, outDir.finalPath(name), rows};
}

// The versions whose configuration the exported data rests on, in order of appearance.
QStringList ExportedVersions(db::Connection& connection, const ExportFilter& filter) {
    QStringList versions;
    for (const QString& table : {QStringLiteral("tblSetup"), QStringLiteral("datSubject")}) {
        const TableQuery query = FilterFor(table, ColumnsOf(connection, table), filter);
        const Rows rows(connection,
                        QStringLiteral("SELECT Version FROM %1%2%3")
                            .arg(table, query.where(), db::OrderOfRows(connection, table)),
                        query.parameters);
        for (int r = 0; r < rows.size(); ++r) {
            const QString version = rows.at(r, QStringLiteral("Version")).toString();
            if (!versions.contains(version, Qt::CaseInsensitive)) versions << version;
        }
    }
    return versions;
}

QString Cell(QString text) {
    return text.replace(QLatin1Char('|'), QStringLiteral("\\|"));
}

QString Codebook(db::Connection& connection, const QString& databasePath,
                 const ExportFilter& filter, const std::vector<ExportedTable>& exported) {
    QString text;
    text += QStringLiteral("# Codebook\n\n");
    text += QStringLiteral("- Exported by: fluxmere-db %1\n").arg(QStringLiteral(FLUXMERE_VERSION));
    text += QStringLiteral("- Exported at: %1 (UTC)\n")
                .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    text += QStringLiteral("- Database: %1\n")
                .arg(db::IsServerLocation(databasePath) ? db::LocationForMessages(databasePath)
                                                        : QFileInfo(databasePath).fileName());
    text += QStringLiteral("- Version: %1\n")
                .arg(filter.version.isEmpty() ? QStringLiteral("all") : filter.version);
    text += QStringLiteral("- Participant: %1\n")
                .arg(filter.subject.isEmpty() ? QStringLiteral("all") : filter.subject);
    text += QStringLiteral("- Simulated participants: %1\n\n")
                .arg(filter.withoutSimulated ? QStringLiteral("left out")
                                             : QStringLiteral("included (if any)"));

    text += QStringLiteral(
        "## Format\n\n"
        "One CSV file per table: UTF-8 without byte order mark, comma-separated, a header row "
        "of column names, RFC 4180 quoting, CRLF line ends, rows in the order they were "
        "recorded. An empty cell holds no value (NA); a quoted empty cell (\"\") is an empty "
        "text. Numbers use a point and as many digits as it takes to read the stored value "
        "back exactly. Booleans are TRUE or FALSE (stored as -1 and 0). Dates are yyyy-mm-dd "
        "and times of day hh:mm:ss (ISO 8601), local time of the station that recorded them. "
        "In R: `read.csv(\"datExperimentTrials.csv\")`; in pandas: "
        "`pandas.read_csv(\"datExperimentTrials.csv\")`.\n\n"
        "tblPasswords (the experimenters' accounts) is never exported.\n\n");

    text += QStringLiteral(
        "## Continued runs\n\n"
        "A run whose station stopped in the middle of a period is continued from the end of its "
        "last complete period, and the interrupted period is played again in full. The rows of "
        "the interrupted attempt stay, marked `superseded` TRUE (datExperimentTrials, "
        "datUserTimesSummary); leave them out and the run reads as if it had never stopped: "
        "`subset(d, !superseded)` in R, `d[~d.superseded]` in pandas. datTrialSummary holds one "
        "row per period, that of the attempt that was played to its end.\n\n");

    text += QStringLiteral(
        "## When orders fall due\n\n"
        "An order placed in period p with a delay of d periods falls due in period p + d - 1. "
        "When the delay changes, tblSetup's OrdersDueOnce says which rule the version "
        "followed. Empty or FALSE (participant-paced versions, and every file made before the "
        "column): re-aimed, each period takes the order placed d - 1 periods before it, so a "
        "rise of the delay makes orders fall due again and a fall skips them. TRUE, and always "
        "in clock-paced versions: each order falls due once, in the first period whose delay "
        "reaches back to it; skipped orders come together. Example: inflow delay 1 in periods "
        "1 to 3, then 3, and an order of 5 in period 3. Re-aimed, the 5 arrives in periods 3 "
        "and 5 and TotalBackOrder ends at -5; each order once, it arrives in period 3 only. "
        "`fluxmere-db check` warns of each change that makes orders fall due twice or never.\n\n");

    text += QStringLiteral(
        "## Configuration fingerprints\n\n"
        "SHA-256 of the version's configuration: the UTF-8 text made of, for tblSetup (the "
        "version's first row), tblScenarios (the rows of its ScenarioUsed), tblDelayScenarios "
        "(the rows of its DelayScenario) and tblLabels (the version's labels) in turn, a line "
        "with the table's name followed by those rows exactly as this export writes them "
        "(header row included, rows in table order, delay segments in their SegmentNumber "
        "order, CRLF line ends). Equal fingerprints mean "
        "equal configurations.\n\n"
        "| Version | SHA-256 |\n|---|---|\n");
    for (const QString& version : ExportedVersions(connection, filter)) {
        const QString fingerprint = ConfigurationFingerprint(connection, version);
        text +=
            QStringLiteral("| %1 | %2 |\n")
                .arg(Cell(version),
                     fingerprint.isEmpty() ? QStringLiteral("(no row in tblSetup)") : fingerprint);
    }

    text += QStringLiteral("\n## Tables\n");
    for (const ExportedTable& table : exported) {
        const db::TableDef* definition = db::FindTable(table.table);
        text +=
            QStringLiteral(
                "\n### %1\n\nFile %2, %3 rows; %4.\n\n| Column | Type | Meaning |\n|---|---|---|\n")
                .arg(table.table, QFileInfo(table.file).fileName())
                .arg(table.rows)
                .arg(definition && definition->recorded ? QStringLiteral("recorded by the program")
                                                        : QStringLiteral("configuration"));
        for (const TableColumn& column : ExportedColumns(connection, table.table))
            text += QStringLiteral("| %1 | %2 | %3 |\n")
                        .arg(column.name, TypeName(column.type), Cell(column.meaning));
    }
    return text;
}

// An earlier export (or anything else) in the folder is not written over unless asked: a
// mix of old and new files would pass for one export.
void RequireEmptyFolder(const QString& outDir) {
    const QStringList held = QDir(outDir).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    if (held.isEmpty()) return;
    QString named = QStringList(held.mid(0, 3)).join(QStringLiteral(", "));
    if (held.size() > 3) named += QStringLiteral(" and %1 more").arg(held.size() - 3);
    throw ToolError(QStringLiteral("%1 already holds files (%2); export into an empty or new "
                                   "folder, or give --overwrite to write over them")
                        .arg(outDir, named));
}

}  // namespace

QStringList ExportReport(const ExportResult& exported, const QString& outDir) {
    QStringList lines;
    for (const ExportedTable& table : exported.tables)
        lines << QStringLiteral("%1: %2").arg(table.file, Counted(table.rows, "row", "rows"));
    lines << QDir(outDir).filePath(QStringLiteral("codebook.md"));
    if (exported.damage.isEmpty()) return lines;
    for (const QString& fault : exported.damage) lines << QStringLiteral("database file: ") + fault;
    lines << QStringLiteral(
        "the database file is damaged: the files hold what could be read of it; replace it by "
        "the last backup");
    return lines;
}

QString SelectColumns(const QString& table, const std::vector<TableColumn>& columns,
                      const QString& extraColumn) {
    QStringList names;
    for (const TableColumn& column : columns) {
        if (column.inFile)
            names << db::QuoteIdentifier(column.name);
        else  // the value the column's default gives
            names << (column.type == db::ColumnType::Boolean ? QStringLiteral("0")
                                                             : QStringLiteral("NULL"));
    }
    if (!extraColumn.isEmpty()) names << extraColumn;
    return QStringLiteral("SELECT %1 FROM %2")
        .arg(names.join(QLatin1Char(',')), db::QuoteIdentifier(table));
}

void WriteCsvHeader(const std::vector<TableColumn>& columns, CsvWriter& writer) {
    for (const TableColumn& column : columns) writer.text(column.name);
    writer.endRow();
}

void WriteCsvRow(const db::Statement& row, const std::vector<TableColumn>& columns,
                 CsvWriter& writer) {
    const int count = static_cast<int>(columns.size());
    for (int c = 0; c < count; ++c) {
        switch (row.kind(c)) {
            case db::ValueKind::Null:
                writer.null();
                break;
            case db::ValueKind::Integer: {
                const long long value = row.intValue(c);
                if (columns[c].type == db::ColumnType::Boolean && (value == -1 || value == 0))
                    writer.plain(value ? "TRUE" : "FALSE");
                else
                    writer.number(value);
                break;
            }
            case db::ValueKind::Real:
                writer.number(row.doubleValue(c));
                break;
            case db::ValueKind::Text:
            case db::ValueKind::Blob:
                writer.text(row.text(c));
                break;
        }
    }
    writer.endRow();
}

ExportResult ExportDatabase(const QString& databasePath, const QString& outDir,
                            const ExportFilter& filter, Progress& progress,
                            ExistingFiles existing) {
    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadOnly);
    RequireFilterMatches(*connection, filter);
    if (existing == ExistingFiles::Refuse) RequireEmptyFolder(outDir);
    ExportFilter chosen = filter;
    // A file from before simulated participants holds none.
    chosen.withoutSimulated = filter.withoutSimulated && MarksSimulated(*connection);
    // Read for damage beside the export, which it hardly slows on a machine of two cores.
    auto damageFound = std::async(std::launch::async, [databasePath] {
        return FirstDamage(*OpenExperimentDatabase(databasePath, db::OpenMode::ReadOnly));
    });

    OutputFolder folder(outDir);
    ExportResult result;
    try {
        for (const db::TableDef& table : db::Tables()) {
            if (table.name == kPasswordsTable || !connection->tableExists(table.name)) continue;
            result.tables.push_back(
                ExportTable(*connection, table.name, folder, chosen, progress, result.damage));
        }
        WriteWholeFile(folder.stagingPath(QStringLiteral("codebook.md")),
                       Codebook(*connection, databasePath, chosen, result.tables).toUtf8());
    } catch (const ToolError& error) {
        throw folder.named(error);
    }
    if (const QString fault = damageFound.get(); !fault.isEmpty()) result.damage.prepend(fault);
    progress.stopIfCancelled();
    folder.commit();
    return result;
}

}  // namespace tool
