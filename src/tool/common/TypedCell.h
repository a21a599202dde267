#pragma once
// A cell as the experimenter types it, in a CSV file or in the lab window's forms, and the
// value its column stores. One reading for both, so that a value typed in either place is
// stored alike.

#include <QString>
#include <QVariant>
#include <string_view>

#include "db/Schema.h"
#include "tool/common/Csv.h"

namespace tool {

// Spaces and tabs around a cell do not count.
std::string_view TrimmedCell(std::string_view text);

struct TypedCell {
    QVariant value;   // what the column stores; null: no value
    QString problem;  // what is wrong with the text ("'x' is not a number"); empty: none
};

// An unquoted empty cell is no value, except in a yes/no column, where it is "no" as the
// column's default. Texts must be UTF-8 without NUL; whole numbers may be written as 30.0;
// yes/no is TRUE or FALSE in any letter case, or -1 and 0; dates yyyy-mm-dd, times hh:mm:ss.
TypedCell ParseCell(const CsvField& cell, db::ColumnType type);

// A stored value as a cell says it, read back by ParseCell as the same value: the shortest
// text of a number, TRUE or FALSE for yes/no.
QString CellText(const QVariant& value, db::ColumnType type);

}  // namespace tool
