#include "db/Engine.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <cmath>

#include "db/KeyCache.h"

namespace db {

QString DatabasePassword() {
    return QStringLiteral("KvNp_*R*_z");
}

QString QuoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// ---- column types --------------------------------------------------------------------------

namespace {
bool TypeHas(const QString& declared, const char* word) {
    return declared.contains(QLatin1String(word), Qt::CaseInsensitive);
}
}  // namespace

bool Connection::ColumnInfo::isBoolean() const {
    return TypeHas(declaredType, "BOOL") || declaredType.compare("BIT", Qt::CaseInsensitive) == 0;
}
bool Connection::ColumnInfo::isInteger() const {
    return !isBoolean() && TypeHas(declaredType, "INT");
}
bool Connection::ColumnInfo::isReal() const {
    return TypeHas(declaredType, "REAL") || TypeHas(declaredType, "FLOA") ||
           TypeHas(declaredType, "DOUB");
}
bool Connection::ColumnInfo::isDate() const {
    return TypeHas(declaredType, "DATE") && !TypeHas(declaredType, "TIME");
}
bool Connection::ColumnInfo::isTime() const {
    return TypeHas(declaredType, "TIME") && !TypeHas(declaredType, "DATE");
}

// ---- connection ----------------------------------------------------------------------------

Connection::Connection(const QString& path, const QString& password, OpenMode mode,
                       int busyTimeoutMilliseconds)
    : path_(path), mode_(mode) {
    const QFileInfo file(path);
    if (mode != OpenMode::Create && !file.exists()) {
        throw Error(
            errors::FileNotFound,
            QStringLiteral("Could not find file '%1'.").arg(QDir::toNativeSeparators(path)));
    }
    if (mode != OpenMode::Create && file.isFile() && file.size() == 0) {
        throw Error(errors::NotADatabase,
                    QStringLiteral("The file '%1' is empty: it is not an experiment database.")
                        .arg(QDir::toNativeSeparators(path)));
    }
    if (file.isDir()) {
        throw Error(errors::CannotOpenFile,
                    QStringLiteral("Cannot open '%1': it is a folder, not a database file.")
                        .arg(QDir::toNativeSeparators(path)));
    }

    if (open(password, busyTimeoutMilliseconds)) return;
    // A reader cannot undo an interrupted write; a writable connection does so as it opens.
    const Error leftJournal(
        errors::ReadOnlyObject,
        QStringLiteral("An interrupted write left '%1-journal' beside the database; it is undone "
                       "the next time the file is opened with write permission. Keep that file "
                       "with the database.")
            .arg(QDir::toNativeSeparators(path)));
    try {
        Connection undo(path, password, OpenMode::ReadWrite, busyTimeoutMilliseconds);
    } catch (const Error&) {
        throw leftJournal;
    }
    if (!open(password, busyTimeoutMilliseconds)) throw leftJournal;
}

bool Connection::open(const QString& password, int busyTimeoutMilliseconds) {
    int flags = mode_ == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode_ == OpenMode::Create) flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(path_.toUtf8().constData(), &db_, flags, nullptr);
    try {
        if (rc != SQLITE_OK) raise(rc);
        setBusyTimeout(busyTimeoutMilliseconds);
        if (!password.isEmpty()) key(password);
        // Reading the schema checks the key at once: a wrong password fails here, not later.
        execute(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        // The engine quietly opens a write-protected file for reading only; a writer must know
        // now, not at its first write.
        if (mode_ != OpenMode::ReadOnly && sqlite3_db_readonly(db_, "main") == 1) {
            throw Error(errors::ReadOnlyObject,
                        QStringLiteral("The database file '%1' is read-only: nothing can be "
                                       "written into it.")
                            .arg(QDir::toNativeSeparators(path_)));
        }
        execute(QStringLiteral("PRAGMA synchronous = FULL"));
        if (mode_ == OpenMode::Create) execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
        return true;
    } catch (...) {
        const bool journalLeft = mode_ == OpenMode::ReadOnly && db_ &&
                                 sqlite3_extended_errcode(db_) == SQLITE_READONLY_ROLLBACK;
        close();
        if (!journalLeft) throw;
        return false;
    }
}

Connection::~Connection() {
    close();
}

void Connection::close() noexcept {
    if (!db_) return;
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void Connection::key(const QString& password) {
    QByteArray salt = keys::FileSalt(path_);
    if (salt.isEmpty()) salt = keys::NewSalt();
    const QByteArray pragma = "PRAGMA key = \"" + keys::RawKey(password, salt) + "\"";
    const int rc = sqlite3_exec(db_, pragma.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(rc, QStringLiteral("setting the key"));
    keyed_ = true;
}

void Connection::execute(const QString& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
    sqlite3_free(message);  // sqlite3_errmsg still holds it for raise()
    if (rc != SQLITE_OK) raise(rc, sql);
}

Statement Connection::prepare(const QString& sql) {
    return Statement(*this, sql);
}

void Connection::beginWrite() {
    execute(QStringLiteral("BEGIN IMMEDIATE"));
}
void Connection::commit() {
    execute(QStringLiteral("COMMIT"));
}
void Connection::rollback() {
    if (inTransaction()) execute(QStringLiteral("ROLLBACK"));
}
bool Connection::inTransaction() const {
    return db_ && !sqlite3_get_autocommit(db_);
}
int Connection::changes() const {
    return sqlite3_changes(db_);
}

void Connection::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

std::vector<Connection::ColumnInfo> Connection::tableColumns(const QString& table) {
    std::vector<ColumnInfo> columns;
    Statement info(*this, QStringLiteral("PRAGMA table_info(%1)").arg(QuoteIdentifier(table)));
    while (info.step()) columns.push_back({info.value(1).toString(), info.value(2).toString()});
    return columns;
}

bool Connection::tableExists(const QString& table) {
    Statement find(*this, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                         "name = ?1 COLLATE NOCASE"));
    find.bind(1, table);
    return find.step();
}

void Connection::raise(int engineResult, const QString& context) const {
    const QString file = QDir::toNativeSeparators(path_);
    const QString engineText = db_ ? QString::fromUtf8(sqlite3_errmsg(db_))
                                   : QString::fromUtf8(sqlite3_errstr(engineResult));
    const QString during = context.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(context);
    switch (engineResult & 0xFF) {
        case SQLITE_BUSY:
            throw Error(errors::FileLockRefused,
                        QStringLiteral("Could not use '%1'; file already in use.").arg(file));
        case SQLITE_LOCKED:
            throw Error(errors::RowLocked,
                        QStringLiteral("Could not update '%1'; currently locked.").arg(file));
        case SQLITE_NOTADB:
            if (keyed_) {
                throw Error(errors::NotValidPassword,
                            QStringLiteral("Not a valid password. The database password does not "
                                           "open '%1', or it is not an experiment database.")
                                .arg(file));
            }
            throw Error(errors::NotADatabase,
                        QStringLiteral("Unrecognized database format '%1'.").arg(file));
        case SQLITE_CORRUPT:
            throw Error(
                errors::NotADatabase,
                QStringLiteral("The database file '%1' is damaged: %2.").arg(file, engineText));
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw Error(errors::CannotOpenFile,
                        QStringLiteral("Cannot open the database file '%1': %2. Check that it "
                                       "exists and that you may read and write it and its "
                                       "folder.")
                            .arg(file, engineText));
        case SQLITE_READONLY:
            throw Error(
                errors::ReadOnlyObject,
                QStringLiteral("Cannot update. The database file '%1' is read-only.").arg(file));
        case SQLITE_FULL:
            throw Error(errors::DiskFull,
                        QStringLiteral("Not enough space on disk to write '%1'.").arg(file));
        case SQLITE_IOERR:
            throw Error(errors::DiskOrNetworkError,
                        QStringLiteral("Disk or network error on '%1': %2.").arg(file, engineText));
        case SQLITE_MISMATCH:
            throw Error(errors::DataTypeConversion,
                        QStringLiteral("Data type conversion error%1.").arg(during));
        case SQLITE_ERROR:
            if (engineText.startsWith(QLatin1String("no such table"))) {
                throw Error(errors::TableNotFound,
                            QStringLiteral("The database '%1' has no table or query: %2%3.")
                                .arg(file, engineText, during));
            }
            throw Error(errors::SyntaxError,
                        QStringLiteral("Error in the SQL text: %1%2.").arg(engineText, during));
        default:
            throw Error(errors::EngineFailure,
                        QStringLiteral("Database engine error on '%1': %2%3.")
                            .arg(file, engineText, during));
    }
}

// ---- statement -----------------------------------------------------------------------------

Statement::Statement(Connection& connection, const QString& sql) : connection_(&connection) {
    if (!connection.handle()) {
        throw Error(errors::ObjectNotSet, QStringLiteral("The database connection is closed."));
    }
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(connection.handle(), utf8.constData(),
                                      static_cast<int>(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        connection.raise(rc, sql);
    }
    if (!stmt_) {
        throw Error(errors::SyntaxError, QStringLiteral("The SQL text is empty: '%1'.").arg(sql));
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : connection_(other.connection_), stmt_(other.stmt_) {
    other.stmt_ = nullptr;
}

namespace {
void Check(Connection& connection, int rc) {
    if (rc != SQLITE_OK) connection.raise(rc, QStringLiteral("binding a value"));
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
            return bindDouble(position, value.toDouble());
        case QMetaType::Double:
        case QMetaType::Float:
            return bindDouble(position, value.toDouble());
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            return Check(*connection_, sqlite3_bind_blob64(stmt_, position, bytes.constData(),
                                                           bytes.size(), SQLITE_TRANSIENT));
        }
        case QMetaType::QDate:
            return bindText(position, value.toDate().toString(Qt::ISODate).toStdString());
        case QMetaType::QTime:
            return bindText(position,
                            value.toTime().toString(QStringLiteral("HH:mm:ss")).toStdString());
        case QMetaType::QDateTime:
            return bindText(
                position,
                value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString());
        default:
            return bindText(position, value.toString().toStdString());
    }
}

void Statement::bindText(int position, std::string_view utf8) {
    Check(*connection_, sqlite3_bind_text64(stmt_, position, utf8.data(), utf8.size(),
                                            SQLITE_TRANSIENT, SQLITE_UTF8));
}
void Statement::bindDouble(int position, double value) {
    Check(*connection_, sqlite3_bind_double(stmt_, position, value));
}
void Statement::bindInt(int position, long long value) {
    Check(*connection_, sqlite3_bind_int64(stmt_, position, value));
}
void Statement::bindNull(int position) {
    Check(*connection_, sqlite3_bind_null(stmt_, position));
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString sql = QString::fromUtf8(sqlite3_sql(stmt_));
    sqlite3_reset(stmt_);
    connection_->raise(rc, sql);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QString Statement::columnDeclaredType(int column) const {
    const char* type = sqlite3_column_decltype(stmt_, column);
    return type ? QString::fromUtf8(type) : QString();
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

QVariant Statement::value(int column) const {
    switch (kind(column)) {
        case Kind::Null:
            return {};
        case Kind::Integer:
            return QVariant(qlonglong(sqlite3_column_int64(stmt_, column)));
        case Kind::Real:
            return QVariant(sqlite3_column_double(stmt_, column));
        case Kind::Text: {
            const std::string_view utf8 = text(column);
            return QVariant(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        }
        case Kind::Blob: {
            const void* data = sqlite3_column_blob(stmt_, column);
            return QVariant(
                QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt_, column)));
        }
    }
    return {};
}

std::string_view Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!data) return {};
    return {data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}

double Statement::doubleValue(int column) const {
    return sqlite3_column_double(stmt_, column);
}
long long Statement::intValue(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

Statement::Kind Statement::kind(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_INTEGER:
            return Kind::Integer;
        case SQLITE_FLOAT:
            return Kind::Real;
        case SQLITE_TEXT:
            return Kind::Text;
        case SQLITE_BLOB:
            return Kind::Blob;
        default:
            return Kind::Null;
    }
}

}  // namespace db
