#include "tool/data/Merge.h"

#include <QFileInfo>
#include <map>

#include "db/Schema.h"
#include "runtime/MessageText.h"
#include "tool/common/Counted.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"
#include "tool/data/Fingerprint.h"

namespace tool {

namespace {

struct Participant {
    QString subject;
    QString version;
};

// A participant's rows of one table, in stored order, over the columns both files have.
using TableRows = std::vector<std::vector<QVariant>>;

std::vector<const db::TableDef*> RecordedTables() {
    std::vector<const db::TableDef*> tables;
    for (const db::TableDef& table : db::Tables())
        if (table.recorded) tables.push_back(&table);
    return tables;
}

QStringList ColumnNames(db::Connection& connection, const QString& table) {
    QStringList names;
    for (const db::ColumnInfo& column : connection.tableColumns(table)) names << column.name;
    return names;
}

// The columns of the lab's table that the station's also has (a file of an earlier program
// lacks some).
QStringList SharedColumns(db::Connection& lab, db::Connection& station, const QString& table) {
    const QStringList there = ColumnNames(station, table);
    QStringList shared;
    for (const QString& column : ColumnNames(lab, table))
        if (there.contains(column, Qt::CaseInsensitive)) shared << column;
    return shared;
}

// The same records, whatever their writes' keys: a key is new for every write, and rows that
// reached the lab another way (an export imported) have none.
bool SameRecords(const QStringList& columns, const TableRows& ours, const TableRows& theirs) {
    if (ours.size() != theirs.size()) return false;
    for (std::size_t r = 0; r < ours.size(); ++r)
        for (qsizetype c = 0; c < columns.size(); ++c)
            if (columns[c].compare(QLatin1String(db::kWriteKeyColumn), Qt::CaseInsensitive) != 0 &&
                ours[r][c] != theirs[r][c])
                return false;
    return true;
}

QString QuotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names) quoted << db::QuoteIdentifier(name);
    return quoted.join(QLatin1Char(','));
}

// Everyone a file recorded, in the order of the tables, each once (names compare as the
// login compares them).
std::vector<Participant> Participants(db::Connection& station) {
    std::vector<Participant> participants;
    for (const db::TableDef* table : RecordedTables()) {
        if (!station.tableExists(table->name)) continue;
        const Rows rows(station,
                        QStringLiteral("SELECT Subject, Version FROM %1 GROUP BY Subject, Version "
                                       "ORDER BY min(%2)")
                            .arg(db::QuoteIdentifier(table->name), station.rowKey()));
        for (int r = 0; r < rows.size(); ++r) {
            const Participant found{rows.at(r, QStringLiteral("Subject")).toString(),
                                    rows.at(r, QStringLiteral("Version")).toString()};
            const bool known =
                std::any_of(participants.begin(), participants.end(), [&](const Participant& p) {
                    return p.subject.compare(found.subject, Qt::CaseInsensitive) == 0 &&
                           p.version.compare(found.version, Qt::CaseInsensitive) == 0;
                });
            if (!known) participants.push_back(found);
        }
    }
    return participants;
}

TableRows RowsOf(db::Connection& connection, const QString& table, const QStringList& columns,
                 const Participant& participant) {
    db::Statement select = connection.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE Subject = ? AND Version = ? ORDER BY %3")
            .arg(QuotedList(columns), db::QuoteIdentifier(table), connection.rowKey()));
    select.bind(1, participant.subject);
    select.bind(2, participant.version);
    TableRows rows;
    while (select.step()) {
        auto& row = rows.emplace_back();
        for (int c = 0; c < columns.size(); ++c) row.push_back(select.value(c));
    }
    return rows;
}

QString Named(const Participant& participant) {
    return QStringLiteral("participant '%1' in version '%2'")
        .arg(runtime::ValueForMessage(participant.subject),
             runtime::ValueForMessage(participant.version));
}

class Merger {
  public:
    Merger(db::Connection& lab, const QString& labPath, Progress& progress)
        : lab_(lab), labPath_(labPath), progress_(progress) {}

