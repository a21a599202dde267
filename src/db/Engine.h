#pragma once
// The engine interface: connections and statements on the experiment database, whichever
// engine holds it. The location chooses the engine (a file path: the encrypted file). Both
// are RAII objects that cannot be copied; every failure is raised as db::Error with the
// engine's number.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <string_view>
#include <vector>

#include "db/Error.h"
#include "db/Schema.h"

namespace db {

namespace backend {
class ConnectionBackend;
class StatementBackend;
}  // namespace backend

// The database password the program opens the experiment database with.
QString DatabasePassword();

// A table or column name quoted for an SQL text ("name", inner quotes doubled).
inline QString QuoteIdentifier(QString name) {
    name.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

enum class OpenMode { ReadOnly, ReadWrite, Create };

// The kind of value a column holds in the current row.
enum class ValueKind { Null, Integer, Real, Text, Blob };

struct ColumnInfo {
    QString name;
    ColumnType type;
};

// How much an integrity check reads: every page and row (Quick), or also whether every index
// agrees with its table (Full), which takes about twice as long.
enum class IntegrityDepth { Quick, Full };

class Statement;

class Connection {
  public:
    // Opens (or, with OpenMode::Create, creates) the database at the location with the
    // password. Errors: FileNotFound, NotValidPassword, NotADatabase, FileLockRefused, ...
    // With a busy timeout, opening already waits that long for a writer to let go.
    Connection(const QString& location, const QString& password, OpenMode mode,
               int busyTimeoutMilliseconds = 0);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The database as messages name it (never with a password).
    QString location() const;
    bool readOnly() const { return mode_ == OpenMode::ReadOnly; }

    // Runs one or more statements that change rows or nothing, and return no rows.
    void execute(const QString& sql);
    // Runs statements that make, alter or drop tables, indexes, databases or logins: every
    // connection to the database forgets what it knew of its tables.
    void changeSchema(const QString& sql);
    Statement prepare(const QString& sql);

    // Takes the write lock now so that a conflict shows at once.
    void beginWrite();
    // Raises, having undone the transaction, when a Transaction joined to it ended uncommitted.
    void commit();
    // Undoes an open transaction; nothing when none is open.
    void rollback();
    bool inTransaction() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    // Inserts one row in one statement unless it would repeat a unique key of the table: then
    // the row holding the key stays and nothing is inserted (false). Values in column order.
    bool insertUnlessKeyTaken(const QString& table, const QStringList& columns,
                              const QVariantList& values);
    // Inserts one row; values in column order, no columns: a row of the columns' defaults.
    void insert(const QString& table, const QStringList& columns, const QVariantList& values);
    // Changes the first row in stored order that condition selects (its "?" bound to
    // conditionValues): the columns to the values. False when no row matched.
    bool updateFirst(const QString& table, const QStringList& columns, const QVariantList& values,
                     const QString& condition, const QVariantList& conditionValues);

    // Waits up to this long for another connection's lock before failing.
    void setBusyTimeout(int milliseconds);

    // Column names and types of a table, in table order; empty if no such table.
    std::vector<ColumnInfo> tableColumns(const QString& table);
    bool tableExists(const QString& table);
    bool indexExists(const QString& index);

    // Whether this login may change the tables and the experimenters' accounts: whoever opens
    // a file; on a lab server, the database's owner or a superuser.
    bool holdsOwnersRights();
    // The login used on a server; empty for a file.
    QString loginName();
    // Gives the server's existing login role exactly what a station does (see
    // StationRightsOn), taking away anything more; the same rights however often it is run.
    void grantStationRights(const QString& role);

    // The SQL name of the key the engine keeps for every row: a whole number that rises in
    // the order rows are stored. No table column carries it, so exports leave it out.
    QString rowKey() const;

    // Writes a consistent copy into a new file at copyPath, opened by the same password, while
    // stations go on recording; an existing file is never overwritten. The copy appears under
    // its name only when it is complete and reads back without damage.
    void backupTo(const QString& copyPath);

    // Reads the database for damage; each fault found (at most maxFaults), in the engine's
    // words. None when the database is sound, or when the engine's storage is its server's
    // to check.
    QStringList checkIntegrity(IntegrityDepth depth, int maxFaults);

    // Creates the table and its indexes unless they exist (see CreateSchema).
    // Rows recorded by any station, told as they commit: a socket that becomes readable then,
    // or -1 when the engine cannot tell (a file), and its callers poll.
    int recordingSocket();
    // Whether rows were recorded since it was last asked. Raises when the engine lost the way
    // it is told.
    bool recordedSinceAsked();
    void createTable(const TableDef& table);
    // Adds a column to a table made before the column existed (see AddMissingColumns).
    void addColumn(const QString& table, const ColumnDef& column);

  private:
    friend class Transaction;
    std::unique_ptr<backend::ConnectionBackend> backend_;
    OpenMode mode_;
    // A part of the open transaction failed: it may only be undone.
    bool transactionFailed_ = false;
};

// A write transaction: takes the write lock, and is rolled back unless committed, so that a
// failure half-way leaves the database as it was. Opened while the connection holds a
// transaction already, it joins that one: its commit stores nothing yet (the outermost
// commits), and ending it uncommitted dooms the whole transaction, whose commit then undoes
// everything and raises.
class Transaction {
  public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Connection& connection_;
    const bool joined_;
    bool open_ = true;
};

class Statement {
  public:
    explicit Statement(std::unique_ptr<backend::StatementBackend> backend);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds by 1-based position. A bool binds -1 or 0; dates and times bind as
    // "yyyy-MM-dd" and "HH:mm:ss" texts.
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
    bool isNull(int column) const;
    // Integer columns come back as qlonglong, real as double, text as QString, null as an
    // invalid QVariant.
    QVariant value(int column) const;
    // Raw UTF-8 text of a column, valid until the next step (fast path for export).
    std::string_view text(int column) const;
    double doubleValue(int column) const;
    long long intValue(int column) const;
    ValueKind kind(int column) const;

  private:
    std::unique_ptr<backend::StatementBackend> backend_;
};

}  // namespace db
