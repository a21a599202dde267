#pragma once
// Workspaces, databases and recordsets as the screens and procedures use them: snapshot
// (read-only) and dynaset (updatable) recordsets, field values by case-insensitive column
// name, AddNew/Edit/Update, MoveFirst/MoveLast/MoveNext, Eof and RecordCount.

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

#include "db/Engine.h"

namespace db {

enum RecordsetType { dbOpenDynaset = 2, dbOpenSnapshot = 4 };

// A recordset's source: a table name or an SQL SELECT text, with the values of the text's ?
// placeholders in order. A text that names its values itself converts to one.
struct Query {
    Query(const QString& text) : sql(text) {}  // NOLINT(google-explicit-constructor)
    Query(QString text, QVariantList values)
        : sql(std::move(text)), parameters(std::move(values)) {}
    QString sql;
    QVariantList parameters;
};

class Recordset;

class Database {
  public:
    Database(const QString& path, bool readOnly, const QString& connect);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // source: a table name (all its rows; appending) or an SQL SELECT text.
    // A dynaset on a read-only database, or a snapshot, can never write.
    std::unique_ptr<Recordset> OpenRecordset(const Query& source, RecordsetType type);
    void Close();
    bool isOpen() const { return connection_ != nullptr; }
    Connection& connection();  // raises 91 once closed
    // Recordsets share the connection, so a recordset stays usable (and keeps the file
    // open) until it is closed, even if its database object goes first.
    std::shared_ptr<Connection> sharedConnection();  // raises 91 once closed

  private:
    std::shared_ptr<Connection> connection_;
};

class Workspace {
  public:
    // connect is ";pwd=" followed by the database password. exclusive is accepted and not
    // used: stations share the file, and its locks keep each write whole.
    std::shared_ptr<Database> OpenDatabase(const QString& path, bool exclusive, bool readOnly,
                                           const QString& connect);
    void Close() {}
};

// The engine's default workspace, Workspaces(0).
std::shared_ptr<Workspace> DefaultWorkspace();

class Recordset {
  public:
    Recordset(Database& database, const Query& source, RecordsetType type);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool Eof() const;          // no current row; an empty result is Eof at once
    long RecordCount() const;  // rows visited so far; exact after MoveLast
    void MoveFirst();
    void MoveLast();
    void MoveNext();

    // The value of a column of the current row (or of the row being added or edited).
    // Unknown column: 3265; no current row: 3021.
    QVariant Field(const QString& name) const;
    QVariant operator[](const QString& name) const { return Field(name); }
    bool HasField(const QString& name) const;
    // Assigns a column of the row being added or edited; any non-zero written to a
    // yes/no column is stored as -1.
    void SetField(const QString& name, const QVariant& value);

    void AddNew();
    // The next row added also stores value in column, whatever the write sets.
    void StampNextAddedRow(const QString& column, const QVariant& value);
    void Edit();
    // Appends the new row, or changes exactly the edited row (by the engine's row key).
    void Update();
    void Close();

    // A dynaset on a writable database over a single table; never a snapshot.
    bool Updatable() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    RecordsetType type_;
    bool readOnlyDatabase_;
};

}  // namespace db
