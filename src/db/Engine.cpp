#include "db/Engine.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "db/Backend.h"
#include "db/Engines.h"

namespace db {

QString DatabasePassword() {
    return QStringLiteral("KvNp_*R*_z");
}

namespace backend {

QString InsertTargetSql(const QString& table, const QStringList& columns) {
    QStringList names;
    QStringList values;
    for (const QString& column : columns) {
        names << QuoteIdentifier(column);
        values << QStringLiteral("?");
    }
    return QStringLiteral("INTO %1 (%2) VALUES (%3)")
        .arg(QuoteIdentifier(table), names.join(QStringLiteral(", ")),
             values.join(QStringLiteral(", ")));
}

}  // namespace backend

// ---- connection ----------------------------------------------------------------------------

Connection::Connection(const QString& location, const QString& password, OpenMode mode,
                       int busyTimeoutMilliseconds)
    : backend_(OpenBackend(location, password, mode, busyTimeoutMilliseconds)), mode_(mode) {}

Connection::~Connection() = default;

QString Connection::location() const {
    return backend_->location();
}

void Connection::execute(const QString& sql) {
    backend_->execute(sql);
}

void Connection::changeSchema(const QString& sql) {
    backend_->changeSchema(sql);
}

Statement Connection::prepare(const QString& sql) {
    return Statement(backend_->prepare(sql));
}

void Connection::beginWrite() {
    backend_->beginWrite();
    transactionFailed_ = false;
}
void Connection::commit() {
    if (transactionFailed_) {
        rollback();
        throw Error(errors::EngineFailure,
                    QStringLiteral("Nothing was stored in %1: a part of the transaction failed, "
                                   "so all of it was undone.")
                        .arg(location()));
    }
    backend_->commit();
}
void Connection::rollback() {
    backend_->rollback();
    transactionFailed_ = false;
}
bool Connection::inTransaction() const {
    return backend_->inTransaction();
}
int Connection::changes() const {
    return backend_->changes();
}

namespace {
void BindAll(Statement& statement, const QVariantList& values, int first = 1) {
    for (qsizetype i = 0; i < values.size(); ++i) statement.bind(first + int(i), values[i]);
}
}  // namespace

bool Connection::insertUnlessKeyTaken(const QString& table, const QStringList& columns,
                                      const QVariantList& values) {
    Statement insert = prepare(backend_->insertUnlessKeyTakenSql(table, columns));
    BindAll(insert, values);
    insert.step();
    return changes() > 0;
}

void Connection::insert(const QString& table, const QStringList& columns,
                        const QVariantList& values) {
    Statement insert =
        prepare(columns.isEmpty()
                    ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuoteIdentifier(table))
                    : QStringLiteral("INSERT ") + backend::InsertTargetSql(table, columns));
    BindAll(insert, values);
    insert.step();
}

bool Connection::updateFirst(const QString& table, const QStringList& columns,
                             const QVariantList& values, const QString& condition,
                             const QVariantList& conditionValues) {
    QStringList sets;
    for (const QString& column : columns) sets << QuoteIdentifier(column) + QStringLiteral(" = ?");
    const QString key = rowKey();
    Statement update =
        prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = (SELECT %3 FROM %1 WHERE %4 ORDER BY "
                               "%3 LIMIT 1)")
                    .arg(QuoteIdentifier(table), sets.join(QStringLiteral(", ")), key, condition));
    BindAll(update, values);
    BindAll(update, conditionValues, int(values.size()) + 1);
    update.step();
    return changes() > 0;
}

void Connection::setBusyTimeout(int milliseconds) {
    backend_->setBusyTimeout(milliseconds);
}

std::vector<ColumnInfo> Connection::tableColumns(const QString& table) {
    return backend_->tableColumns(table);
}

bool Connection::tableExists(const QString& table) {
    return backend_->tableExists(table);
}

bool Connection::indexExists(const QString& index) {
    return backend_->indexExists(index);
}

bool Connection::holdsOwnersRights() {
    return backend_->holdsOwnersRights();
}

QString Connection::loginName() {
    return backend_->loginName();
}

void Connection::grantStationRights(const QString& role) {
    backend_->grantStationRights(role, StationRightsOnEveryTable());
}