    MergedStation merge(const QString& stationPath) {
        auto station = OpenExperimentDatabase(stationPath, db::OpenMode::ReadOnly);
        MergedStation merged{stationPath};
        progress_.start(QStringLiteral("merging %1").arg(stationPath), 0);
        for (const Participant& participant : Participants(*station)) {
            std::map<QString, std::pair<QStringList, TableRows>> rows;  // table -> columns, rows
            bool inLab = false, same = true;
            for (const db::TableDef* table : RecordedTables()) {
                if (!station->tableExists(table->name)) continue;
                const QStringList columns = SharedColumns(lab_, *station, table->name);
                TableRows theirs = RowsOf(*station, table->name, columns, participant);
                const TableRows ours = RowsOf(lab_, table->name, columns, participant);
                inLab = inLab || !ours.empty();
                same = same && SameRecords(columns, ours, theirs);
                rows[table->name] = {columns, std::move(theirs)};
            }
            if (inLab && !same) {
                throw ToolError(QStringLiteral("%1 is recorded in %2 and in %3 with different "
                                               "rows; nothing was merged")
                                    .arg(Named(participant), labPath_, stationPath));
            }
            if (inLab) {
                ++merged.alreadyThere;
                continue;
            }
            requireSameConfiguration(*station, stationPath, participant);
            for (const auto& [table, columnsAndRows] : rows)
                merged.rows += append(table, columnsAndRows.first, columnsAndRows.second);
            ++merged.added;
            progress_.advance(merged.rows);
        }
        progress_.finish();
        return merged;
    }

  private:
    // Rows recorded under another configuration of the version would pass for the lab's.
    void requireSameConfiguration(db::Connection& station, const QString& stationPath,
                                  const Participant& participant) {
        const QString version = participant.version.toLower();
        if (!labFingerprints_.count(version))
            labFingerprints_[version] = ConfigurationFingerprint(lab_, participant.version);
        const QString ours = labFingerprints_[version];
        if (ours.isEmpty())
            throw ToolError(
                QStringLiteral("%1 of %2: %3 has no version '%4' in tblSetup; nothing "
                               "was merged")
                    .arg(Named(participant), stationPath, labPath_, participant.version));
        const QString theirs = ConfigurationFingerprint(station, participant.version);
        if (!theirs.isEmpty() && theirs != ours)
            throw ToolError(
                QStringLiteral("%1 of %2 played a configuration of '%3' other than "
                               "the one in %4; nothing was merged")
                    .arg(Named(participant), stationPath, participant.version, labPath_));
    }

    long long append(const QString& table, const QStringList& columns, const TableRows& rows) {
        if (rows.empty()) return 0;
        db::Statement insert = lab_.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(db::QuoteIdentifier(table), QuotedList(columns),
                     QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(','))));
        for (const auto& row : rows) {
            insert.reset();
            for (int c = 0; c < columns.size(); ++c) insert.bind(c + 1, row[c]);
            insert.step();
        }
        return static_cast<long long>(rows.size());
    }

    db::Connection& lab_;
    QString labPath_;
    Progress& progress_;
    std::map<QString, QString> labFingerprints_;  // lower-case version -> fingerprint
};

// One file given twice would be merged into itself.
void RequireDistinct(const QString& labPath, const QStringList& stationPaths) {
    QStringList seen{QFileInfo(labPath).canonicalFilePath()};
    for (const QString& station : stationPaths) {
        const QString canonical = QFileInfo(station).canonicalFilePath();
        if (!canonical.isEmpty() && seen.contains(canonical))
            throw ToolError(QStringLiteral("%1 is named twice; nothing was merged").arg(station));
        seen << canonical;
    }
}

}  // namespace

QString MergedStation::text() const {
    return QStringLiteral("%1: %2 added (%3), %4 already there")
        .arg(file, Counted(added, "participant", "participants"), Counted(rows, "row", "rows"))
        .arg(alreadyThere);
}

std::vector<MergedStation> MergeStations(const QString& labPath, const QStringList& stationPaths,
                                         Progress& progress) {
    RequireDistinct(labPath, stationPaths);
    auto lab = OpenExperimentDatabase(labPath, db::OpenMode::ReadWrite);
    // A file of an earlier program gains what the stations may have recorded; this much is
    // kept even if the merge is refused.
    db::CreateSchema(*lab);
    for (const db::TableDef* table : RecordedTables()) db::AddMissingColumns(*lab, table->name);
    db::Transaction transaction(*lab);
    Merger merger(*lab, labPath, progress);
    std::vector<MergedStation> merged;
    for (const QString& station : stationPaths) merged.push_back(merger.merge(station));
    progress.stopIfCancelled();
    transaction.commit();
    return merged;
}

std::vector<MergedStation> MergeStations(const QString& labPath, const QStringList& stationPaths) {
    NoProgress quiet;
    return MergeStations(labPath, stationPaths, quiet);
}

}  // namespace tool
