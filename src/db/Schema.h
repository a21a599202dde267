#pragma once
// The schema of every table of the experiment database, in one place. Column types are
// described here; each engine renders them in its own SQL.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace db {

class Connection;

enum class ColumnType { Text, Integer, Double, Boolean, Date, Time };

// The column of the recorded tables that holds the key of the station's write of each row;
// a receipt of the recording, not data of the experiment (exports leave it out).
inline constexpr char kWriteKeyColumn[] = "WriteKey";

struct ColumnDef {
    QString name;
    ColumnType type;
    QString meaning;  // one line for the codebook
    bool optional =
        false;  // files of earlier programs lack it; the program adds it or does without
};

struct IndexDef {
    QString name;
    QStringList columns;
    QString where = {};  // a condition: the key holds among the rows that meet it
    // Run before the key is made on a database of an earlier program: an UPDATE that takes
    // the rows repeating the key out of its condition, so that the key can be made. "%1"
    // stands for the row key's name.
    QString settleRepeats = {};
};

// Rows whose order means something carry it in a column, numbered within a group of rows.
struct RowOrderDef {
    QString column;  // empty: the table's rows have no order of their own
    QString within;  // the column whose equal values form one ordered group
};

struct TableDef {
    QString name;
    bool recorded;  // dat tables are recorded by the program, tbl tables are configuration
    std::vector<ColumnDef> columns;
    std::vector<IndexDef> indexes;
    RowOrderDef order = {};
    // Columns whose values no two rows may share; see AddUniqueKeys.
    std::vector<IndexDef> uniqueKeys = {};
    bool madeAtStartUp = false;  // files of earlier programs lack it; start-up makes it
};

// A yes/no value as the tables hold it: -1 is true; anything else, empty included, is false.
bool IsTrue(const QVariant& value);

const std::vector<TableDef>& Tables();
const TableDef* FindTable(const QString& name);  // case-insensitive; nullptr if unknown

// What the program needs that the database lacks, each as "table T" or "column C of table T":
// every table and column but those the program makes or does without.
QStringList MissingForTheProgram(Connection& connection);

// What a station's login may do with a table on a lab server: exactly what the program does
// at a station. Everything not named here is refused by the server.
struct StationRights {
    bool readsEveryColumn = false;
    QStringList readColumns;  // when not every column: the ones it may read
    bool inserts = false;     // rows with any of the table's columns
    QStringList updateColumns;
};

// A lab server's answers about the experimenters' accounts, for a login that may not read
// them. Settings: for each account of the user name, its stored hash's scheme, iterations and
// salt ("pbkdf2-sha256$ITERATIONS$SALT"), or an empty text for one stored in clear. Check:
// given the user name and a stored form, -1 when an account holds exactly that, else 0.
inline constexpr char kPasswordSettings[] = "fluxmere_password_settings";
inline constexpr char kPasswordCheck[] = "fluxmere_password_right";

// Follows the table's columns, so that a column added later is covered.
StationRights StationRightsOn(const TableDef& table);

struct TableRights {
    QString table;
    StationRights rights;
};
// A station's rights on every table.
std::vector<TableRights> StationRightsOnEveryTable();

// Creates every table and index that does not exist yet.
void CreateSchema(Connection& connection);

// Adds the columns of the table that a file made by an earlier program lacks.
void AddMissingColumns(Connection& connection, const QString& table);

// Whether every table exists with every column and unique key: a database that needs no
// change before the program records into it.
bool SchemaIsCurrent(Connection& connection);

// Brings an existing database's tables up to date: missing tables, columns and unique keys.
void UpdateSchema(Connection& connection);

// Adds the table's unique keys that it lacks, settling the rows that repeat one first where
// the key says how. A database whose rows still repeat a key (made before the key existed)
// keeps working without that key.
void AddUniqueKeys(Connection& connection, const QString& table);

// " ORDER BY ..." for a table's rows in their order: by its order column where the table has
// one (files made before it existed have none), rows without a number last, ties and the
// rest in stored order.
QString OrderOfRows(Connection& connection, const QString& table);

// The same order for rows already read, given each row's value of the order column:
// the row indexes, numbers ascending, rows without a number last, ties as they came.
std::vector<int> OrderByNumber(const std::vector<QVariant>& numbers);

// The rows read, in that order.
template <typename Row>
std::vector<Row> InNumberOrder(const std::vector<Row>& rows, const std::vector<QVariant>& numbers) {
    std::vector<Row> ordered;
    ordered.reserve(rows.size());
    for (const int row : OrderByNumber(numbers)) ordered.push_back(rows[row]);
    return ordered;
}

}  // namespace db
