#include "lab/VersionStore.h"

#include "config/ReadRules.h"
#include "db/Engine.h"
#include "tool/common/ToolError.h"
#include "tool/common/TypedCell.h"
#include "tool/data/Check.h"

namespace lab {

namespace {

const QString kSetup = QStringLiteral("tblSetup");
const QString kLabels = QStringLiteral("tblLabels");
const QString kVersion = QStringLiteral("Version");

// The column naming the version, as the table spells it (tblLabels has "version"): a server
// compares quoted names exactly.
QString VersionColumnOf(const QString& table) {
    for (const db::ColumnDef& column : db::FindTable(table)->columns)
        if (column.name.compare(kVersion, Qt::CaseInsensitive) == 0) return column.name;
    return {};
}

QString ColumnList(const std::vector<tool::TableColumn>& columns) {
    QStringList names;
    for (const tool::TableColumn& column : columns) names << db::QuoteIdentifier(column.name);
    return names.join(QStringLiteral(", "));
}

QStringList NamesOf(const std::vector<tool::TableColumn>& columns) {
    QStringList names;
    for (const tool::TableColumn& column : columns) names << column.name;
    return names;
}

// The rows of a table that belong to a version, in stored order, each in column order.
std::vector<QVariantList> RowsOfVersion(db::Connection& connection, const QString& table,
                                        const std::vector<tool::TableColumn>& columns,
                                        const QString& version, const QString& limit = {}) {
    db::Statement select = connection.prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %4%5")
            .arg(ColumnList(columns), db::QuoteIdentifier(table),
                 db::QuoteIdentifier(VersionColumnOf(table)), connection.rowKey(), limit));
    select.bind(1, version);
    std::vector<QVariantList> rows;
    while (select.step()) {
        QVariantList values;
        for (int c = 0; c < select.columnCount(); ++c) values << select.value(c);
        rows.push_back(std::move(values));
    }
    return rows;
}

std::optional<StoredVersion> ReadIn(db::Connection& connection, const QString& version) {
    StoredVersion stored{version, tool::ColumnsOf(connection, kSetup), {}};
    const std::vector<QVariantList> rows =
        RowsOfVersion(connection, kSetup, stored.columns, version, QStringLiteral(" LIMIT 1"));
    if (rows.empty()) return std::nullopt;
    stored.values = rows.front();
    stored.version = stored.values.value(tool::ColumnIndex(stored.columns, kVersion)).toString();
    return stored;
}

tool::ToolError NoRow(const QString& version) {
    return tool::ToolError(config::VersionName(version) +
                           QStringLiteral(" has no row in tblSetup."));
}

StoredVersion ReadExisting(db::Connection& connection, const QString& version) {
    std::optional<StoredVersion> stored = ReadIn(connection, version);
    if (!stored) throw NoRow(version);
    return std::move(*stored);
}

// What the login would refuse is never stored, whatever changed in the other tables since
// the version was opened.
void RequireRunnable(db::Connection& connection, const StoredVersion& stored) {
    const QString where = SetupPlace(stored.version);
    const QString notSaved =
        config::VersionName(stored.version) + QStringLiteral(" is not saved: ");
    try {
        const config::SetupRow row{stored.version, 0,
                                   config::ReadSetupRow(stored.cells(where), where)};
        for (const config::Finding& finding : tool::VersionRules(connection).of(row))
            if (finding.severity != config::Severity::Warns)
                throw tool::ToolError(notSaved + (finding.forExperimenter.isEmpty()
                                                      ? finding.message
                                                      : finding.forExperimenter));
    } catch (const ConfigError& error) {
        throw tool::ToolError(notSaved + error.message());
    }
}

long long CountOf(db::Connection& connection, const QString& table, const QString& version) {
    db::Statement count = connection.prepare(
        QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
            .arg(db::QuoteIdentifier(table), db::QuoteIdentifier(VersionColumnOf(table))));
    count.bind(1, version);
    count.step();
    return count.intValue(0);
}

// A recorded table other than datSubject that holds a row of the version, or an empty text.
QString TableRecordedIn(db::Connection& connection, const QString& version) {
    for (const db::TableDef& table : db::Tables()) {
        const QString versionColumn = VersionColumnOf(table.name);
        if (!table.recorded || versionColumn.isEmpty() || !connection.tableExists(table.name))
            continue;
        db::Statement found = connection.prepare(
            QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1")
                .arg(db::QuoteIdentifier(table.name), db::QuoteIdentifier(versionColumn)));
        found.bind(1, version);
        if (found.step()) return table.name;
    }
    return {};
}

QString WhyKeptIn(db::Connection& connection, const QString& version) {
    const QString kept = config::VersionName(version) + QStringLiteral(" cannot be deleted: ");
    if (const long long registered = CountOf(connection, QStringLiteral("datSubject"), version))
        return kept +
               (registered == 1
                    ? QStringLiteral("1 participant has registered in it.")
                    : QStringLiteral("%1 participants have registered in it.").arg(registered));
    if (const QString table = TableRecordedIn(connection, version); !table.isEmpty())
        return kept + QStringLiteral("rows are recorded in it in %1.").arg(table);
    return {};
}

// The columns of a table the experimenter edits: all but the key and the order number.
std::vector<tool::TableColumn> EditedColumns(db::Connection& connection, const RowsKey& key) {
    const QString order = db::FindTable(key.table)->order.column;
    std::vector<tool::TableColumn> columns;
    for (const tool::TableColumn& column : tool::ColumnsOf(connection, key.table))
        if (column.name.compare(key.column, Qt::CaseInsensitive) != 0 &&
            column.name.compare(order, Qt::CaseInsensitive) != 0)
            columns.push_back(column);
    return columns;
}

StoredRows ReadRowsIn(db::Connection& connection, const RowsKey& key) {
    StoredRows stored{EditedColumns(connection, key), {}};
    const QString order =
        db::FindTable(key.table)->order.column.isEmpty()
            ? QStringLiteral(" ORDER BY %1, %2")
                  .arg(db::QuoteIdentifier(stored.columns.front().name), connection.rowKey())
            : db::OrderOfRows(connection, key.table);
    db::Statement select =
        connection.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?%4")
                               .arg(ColumnList(stored.columns), db::QuoteIdentifier(key.table),
                                    db::QuoteIdentifier(key.column), order));
    select.bind(1, key.value);
    while (select.step()) {
        QVariantList values;
        for (int c = 0; c < select.columnCount(); ++c) values << select.value(c);
        stored.rows.push_back(std::move(values));
    }
    return stored;
}

