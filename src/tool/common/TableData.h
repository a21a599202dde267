#pragma once
// What the commands share about the experiment database: opening it, the columns of a
// table with their types, and small query results held in memory.

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

#include "db/Engine.h"
#include "db/Schema.h"

namespace tool {

// Opens the experiment database with the program's password; a failure becomes a ToolError
// that names the file.
std::unique_ptr<db::Connection> OpenExperimentDatabase(const QString& path, db::OpenMode mode);

// The first fault a quick read of every page finds, as "damaged: ..."; empty when the file
// reads as sound (a lab server keeps its own pages sound).
QString FirstDamage(db::Connection& connection);

// Refuses a damaged file before anything is written into it.
void RequireUndamaged(db::Connection& connection);

struct TableColumn {
    QString name;
    db::ColumnType type;
    QString meaning;
    bool inFile = true;  // false: a column of the schema that the file lacks
};

// The columns of a table as the file has them, in table order, typed and described by the
// schema (a column the schema does not know is typed as the engine reports it).
std::vector<TableColumn> ColumnsOf(db::Connection& connection, const QString& table);

QString TypeName(db::ColumnType type);

// The position of a column (name in any letter case) among columns; -1 if it is not there.
int ColumnIndex(const std::vector<TableColumn>& columns, const QString& name);

// A small query result held in memory; values as Statement::value gives them.
class Rows {
  public:
    Rows(db::Connection& connection, const QString& sql, const QVariantList& parameters = {});

    int size() const { return static_cast<int>(rows_.size()); }
    bool empty() const { return rows_.empty(); }
    // The value of a column (name in any letter case) in a row; the column must exist.
    const QVariant& at(int row, const QString& column) const;

  private:
    int columnIndex(const QString& column) const;

    QStringList columns_;
    std::vector<std::vector<QVariant>> rows_;
};

void BindAll(db::Statement& statement, const QVariantList& parameters);

}  // namespace tool

namespace tool {

// Whether datSubject has the column that marks simulated participants (files made before
// simulated participants lack it and hold none).
bool MarksSimulated(db::Connection& connection);

// The table's name as the schema spells it, for a name in any letter case; throws a
// ToolError listing the tables when there is none.
QString ResolveTableName(db::Connection& connection, const QString& name);

}  // namespace tool
