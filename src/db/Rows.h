#pragma once
// Small typed helpers above a connection: the rows a query returns, read whole and found by
// column name; and one row of a table to insert or change, each value stored as its column
// keeps it. The statements are rendered for the connection's engine.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>
#include <vector>

#include "db/Engine.h"

namespace db {

// An SQL SELECT text with the values of its ? placeholders in order. A text that names its
// values itself converts to one.
struct Query {
    Query(const QString& text) : sql(text) {}  // NOLINT(google-explicit-constructor)
    Query(QString text, QVariantList values)
        : sql(std::move(text)), parameters(std::move(values)) {}
    QString sql;
    QVariantList parameters;
};

// The rows of a query, read whole when made: no read stays open on the connection, so no lock
// is kept while the caller works through them.
class Rows {
  public:
    Rows(Connection& connection, const Query& query);

    // No current row; an empty result is at its end at once.
    bool atEnd() const { return position_ >= rows_.size(); }
    void next();
    std::size_t count() const { return rows_.size(); }

    // Whether the result has a column of that name (in any letter case).
    bool has(const QString& column) const;
    // The column's value in the current row. Unknown column: 3265; no current row: 3021.
    QVariant value(const QString& column) const;

  private:
    QString sql_;
    QHash<QString, int> index_;  // folded name -> first result column of that name
    std::vector<std::vector<QVariant>> rows_;
    std::size_t position_ = 0;
};

// Values for the columns of one row of a table, each converted to its column's type as it
// is set (a yes/no column stores -1 or 0, a whole number rounds half to even). Set twice, a
// column keeps the later value.
class TableRow {
  public:
    // Raises 3078 when the database has no such table.
    TableRow(Connection& connection, const QString& table);

    bool has(const QString& column) const;
    // Unknown column: 3265; a value the column cannot hold: 13 or 6.
    void set(const QString& column, const QVariant& value);

    // Appends the row.
    void insert();
    // Changes the first row (in stored order) that condition selects, its "?" bound to
    // conditionValues, to the values set; false when no row matched.
    bool updateFirst(const QString& condition, const QVariantList& conditionValues);

  private:
    Connection& connection_;
    QString table_;
    std::vector<ColumnInfo> columns_;
    std::shared_ptr<const QHash<QString, int>> index_;  // folded name -> table column
    std::map<int, QVariant> values_;                    // table column -> value to store
    int columnIndex(const QString& column) const;
};

}  // namespace db