QString RowsPlace(const RowsKey& key) {
    return QStringLiteral("%1 %2 in %3")
        .arg(key.column, tool::CellText(key.value, db::ColumnType::Text), key.table);
}

// Replaces the rows the key selects, unless someone changed them since they were opened.
void WriteRows(db::Connection& connection, const RowsEdit& edit) {
    const RowsKey& key = edit.key;
    db::Statement hold = connection.prepare(
        QStringLiteral("UPDATE %1 SET %2 = %2 WHERE %2 = ?")
            .arg(db::QuoteIdentifier(key.table), db::QuoteIdentifier(key.column)));
    hold.bind(1, key.value);
    hold.step();
    if (ReadRowsIn(connection, key).rows != edit.opened.rows)
        throw tool::ToolError(QStringLiteral("%1 was changed by someone else since you opened "
                                             "it, so nothing is saved; your edits are kept.")
                                  .arg(RowsPlace(key)));
    db::Statement erase = connection.prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
            .arg(db::QuoteIdentifier(key.table), db::QuoteIdentifier(key.column)));
    erase.bind(1, key.value);
    erase.step();
    QStringList columns{key.column};
    columns << NamesOf(edit.opened.columns);
    const QString order = db::FindTable(key.table)->order.column;
    // Files made before the segments' numbers keep them in stored order.
    const bool numbered =
        !order.isEmpty() && tool::ColumnIndex(tool::ColumnsOf(connection, key.table), order) >= 0;
    if (numbered) columns << order;
    for (std::size_t r = 0; r < edit.rows.size(); ++r) {
        QVariantList values{key.value};
        values << edit.rows[r];
        if (numbered) values << static_cast<long long>(r + 1);
        connection.insert(key.table, columns, values);
    }
}

}  // namespace

StoredRows VersionStore::readRows(const RowsKey& key) const {
    auto connection = study_.open(db::OpenMode::ReadOnly);
    return ReadRowsIn(*connection, key);
}

config::CellOf StoredVersion::cells(const QString& where) const {
    return [this, where](const QString& column) {
        const int index = tool::ColumnIndex(columns, column);
        if (index < 0) throw config::MissingColumn(column, where);
        return values.value(index);
    };
}

QString SetupPlace(const QString& version) {
    return config::VersionName(version) + QStringLiteral(" in ") + kSetup;
}

