#include "tool/common/TableData.h"

#include <QFileInfo>

#include "db/Location.h"
#include "tool/common/ToolError.h"

namespace tool {

std::unique_ptr<db::Connection> OpenExperimentDatabase(const QString& path, db::OpenMode mode) {
    if (mode != db::OpenMode::Create && !db::IsServerLocation(path) && !QFileInfo::exists(path))
        throw ToolError(QStringLiteral("%1: no such file").arg(path));
    try {
        // Stations recording meanwhile hold the file for moments: wait for them, from the
        // first read on.
        return std::make_unique<db::Connection>(path, db::DatabasePassword(), mode, 10000);
    } catch (const db::Error& error) {
        throw ToolError(
            QStringLiteral("%1: %2").arg(db::LocationForMessages(path), error.description()));
    }
}

QString FirstDamage(db::Connection& connection) {
    const QStringList faults = connection.checkIntegrity(db::IntegrityDepth::Quick, 1);
    return faults.isEmpty() ? QString() : QStringLiteral("damaged: ") + faults.front();
}

void RequireUndamaged(db::Connection& connection) {
    const QString damage = FirstDamage(connection);
    if (damage.isEmpty()) return;
    throw ToolError(QStringLiteral("%1: the database file is %2; replace it by the last backup "
                                   "(fluxmere-db check names the damage)")
                        .arg(connection.location(), damage));
}

namespace {

const db::ColumnDef* FindColumn(const db::TableDef* table, const QString& name) {
    if (!table) return nullptr;
    for (const db::ColumnDef& column : table->columns)
        if (column.name.compare(name, Qt::CaseInsensitive) == 0) return &column;
    return nullptr;
}

}  // namespace

std::vector<TableColumn> ColumnsOf(db::Connection& connection, const QString& table) {
    const db::TableDef* definition = db::FindTable(table);
    std::vector<TableColumn> columns;
    for (const auto& info : connection.tableColumns(table)) {
        if (const db::ColumnDef* known = FindColumn(definition, info.name))
            columns.push_back({info.name, known->type, known->meaning});
        else
            columns.push_back({info.name, info.type, QString()});
    }
    return columns;
}

QString TypeName(db::ColumnType type) {
    switch (type) {
        case db::ColumnType::Text:
            return QStringLiteral("text");
        case db::ColumnType::Integer:
            return QStringLiteral("integer");
        case db::ColumnType::Double:
            return QStringLiteral("number");
        case db::ColumnType::Boolean:
            return QStringLiteral("boolean (TRUE/FALSE)");
        case db::ColumnType::Date:
            return QStringLiteral("date (yyyy-mm-dd)");
        case db::ColumnType::Time:
            return QStringLiteral("time of day (hh:mm:ss)");
    }
    return QString();
}

int ColumnIndex(const std::vector<TableColumn>& columns, const QString& name) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

void BindAll(db::Statement& statement, const QVariantList& parameters) {
    for (int i = 0; i < parameters.size(); ++i) statement.bind(i + 1, parameters[i]);
}

Rows::Rows(db::Connection& connection, const QString& sql, const QVariantList& parameters) {
    db::Statement statement = connection.prepare(sql);
    BindAll(statement, parameters);
    for (int c = 0; c < statement.columnCount(); ++c) columns_ << statement.columnName(c);
    while (statement.step()) {
        auto& row = rows_.emplace_back();
        row.reserve(columns_.size());
        for (int c = 0; c < columns_.size(); ++c) row.push_back(statement.value(c));
    }
}

int Rows::columnIndex(const QString& column) const {
    for (int c = 0; c < columns_.size(); ++c)
        if (columns_[c].compare(column, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

const QVariant& Rows::at(int row, const QString& column) const {
    const int index = columnIndex(column);
    if (index < 0) throw ToolError(QStringLiteral("no column %1 in the result").arg(column));
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(index)];
}

}  // namespace tool

namespace tool {

QString ResolveTableName(db::Connection& connection, const QString& name) {
    if (const db::TableDef* table = db::FindTable(name)) return table->name;
    if (connection.tableExists(name)) return name;
    QStringList names;
    for (const db::TableDef& table : db::Tables()) names << table.name;
    throw ToolError(
        QStringLiteral("there is no table %1 (tables: %2)").arg(name, names.join(", ")));
}

bool MarksSimulated(db::Connection& connection) {
    for (const db::ColumnInfo& column : connection.tableColumns(QStringLiteral("datSubject")))
        if (column.name.compare(QLatin1String("Simulated"), Qt::CaseInsensitive) == 0) return true;
    return false;
}

}  // namespace tool
