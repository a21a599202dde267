#pragma once
// What an engine implements behind db::Connection and db::Statement. Each engine lives in a
// folder of its own under db/ and is chosen by the database's location (db/Engines.cpp).
// An engine raises every failure as db::Error with the numbers of db/Error.h.

#include <QByteArray>
#include <QString>
#include <memory>
#include <string_view>
#include <vector>

#include "db/Engine.h"

namespace db::backend {

// "INTO table (columns) VALUES (?, ...)" of an INSERT, the names quoted.
QString InsertTargetSql(const QString& table, const QStringList& columns);

class StatementBackend {
  public:
    virtual ~StatementBackend() = default;

    // Positions count from 1.
    virtual void bindText(int position, std::string_view utf8) = 0;
    virtual void bindDouble(int position, double value) = 0;
    virtual void bindInt(int position, long long value) = 0;
    virtual void bindBlob(int position, const QByteArray& bytes) = 0;
    virtual void bindNull(int position) = 0;

    virtual bool step() = 0;
    // Back before the first row, with no values bound.
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual ValueKind kind(int column) const = 0;
    // Valid until the next step.
    virtual std::string_view text(int column) const = 0;
    virtual double doubleValue(int column) const = 0;
    virtual long long intValue(int column) const = 0;
    virtual QByteArray blob(int column) const = 0;
};

class ConnectionBackend {
  public:
    virtual ~ConnectionBackend() = default;

    // The database as messages name it: a file path, or a server without its password.
    virtual QString location() const = 0;

    virtual void execute(const QString& sql) = 0;
    // An engine that keeps what it knows of the tables forgets it here.
    virtual void changeSchema(const QString& sql) { execute(sql); }
    virtual std::unique_ptr<StatementBackend> prepare(const QString& sql) = 0;

    virtual void beginWrite() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;
    virtual int changes() const = 0;
    // Connection::insertUnlessKeyTaken's statement, with a "?" for each value.
    virtual QString insertUnlessKeyTakenSql(const QString& table,
                                            const QStringList& columns) const = 0;
    virtual void setBusyTimeout(int milliseconds) = 0;

    // Columns of a table in table order, typed; the row key is not among them.
    virtual std::vector<ColumnInfo> tableColumns(const QString& table) = 0;
    virtual bool tableExists(const QString& table) = 0;
    virtual bool indexExists(const QString& index) = 0;
    // Whether the login may change the tables and accounts. A file's opener may; on a server,
    // the database's owner or a superuser.
    virtual bool holdsOwnersRights() { return true; }
    // The login the connection uses; empty where there are none (a file).
    virtual QString loginName() { return QString(); }
    // Gives an existing login exactly a station's rights; an engine without logins says so.
    virtual void grantStationRights(const QString& /*role*/,
                                    const std::vector<TableRights>& /*rights*/) {
        throw Error(errors::CannotOpenFile,
                    QStringLiteral("%1 has no logins: a station's rights are given on a lab "
                                   "server.")
                        .arg(location()));
    }
    // The SQL name of the key the engine keeps for every row: a whole number, rising in the
    // order rows are stored, never exported.
    virtual QString rowKey() const = 0;
    // Writes a consistent copy of the database into a new file at copyPath, opened by the same
    // password, while others may go on writing. An engine whose copies are its server's
    // business says so by an error.
    virtual void backupTo(const QString& /*copyPath*/) {
        throw Error(errors::EngineFailure,
                    QStringLiteral("%1 is kept by a database server: take its backups with the "
                                   "server's own tools.")
                        .arg(location()));
    }
    // A server engine leaves its storage to the server, which checks it itself.
    virtual QStringList checkIntegrity(IntegrityDepth /*depth*/, int /*maxFaults*/) { return {}; }
    // Creates the table and its indexes unless they exist.
    // Rows recorded by any station, told as they commit: a socket that becomes readable then,
    // or -1 when the engine cannot tell and its callers poll.
    virtual int recordingSocket() { return -1; }
    // Whether rows were recorded since it was last asked; reads what the socket holds.
    virtual bool recordedSinceAsked() { return false; }
    virtual void createTable(const TableDef& table) = 0;
    virtual void addColumn(const QString& table, const ColumnDef& column) = 0;
};

}  // namespace db::backend
