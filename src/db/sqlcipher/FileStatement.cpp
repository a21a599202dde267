#include "db/sqlcipher/FileStatement.h"

#include <sqlite3.h>

#include "db/sqlcipher/FileConnection.h"

namespace db::sqlcipher {

FileStatement::FileStatement(FileConnection& connection, const QString& sql)
    : connection_(connection), sql_(sql), stmt_(connection.takeStatement(sql)) {}

FileStatement::~FileStatement() {
    connection_.returnStatement(sql_, stmt_);
}

void FileStatement::check(int engineResult) {
    if (engineResult != SQLITE_OK)
        connection_.raise(engineResult, QStringLiteral("binding a value"));
}

void FileStatement::bindText(int position, std::string_view utf8) {
    check(sqlite3_bind_text64(stmt_, position, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                              SQLITE_UTF8));
}
void FileStatement::bindDouble(int position, double value) {
    check(sqlite3_bind_double(stmt_, position, value));
}
void FileStatement::bindInt(int position, long long value) {
    check(sqlite3_bind_int64(stmt_, position, value));
}
void FileStatement::bindBlob(int position, const QByteArray& bytes) {
    check(sqlite3_bind_blob64(stmt_, position, bytes.constData(), bytes.size(), SQLITE_TRANSIENT));
}
void FileStatement::bindNull(int position) {
    check(sqlite3_bind_null(stmt_, position));
}

bool FileStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const QString sql = QString::fromUtf8(sqlite3_sql(stmt_));
    sqlite3_reset(stmt_);
    connection_.raise(rc, sql);
}

void FileStatement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int FileStatement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString FileStatement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

ValueKind FileStatement::kind(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
        case SQLITE_INTEGER:
            return ValueKind::Integer;
        case SQLITE_FLOAT:
            return ValueKind::Real;
        case SQLITE_TEXT:
            return ValueKind::Text;
        case SQLITE_BLOB:
            return ValueKind::Blob;
        default:
            return ValueKind::Null;
    }
}

std::string_view FileStatement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!data) return {};
    return {data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}

double FileStatement::doubleValue(int column) const {
    return sqlite3_column_double(stmt_, column);
}
long long FileStatement::intValue(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

QByteArray FileStatement::blob(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt_, column));
}

}  // namespace db::sqlcipher
