#pragma once
// The program's SQL as the server reads it. The program writes SQL as the encrypted file takes
// it: "?" and "?N" parameters, and table and column names in any letter case, unquoted. The
// server takes "$N", and it folds unquoted names to lower case while the tables keep their
// names as spelled ("GoalLinePoisition"). So parameters are renumbered and every name of a
// table, or of a column of a table the text names, is quoted in its stored spelling.

#include <QHash>
#include <QString>
#include <vector>

#include "db/Engine.h"
#include "db/Schema.h"

namespace db::postgresql {

// The name of the row key every table keeps: a whole number from a sequence, rising in the
// order rows are stored. Queries see it only where they name it.
inline constexpr char kRowKey[] = "fluxmere_row";
// The channel on which the recorded tables' triggers tell of rows committed.
inline constexpr char kRecordedChannel[] = "fluxmere_recorded";

// What the database holds: its tables and their columns, by lower-case name.
struct Catalog {
    struct Table {
        QString name;
        std::vector<ColumnInfo> columns;   // the row key is not among them
        QHash<QString, QString> spelling;  // lower-case column name -> stored name
    };
    QHash<QString, Table> tables;  // lower-case table name -> table
};

struct ServerSql {
    QByteArray text;
    int parameters = 0;  // the highest parameter number
};

ServerSql ToServerSql(const QString& sql, const Catalog& catalog);

// The SQL that makes what every experiment database needs beside its tables: the collation
// that compares text without regard to letter case, the yes/no type, and the functions a
// station's login asks.
QString DatabaseObjectsSql();
// CREATE TABLE and CREATE INDEX for a table, unless they exist.
QString CreateTableSql(const TableDef& table);
// ALTER TABLE that adds a column to a table made before the column existed.
QString AddColumnSql(const QString& table, const ColumnDef& column);

// The column type the program describes for a server type (by its name).
ColumnType ColumnTypeOf(const QString& serverType);

}  // namespace db::postgresql
