#pragma once
// The schema of every table of the experiment database, in one place.

#include <QString>
#include <QStringList>
#include <vector>

namespace db {

class Connection;

enum class ColumnType { Text, Integer, Double, Boolean, Date, Time };

struct ColumnDef {
    QString name;
    ColumnType type;
    QString meaning;  // one line for the codebook
};

struct TableDef {
    QString name;
    bool recorded;  // dat tables are recorded by the program, tbl tables are configuration
    std::vector<ColumnDef> columns;
    QStringList indexes;  // CREATE INDEX statements
};

const std::vector<TableDef>& Tables();
const TableDef* FindTable(const QString& name);  // case-insensitive; nullptr if unknown

// Creates every table and index that does not exist yet.
void CreateSchema(Connection& connection);

// Adds the columns of the table that a file made by an earlier program lacks.
void AddMissingColumns(Connection& connection, const QString& table);

}  // namespace db
