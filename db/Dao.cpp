#include "db/Dao.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace db {

namespace {

// Field names are found without regard to letter case. They are nearly always ASCII, folded
// here without the Unicode tables: a recordset looks up every column of every recorded row.
QString FoldedName(const QString& name) {
    QString folded = name;
    for (QChar& c : folded) {
        if (c.unicode() >= 128) return name.toLower();
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

// A write that cannot take the lock within this time fails instead of freezing the window.
constexpr int CommitWaitMilliseconds = 1000;
// A neighbour's commit holds the file for some milliseconds. Opening waits that out in the
// engine, too briefly to be felt, instead of failing at once: a failed try costs a back-off
// pause, and under steady recording tries that only sample the lock keep meeting commits.
constexpr int OpenWaitMilliseconds = 100;

[[noreturn]] void RaiseClosed(const char* what) {
    throw Error(errors::ObjectNotSet,
                QStringLiteral("Object variable or With block variable not set: the %1 is closed.")
                    .arg(QLatin1String(what)));
}

QString PasswordFrom(const QString& connect) {
    for (const QString& part : connect.split(QLatin1Char(';'))) {
        if (part.startsWith(QLatin1String("pwd="), Qt::CaseInsensitive)) return part.mid(4);
    }
    return QString();
}

bool IsTableName(const QString& source) {
    static const QRegularExpression name(QStringLiteral(R"(^\s*[A-Za-z_][A-Za-z0-9_]*\s*$)"));
    return name.match(source).hasMatch();
}

// The one table a SELECT reads from, when its rows can be told apart by the engine's row key:
// a plain SELECT (no DISTINCT) from a single table, optionally with WHERE and ORDER BY.
struct SingleTableSelect {
    QString table;
    QString columns;  // the SELECT from its column list on
};

std::optional<SingleTableSelect> ParseSingleTableSelect(const QString& sql) {
    static const QRegularExpression select(
        QStringLiteral(
            R"(^\s*select\s+(?!distinct\s)(?<list>.+?)\s+from\s+)"
            R"((?<table>[A-Za-z_][A-Za-z0-9_]*)\s*(?<rest>(?:(?:where|order)\b.*|;\s*)?)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression grouped(QStringLiteral(R"(\b(group\s+by|union|join)\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = select.match(sql);
    if (!match.hasMatch() || grouped.match(match.captured(u"rest")).hasMatch()) {
        return std::nullopt;
    }
    return SingleTableSelect{match.captured(u"table"), sql.mid(match.capturedStart(u"list"))};
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

// Where a result's fields are found by name, and which table column each one writes.
struct FieldMap {
    QHash<QString, int> index;       // folded name -> first result column of that name
    std::vector<int> tableColumnOf;  // result column -> first table column of that name, or -1
    QStringList quotedColumns;       // the table's columns, quoted for an SQL text
};

FieldMap MapFields(const std::vector<ColumnInfo>& columns, const QStringList& names) {
    QHash<QString, int> columnIndex;
    for (int c = int(columns.size()) - 1; c >= 0; --c)
        columnIndex.insert(FoldedName(columns[std::size_t(c)].name), c);
    FieldMap map;
    for (const ColumnInfo& column : columns) map.quotedColumns << QuoteIdentifier(column.name);
    map.tableColumnOf.assign(std::size_t(names.size()), -1);
    for (int i = int(names.size()) - 1; i >= 0; --i) {
        const QString folded = FoldedName(names[i]);
        map.index.insert(folded, i);
        map.tableColumnOf[std::size_t(i)] = columnIndex.value(folded, -1);
    }
    return map;
}

// Recorded rows open the same few tables again and again: each shape is mapped once.
FieldMap KnownFieldMap(const std::vector<ColumnInfo>& columns, const QStringList& names) {
    constexpr int kMostKnown = 256;
    thread_local QHash<QString, FieldMap> known;  // by the table's and the result's names
    QString key;
    for (const ColumnInfo& column : columns) key += column.name + QLatin1Char('\n');
    key += QLatin1Char('\t') + names.join(QLatin1Char('\n'));
    if (const auto found = known.constFind(key); found != known.cend()) return *found;
    if (known.size() >= kMostKnown) known.clear();
    return *known.insert(key, MapFields(columns, names));
}

}  // namespace

// ---- database and workspace ----------------------------------------------------------------

Database::Database(const QString& path, bool readOnly, const QString& connect)
    : connection_(std::make_shared<Connection>(path, PasswordFrom(connect),
                                               readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite,
                                               OpenWaitMilliseconds)) {}

Database::~Database() = default;

std::unique_ptr<Recordset> Database::OpenRecordset(const Query& source, RecordsetType type) {
    return std::make_unique<Recordset>(*this, source, type);
}

void Database::Close() {
    connection_.reset();
}

Connection& Database::connection() {
    return *sharedConnection();
}

std::shared_ptr<Connection> Database::sharedConnection() {
    if (!connection_) RaiseClosed("database");
    return connection_;
}

std::shared_ptr<Database> Workspace::OpenDatabase(const QString& path, bool /*exclusive*/,
                                                  bool readOnly, const QString& connect) {
    return std::make_shared<Database>(path, readOnly, connect);
}

std::shared_ptr<Workspace> DefaultWorkspace() {
    static const auto workspace = std::make_shared<Workspace>();
    return workspace;
}

// ---- recordset -----------------------------------------------------------------------------

struct Recordset::Impl {
    struct Row {
        qlonglong rowKey = 0;
        std::vector<QVariant> values;
    };
    enum class Pending { None, Adding, Editing };

    std::shared_ptr<Connection> connection;
    QString source;
    QString selectSql;
    QVariantList parameters;  // of selectSql's placeholders
    bool withRowKey = false;  // column 0 of selectSql is the engine's row key
    bool updatable = false;
    bool ownsTransaction = false;

    QString table;                    // the table written to
    std::vector<ColumnInfo> columns;  // of that table
    QStringList fieldNames;           // columns of the result
    FieldMap fields;

    std::optional<Statement> cursor;  // fetches rows on demand while more may come
    bool exhausted = false;
    std::vector<Row> rows;
    std::size_t position = 0;
    std::size_t visited = 0;

    Pending pending = Pending::None;
    std::map<int, QVariant> assigned;                   // result column -> value to store
    std::optional<std::pair<QString, QVariant>> stamp;  // for the next row added

    void requireOpen() const {
        if (!connection) RaiseClosed("recordset");
    }

    void setFields(const QStringList& names) {
        fieldNames = names;
        fields = KnownFieldMap(columns, names);
    }

    void openCursor() {
        cursor.emplace(connection->prepare(selectSql));
        for (int i = 0; i < parameters.size(); ++i) cursor->bind(i + 1, parameters[i]);
        if (!fieldNames.isEmpty()) return;
        QStringList names;
        for (int c = withRowKey ? 1 : 0; c < cursor->columnCount(); ++c) {
            names << cursor->columnName(c);
        }
        setFields(names);
    }

    void fetchOne() {
        if (!cursor) openCursor();
        if (!cursor->step()) {
            exhausted = true;
            cursor.reset();  // ends the read; no lock is kept
            return;
        }
        Row row;
        const int first = withRowKey ? 1 : 0;
        if (withRowKey) row.rowKey = cursor->intValue(0);
        row.values.reserve(cursor->columnCount() - first);
        for (int c = first; c < cursor->columnCount(); ++c) row.values.push_back(cursor->value(c));
        rows.push_back(std::move(row));
    }

    bool hasRow(std::size_t index) {
        while (rows.size() <= index && !exhausted) fetchOne();
        return index < rows.size();
    }

    bool atRow() {
        requireOpen();
        if (!hasRow(position)) return false;
        visited = std::max(visited, position + 1);
        return true;
    }

    void requireCurrentRow() {
        if (!atRow()) throw Error(errors::NoCurrentRecord, QStringLiteral("No current record."));
    }

    int fieldNumber(const QString& name) const {
        const auto found = fields.index.constFind(FoldedName(name));
        if (found == fields.index.cend()) {
            throw Error(errors::ItemNotFound,
                        QStringLiteral("Item not found in this collection: no column '%1' in %2.")
                            .arg(name, source));
        }
        return *found;
    }

    void requireUpdatable() const {
        requireOpen();
        if (!updatable) {
            throw Error(
                errors::ReadOnlyObject,
                QStringLiteral("Cannot update. Database or object is read-only (%1).").arg(source));
        }
    }

    Statement insertStatement() {
        QString sql = QStringLiteral("INSERT INTO ") + QuoteIdentifier(table);
        if (assigned.empty()) {
            sql += QStringLiteral(" DEFAULT VALUES");
        } else {
            QString places;
            sql += QStringLiteral(" (");
            for (const auto& entry : assigned) {
                sql += fields.quotedColumns[fields.tableColumnOf[entry.first]] + u',';
                places += QStringLiteral("?,");
            }
            sql.chop(1);
            places.chop(1);
            sql += QStringLiteral(") VALUES (") + places + u')';
        }
        Statement insert = connection->prepare(sql);
        int position = 1;
        for (const auto& entry : assigned) insert.bind(position++, entry.second);
        return insert;
    }

    Statement updateStatement() {
        QStringList sets;
        for (const auto& entry : assigned) {
            sets << fields.quotedColumns[fields.tableColumnOf[entry.first]] +
                        QStringLiteral(" = ?");
        }
        Statement update = connection->prepare(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                .arg(QuoteIdentifier(table), sets.join(u','), connection->rowKey()));
        int place = 1;
        for (const auto& entry : assigned) update.bind(place++, entry.second);
        update.bindInt(place, rows[position].rowKey);
        return update;
    }

    // One statement in one transaction, committed at once: a row is written whole or not
    // at all. Inside a transaction the caller began, the caller commits.
    void write() {
        // The rows still to come are read now: a read left open after the commit would keep
        // other stations from committing until this recordset is closed.
        if (cursor) hasRow(std::numeric_limits<std::size_t>::max());
        connection->setBusyTimeout(CommitWaitMilliseconds);
        const bool outerTransaction = connection->inTransaction() && !ownsTransaction;
        try {
            if (!connection->inTransaction()) connection->beginWrite();
            const bool editing = pending == Pending::Editing;
            if (!editing || !assigned.empty()) {
                Statement statement = editing ? updateStatement() : insertStatement();
                statement.step();
                if (editing && connection->changes() == 0) {
                    throw Error(errors::DataChanged,
                                QStringLiteral("The row being edited in %1 was deleted or changed "
                                               "by another user.")
                                    .arg(table));
                }
            }
            if (!outerTransaction) connection->commit();
        } catch (const Error& error) {
            try {
                if (!outerTransaction) connection->rollback();
            } catch (const Error&) {
                // The engine has already undone a statement that failed; the first error counts.
            }
            connection->setBusyTimeout(0);
            if (error.number() != errors::FileLockRefused) throw;
            throw Error(errors::RowLocked,
                        QStringLiteral("Could not update table '%1'; currently locked by another "
                                       "user of '%2'.")
                            .arg(table, connection->location()));
        }
        connection->setBusyTimeout(0);
        ownsTransaction = false;
    }
};

Recordset::Recordset(Database& database, const Query& query, RecordsetType type)
    : impl_(std::make_unique<Impl>()), type_(type), readOnlyDatabase_(false) {
    Impl& d = *impl_;
    d.connection = database.sharedConnection();
    const QString& source = query.sql;
    d.source = source;
    d.parameters = query.parameters;
    readOnlyDatabase_ = d.connection->readOnly();
    const bool dynaset = type == dbOpenDynaset && !readOnlyDatabase_;

    if (IsTableName(source)) {
        d.table = source.trimmed();
        d.columns = d.connection->tableColumns(d.table);
        if (d.columns.empty()) {
            throw Error(errors::TableNotFound,
                        QStringLiteral("The database '%1' has no table '%2'.")
                            .arg(d.connection->location(), d.table));
        }
        QStringList names;
        for (const auto& column : d.columns) names << column.name;
        d.setFields(names);
        d.withRowKey = dynaset;
        d.selectSql = QStringLiteral("SELECT %1* FROM %2")
                          .arg(dynaset ? d.connection->rowKey() + QStringLiteral(", ") : QString(),
                               QuoteIdentifier(d.table));
        d.updatable = dynaset;
    } else if (const auto single = dynaset ? ParseSingleTableSelect(source) : std::nullopt) {
        d.table = single->table;
        d.columns = d.connection->tableColumns(d.table);
        d.withRowKey = !d.columns.empty();
        d.selectSql =
            d.withRowKey
                ? QStringLiteral("SELECT %1, %2").arg(d.connection->rowKey(), single->columns)
                : source;
        d.updatable = d.withRowKey;
        d.openCursor();  // the SQL text is checked now, while the table access can react
    } else {
        d.selectSql = source;
        d.openCursor();
    }

    if (d.updatable) {
        // The write lock is taken now, so that a conflict shows while opening.
        if (!d.connection->inTransaction()) {
            d.connection->setBusyTimeout(OpenWaitMilliseconds);
            d.connection->beginWrite();
            d.ownsTransaction = true;
        }
    } else {
        d.hasRow(std::numeric_limits<std::size_t>::max());  // a copy; no lock is kept
    }
}

Recordset::~Recordset() {
    try {
        Close();
    } catch (...) {
        // Closing only releases; a failure here has nothing left to protect.
    }
}

bool Recordset::Updatable() const {
    return impl_->updatable && impl_->connection;
}

bool Recordset::Eof() const {
    return !impl_->atRow();
}

long Recordset::RecordCount() const {
    impl_->atRow();
    return long(impl_->visited);
}

void Recordset::MoveFirst() {
    impl_->requireOpen();
    impl_->pending = Impl::Pending::None;
    impl_->position = 0;
    impl_->requireCurrentRow();
}

void Recordset::MoveLast() {
    impl_->requireOpen();
    impl_->pending = Impl::Pending::None;
    impl_->hasRow(std::numeric_limits<std::size_t>::max());
    if (impl_->rows.empty())
        throw Error(errors::NoCurrentRecord, QStringLiteral("No current record."));
    impl_->position = impl_->rows.size() - 1;
    impl_->requireCurrentRow();
}

void Recordset::MoveNext() {
    impl_->requireCurrentRow();
    impl_->pending = Impl::Pending::None;
    ++impl_->position;
    impl_->atRow();
}

QVariant Recordset::Field(const QString& name) const {
    Impl& d = *impl_;
    d.requireOpen();
    const int field = d.fieldNumber(name);
    if (d.pending != Impl::Pending::None) {
        const auto assigned = d.assigned.find(field);
        if (assigned != d.assigned.end()) return assigned->second;
        if (d.pending == Impl::Pending::Adding) {
            const int column = d.fields.tableColumnOf[field];
            return column >= 0 && d.columns[column].type == ColumnType::Boolean
                       ? QVariant(qlonglong(0))
                       : QVariant();
        }
    }
    d.requireCurrentRow();
    return d.rows[d.position].values[field];
}

bool Recordset::HasField(const QString& name) const {
    impl_->requireOpen();
    return impl_->fields.index.contains(FoldedName(name));
}

void Recordset::SetField(const QString& name, const QVariant& value) {
    Impl& d = *impl_;
    d.requireOpen();
    const int field = d.fieldNumber(name);
    if (d.pending == Impl::Pending::None) {
        throw Error(errors::UpdateWithoutAddNewOrEdit,
                    QStringLiteral("Update or CancelUpdate without AddNew or Edit (setting %1).")
                        .arg(name));
    }
    const int column = d.fields.tableColumnOf[field];
    if (column < 0) {
        throw Error(errors::ReadOnlyObject,
                    QStringLiteral("Cannot update. The field '%1' is not a column of %2.")
                        .arg(name, d.table));
    }
    d.assigned[field] = StoredValue(d.columns[column], value);
}

void Recordset::AddNew() {
    impl_->requireUpdatable();
    impl_->assigned.clear();
    impl_->pending = Impl::Pending::Adding;
    if (const auto stamp = std::exchange(impl_->stamp, std::nullopt))
        SetField(stamp->first, stamp->second);
}

void Recordset::StampNextAddedRow(const QString& column, const QVariant& value) {
    impl_->stamp = std::pair{column, value};
}

void Recordset::Edit() {
    impl_->requireUpdatable();
    impl_->requireCurrentRow();
    impl_->assigned.clear();
    impl_->pending = Impl::Pending::Editing;
}

void Recordset::Update() {
    Impl& d = *impl_;
    d.requireOpen();
    if (d.pending == Impl::Pending::None) {
        throw Error(errors::UpdateWithoutAddNewOrEdit,
                    QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    }
    d.write();
    if (d.pending == Impl::Pending::Editing) {
        for (const auto& [field, value] : d.assigned) d.rows[d.position].values[field] = value;
    }
    d.pending = Impl::Pending::None;
    d.assigned.clear();
}

void Recordset::Close() {
    Impl& d = *impl_;
    if (!d.connection) return;
    d.cursor.reset();
    const bool release = d.ownsTransaction && d.connection->inTransaction();
    const std::shared_ptr<Connection> connection = std::move(d.connection);
    d.pending = Impl::Pending::None;
    if (release) connection->rollback();  // every Update has committed; this frees the lock
}

}  // namespace db
