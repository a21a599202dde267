#pragma once
// The engine interface: the one place that knows SQLCipher. Connections and statements are
// RAII objects that cannot be copied; every engine result is checked and every failure is
// raised as db::Error with the engine's number.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <string_view>

#include "db/Error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// The database password the program opens the experiment database with.
QString DatabasePassword();

// A table or column name quoted for an SQL text ("name", inner quotes doubled).
QString QuoteIdentifier(const QString& name);

enum class OpenMode { ReadOnly, ReadWrite, Create };

class Statement;

class Connection {
  public:
    // Opens (or, with OpenMode::Create, creates) the file and keys it with the password.
    // The expensive key derivation runs once per process and file; later opens reuse it.
    // Errors: FileNotFound, NotValidPassword, NotADatabase, FileLockRefused, ...
    // With a busy timeout, opening already waits that long for a writer to let go.
    Connection(const QString& path, const QString& password, OpenMode mode,
               int busyTimeoutMilliseconds = 0);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& path() const { return path_; }
    bool readOnly() const { return mode_ == OpenMode::ReadOnly; }

    // Runs one or more statements that return no rows.
    void execute(const QString& sql);
    Statement prepare(const QString& sql);

    // Takes the write lock now (BEGIN IMMEDIATE) so that a conflict shows at once.
    void beginWrite();
    void commit();
    void rollback();
    bool inTransaction() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;

    // Waits up to this long for another connection's lock before failing.
    void setBusyTimeout(int milliseconds);

    // Column names and declared types of a table, in table order; empty if no such table.
    struct ColumnInfo {
        QString name;
        QString declaredType;
        bool isBoolean() const;  // yes/no: any non-zero written is stored as -1
        bool isInteger() const;  // whole numbers (32-bit)
        bool isReal() const;
        bool isDate() const;  // "yyyy-MM-dd" text
        bool isTime() const;  // "hh:mm:ss" text
    };
    std::vector<ColumnInfo> tableColumns(const QString& table);
    bool tableExists(const QString& table);

    sqlite3* handle() const { return db_; }
    [[noreturn]] void raise(int engineResult, const QString& context = QString()) const;

  private:
    // Opens and keys the file; false when a reader finds the journal of an interrupted write.
    bool open(const QString& password, int busyTimeoutMilliseconds);
    void key(const QString& password);
    void close() noexcept;

    QString path_;
    OpenMode mode_;
    bool keyed_ = false;
    sqlite3* db_ = nullptr;
};

class Statement {
  public:
    Statement(Connection& connection, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds by 1-based position. A QVariant of type bool binds -1 or 0.
    void bind(int position, const QVariant& value);
    void bindText(int position, std::string_view utf8);
    void bindDouble(int position, double value);
    void bindInt(int position, long long value);
    void bindNull(int position);

    // Advances to the next row; false at the end.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString columnDeclaredType(int column) const;
    bool isNull(int column) const;
    // Integer columns come back as qlonglong, real as double, text as QString, null as an
    // invalid QVariant.
    QVariant value(int column) const;
    // Raw UTF-8 text of a column, valid until the next step (fast path for export).
    std::string_view text(int column) const;
    double doubleValue(int column) const;
    long long intValue(int column) const;
    // The engine's storage class of the column in the current row.
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind(int column) const;

  private:
    Connection* connection_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace db