QStringList VersionStore::versions() const {
    auto connection = study_.open(db::OpenMode::ReadOnly);
    db::Statement select =
        connection->prepare(QStringLiteral("SELECT Version FROM tblSetup ORDER BY Version"));
    QStringList versions;
    while (select.step()) versions << select.value(0).toString();
    return versions;
}

std::shared_ptr<const tool::VersionRules> VersionStore::rules() const {
    auto connection = study_.open(db::OpenMode::ReadOnly);
    return std::make_shared<const tool::VersionRules>(*connection);
}

QStringList VersionStore::versionsWith(const QString& setupColumn, const QVariant& key) const {
    auto connection = study_.open(db::OpenMode::ReadOnly);
    db::Statement select = connection->prepare(
        QStringLiteral("SELECT Version FROM tblSetup WHERE %1 = ? ORDER BY Version")
            .arg(db::QuoteIdentifier(setupColumn)));
    select.bind(1, key);
    QStringList versions;
    while (select.step()) versions << select.value(0).toString();
    return versions;
}

StoredVersion VersionStore::read(const QString& version) const {
    auto connection = study_.open(db::OpenMode::ReadOnly);
    return ReadExisting(*connection, version);
}

std::optional<StoredVersion> VersionStore::save(const StoredVersion& opened,
                                                const std::vector<CellChange>& changes,
                                                const std::vector<RowsEdit>& rowsEdits) const {
    auto connection = study_.open(db::OpenMode::ReadWrite);
    db::Transaction transaction(*connection);
    // Writing the row first holds it: on a server nobody changes it between the comparison
    // and the writing (a file is held whole by the transaction already).
    db::Statement hold = connection->prepare(
        QStringLiteral("UPDATE tblSetup SET Version = Version WHERE Version = ?"));
    hold.bind(1, opened.version);
    hold.step();
    StoredVersion now = ReadExisting(*connection, opened.version);
    if (now.values != opened.values) return now;
    QStringList columns;
    QVariantList values;
    for (const auto& [column, value] : changes) {
        columns << column;
        values << value;
    }
    if (!columns.isEmpty())
        connection->updateFirst(kSetup, columns, values, QStringLiteral("Version = ?"),
                                {opened.version});
    for (const RowsEdit& edit : rowsEdits) WriteRows(*connection, edit);
    RequireRunnable(*connection, ReadExisting(*connection, opened.version));
    transaction.commit();
    return std::nullopt;
}

void VersionStore::copy(const QString& version, const QString& copyName) const {
    const QString name = copyName.trimmed();
    if (name.isEmpty()) throw tool::ToolError(QStringLiteral("A version needs a name."));
    auto connection = study_.open(db::OpenMode::ReadWrite);
    db::Transaction transaction(*connection);
    if (ReadIn(*connection, name))
        throw tool::ToolError(config::VersionName(name) +
                              QStringLiteral(" is already in tblSetup; choose another name."));
    StoredVersion stored = ReadExisting(*connection, version);
    stored.values[tool::ColumnIndex(stored.columns, kVersion)] = name;
    connection->insert(kSetup, NamesOf(stored.columns), stored.values);
    // Labels belong to a version by its name; scenarios are shared by their keys.
    const std::vector<tool::TableColumn> labelColumns = tool::ColumnsOf(*connection, kLabels);
    const int versionColumn = tool::ColumnIndex(labelColumns, kVersion);
    for (QVariantList label : RowsOfVersion(*connection, kLabels, labelColumns, version)) {
        label[versionColumn] = name;
        connection->insert(kLabels, NamesOf(labelColumns), label);
    }
    transaction.commit();
}

QString VersionStore::whyKept(const QString& version) const {
    auto connection = study_.open(db::OpenMode::ReadOnly);
    return WhyKeptIn(*connection, version);
}

void VersionStore::remove(const QString& version) const {
    auto connection = study_.open(db::OpenMode::ReadWrite);
    db::Transaction transaction(*connection);
    ReadExisting(*connection, version);
    if (const QString kept = WhyKeptIn(*connection, version); !kept.isEmpty())
        throw tool::ToolError(kept);
    for (const QString& table : {kSetup, kLabels}) {
        db::Statement erase = connection->prepare(
            QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                .arg(db::QuoteIdentifier(table), db::QuoteIdentifier(VersionColumnOf(table))));
        erase.bind(1, version);
        erase.step();
    }
    transaction.commit();
}

}  // namespace lab
