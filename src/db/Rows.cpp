#include "db/Rows.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <limits>
#include <memory>

namespace db {

namespace {

// Column names are found without regard to letter case. They are nearly always ASCII, folded
// here without the Unicode tables: recording looks up every column of every recorded row.
QString FoldedName(const QString& name) {
    QString folded = name;
    for (QChar& c : folded) {
        if (c.unicode() >= 128) return name.toLower();
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

[[noreturn]] void RaiseConversion(const QVariant& value, const QString& column) {
    throw Error(
        errors::DataTypeConversion,
        QStringLiteral("Data type conversion error: '%1' cannot be stored in the column %2.")
            .arg(value.toString(), column));
}

bool IsNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Double:
        case QMetaType::Float:
            return true;
        default:
            return false;
    }
}

double NumberOf(const QVariant& value, const QString& column) {
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? -1 : 0;
    if (IsNumber(value)) return value.toDouble();
    bool ok = false;
    const double number = QLocale::c().toDouble(value.toString().trimmed(), &ok);
    if (!ok) RaiseConversion(value, column);
    return number;
}

bool TruthOf(const QVariant& value, const QString& column) {
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        if (text == u"true" || text == u"yes" || text == u"on") return true;
        if (text.isEmpty() || text == u"false" || text == u"no" || text == u"off") return false;
    }
    return NumberOf(value, column) != 0;
}

QVariant WholeNumberOf(const QVariant& value, const QString& column) {
    // Fractions round to the nearest whole number, a half to the even neighbour.
    const bool whole = value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float &&
                       value.typeId() != QMetaType::Bool && IsNumber(value);
    const double number = whole ? value.toDouble() : std::nearbyint(NumberOf(value, column));
    if (!(number >= std::numeric_limits<std::int32_t>::min() &&
          number <= std::numeric_limits<std::int32_t>::max())) {
        throw Error(errors::Overflow, QStringLiteral("Overflow: %1 does not fit the column %2.")
                                          .arg(value.toString(), column));
    }
    return whole ? value.toLongLong() : qlonglong(number);
}

// The value a column stores for a value assigned to it, in the column's own type.
QVariant StoredValue(const ColumnInfo& column, const QVariant& value) {
    if (column.type == ColumnType::Boolean) {
        // A yes/no column is never null; anything non-zero is the engine's true, -1.
        if (!value.isValid() || value.isNull()) return qlonglong(0);
        return qlonglong(TruthOf(value, column.name) ? -1 : 0);
    }
    if (!value.isValid() || value.isNull()) return QVariant();
    switch (column.type) {
        case ColumnType::Integer:
            return WholeNumberOf(value, column.name);
        case ColumnType::Double:
            return NumberOf(value, column.name);
        case ColumnType::Date:
            return value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value;
        case ColumnType::Time:
            return value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value;
        default:
            return value;
    }
}

using ColumnIndex = QHash<QString, int>;  // folded name -> first column of that name

// Recorded rows go to the same few tables again and again: each one's index is made once.
std::shared_ptr<const ColumnIndex> KnownColumnIndex(const std::vector<ColumnInfo>& columns) {
    constexpr int kMostKnown = 256;
    thread_local QHash<QString, std::shared_ptr<const ColumnIndex>> known;
    QString key;
    for (const ColumnInfo& column : columns) key += column.name + QLatin1Char('\n');
    if (const auto found = known.constFind(key); found != known.cend()) return *found;
    if (known.size() >= kMostKnown) known.clear();
    auto index = std::make_shared<ColumnIndex>();
    for (int c = int(columns.size()) - 1; c >= 0; --c)
        index->insert(FoldedName(columns[std::size_t(c)].name), c);
    known.insert(key, index);
    return index;
}

[[noreturn]] void RaiseUnknownColumn(const QString& column, const QString& source) {
    throw Error(errors::ItemNotFound,
                QStringLiteral("Item not found in this collection: no column '%1' in %2.")
                    .arg(column, source));
}

}  // namespace

// ---- rows of a query -----------------------------------------------------------------------

Rows::Rows(Connection& connection, const Query& query) : sql_(query.sql) {
    Statement select = connection.prepare(query.sql);
    for (int i = 0; i < query.parameters.size(); ++i) select.bind(i + 1, query.parameters[i]);
    const int columns = select.columnCount();
    for (int c = columns - 1; c >= 0; --c) index_.insert(FoldedName(select.columnName(c)), c);
    while (select.step()) {
        std::vector<QVariant> row;
        row.reserve(std::size_t(columns));
        for (int c = 0; c < columns; ++c) row.push_back(select.value(c));
        rows_.push_back(std::move(row));
    }
}

void Rows::next() {
    if (atEnd()) throw Error(errors::NoCurrentRecord, QStringLiteral("No current record."));
    ++position_;
}

bool Rows::has(const QString& column) const {
    return index_.contains(FoldedName(column));
}

QVariant Rows::value(const QString& column) const {
    const auto found = index_.constFind(FoldedName(column));
    if (found == index_.cend()) RaiseUnknownColumn(column, sql_);
    if (atEnd()) throw Error(errors::NoCurrentRecord, QStringLiteral("No current record."));
    return rows_[position_][std::size_t(*found)];
}

// ---- one row of a table --------------------------------------------------------------------

TableRow::TableRow(Connection& connection, const QString& table)
    : connection_(connection), table_(table), columns_(connection.tableColumns(table)) {
    if (columns_.empty()) {
        throw Error(errors::TableNotFound, QStringLiteral("The database '%1' has no table '%2'.")
                                               .arg(connection.location(), table));
    }
    index_ = KnownColumnIndex(columns_);
}

int TableRow::columnIndex(const QString& column) const {
    return index_->value(FoldedName(column), -1);
}

bool TableRow::has(const QString& column) const {
    return columnIndex(column) >= 0;
}

void TableRow::set(const QString& column, const QVariant& value) {
    const int index = columnIndex(column);
    if (index < 0) RaiseUnknownColumn(column, table_);
    values_[index] = StoredValue(columns_[std::size_t(index)], value);
}

namespace {
struct Assignments {
    QStringList columns;
    QVariantList values;
};
Assignments AssignmentsOf(const std::vector<ColumnInfo>& columns,
                          const std::map<int, QVariant>& values) {
    Assignments assignments;
    for (const auto& [index, value] : values) {
        assignments.columns << columns[std::size_t(index)].name;
        assignments.values << value;
    }
    return assignments;
}
}  // namespace

void TableRow::insert() {
    const Assignments row = AssignmentsOf(columns_, values_);
    connection_.insert(table_, row.columns, row.values);
}

bool TableRow::updateFirst(const QString& condition, const QVariantList& conditionValues) {
    const Assignments changed = AssignmentsOf(columns_, values_);
    return connection_.updateFirst(table_, changed.columns, changed.values, condition,
                                   conditionValues);
}

}  // namespace db