QString Connection::rowKey() const {
    return backend_->rowKey();
}

void Connection::backupTo(const QString& copyPath) {
    backend_->backupTo(copyPath);
}

QStringList Connection::checkIntegrity(IntegrityDepth depth, int maxFaults) {
    return backend_->checkIntegrity(depth, maxFaults);
}

int Connection::recordingSocket() {
    return backend_->recordingSocket();
}

bool Connection::recordedSinceAsked() {
    return backend_->recordedSinceAsked();
}

void Connection::createTable(const TableDef& table) {
    backend_->createTable(table);
}

void Connection::addColumn(const QString& table, const ColumnDef& column) {
    backend_->addColumn(table, column);
}

// ---- transaction ---------------------------------------------------------------------------

Transaction::Transaction(Connection& connection)
    : connection_(connection), joined_(connection.inTransaction()) {
    if (!joined_) connection_.beginWrite();
}

Transaction::~Transaction() {
    if (!open_) return;
    if (joined_) {
        // Undoing now would leave the outer transaction's later writes to commit one by one.
        connection_.transactionFailed_ = true;
        return;
    }
    try {
        connection_.rollback();
    } catch (const Error&) {
        // The engine has already undone a statement that failed; nothing was written.
    }
}

void Transaction::commit() {
    if (!joined_) connection_.commit();
    open_ = false;
}

// ---- statement -----------------------------------------------------------------------------

Statement::Statement(std::unique_ptr<backend::StatementBackend> backend)
    : backend_(std::move(backend)) {}

Statement::~Statement() = default;

Statement::Statement(Statement&& other) noexcept = default;

namespace {
void BindUtf8(backend::StatementBackend& statement, int position, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    statement.bindText(position, std::string_view(utf8.constData(), std::size_t(utf8.size())));
}
}  // namespace

void Statement::bind(int position, const QVariant& value) {
    if (!value.isValid() || value.isNull()) return bindNull(position);
    switch (value.typeId()) {
        case QMetaType::Bool:
            return bindInt(position, value.toBool() ? -1 : 0);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return bindInt(position, value.toLongLong());
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
            return bindDouble(position, value.toDouble());
        case QMetaType::QByteArray:
            return backend_->bindBlob(position, value.toByteArray());
        case QMetaType::QDate:
            return BindUtf8(*backend_, position, value.toDate().toString(Qt::ISODate));
        case QMetaType::QTime:
            return BindUtf8(*backend_, position,
                            value.toTime().toString(QStringLiteral("HH:mm:ss")));
        case QMetaType::QDateTime:
            return BindUtf8(*backend_, position,
                            value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        default:
            return BindUtf8(*backend_, position, value.toString());
    }
}

void Statement::bindText(int position, std::string_view utf8) {
    backend_->bindText(position, utf8);
}
void Statement::bindDouble(int position, double value) {
    backend_->bindDouble(position, value);
}
void Statement::bindInt(int position, long long value) {
    backend_->bindInt(position, value);
}
void Statement::bindNull(int position) {
    backend_->bindNull(position);
}

bool Statement::step() {
    return backend_->step();
}

void Statement::reset() {
    backend_->reset();
}

int Statement::columnCount() const {
    return backend_->columnCount();
}

QString Statement::columnName(int column) const {
    return backend_->columnName(column);
}

bool Statement::isNull(int column) const {
    return kind(column) == ValueKind::Null;
}

QVariant Statement::value(int column) const {
    switch (kind(column)) {
        case ValueKind::Null:
            return {};
        case ValueKind::Integer:
            return QVariant(qlonglong(intValue(column)));
        case ValueKind::Real:
            return QVariant(doubleValue(column));
        case ValueKind::Text: {
            const std::string_view utf8 = text(column);
            return QVariant(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        }
        case ValueKind::Blob:
            return QVariant(backend_->blob(column));
    }
    return {};
}

std::string_view Statement::text(int column) const {
    return backend_->text(column);
}

double Statement::doubleValue(int column) const {
    return backend_->doubleValue(column);
}
long long Statement::intValue(int column) const {
    return backend_->intValue(column);
}

ValueKind Statement::kind(int column) const {
    return backend_->kind(column);
}

}  // namespace db
