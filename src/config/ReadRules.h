#pragma once
// How configuration columns are read. `where` names the row in messages, for example
// "Version 'A' in tblSetup"; every failure raises ConfigError.

#include <QString>
#include <QVariant>
#include <cstdint>

#include "config/ConfigError.h"

namespace config {

// A number; null, or a text that is no number, is an error.
double ReadDouble(const QVariant& value, const QString& column, const QString& where);

// The nearest whole number, a half going to the even neighbour; a result outside the
// field's width is an error.
std::int16_t ReadInt16(const QVariant& value, const QString& column, const QString& where);
std::int32_t ReadInt32(const QVariant& value, const QString& column, const QString& where);

// The text of the value; null gives the empty text.
QString ReadText(const QVariant& value);

// A number as the experimenter would write it in a message: 40000, 30.5, -1.
QString NumberForMessage(double x);

// "<where>: the column <column> is missing."
ConfigError MissingColumn(const QString& column, const QString& where);

// "<where>: <column> is <x>, outside the range <low> to <high>."
ConfigError OutOfRange(double x, double low, double high, const QString& column,
                       const QString& where);
// Raises OutOfRange unless low <= x <= high.
void RequireRange(double x, double low, double high, const QString& column, const QString& where);

}  // namespace config
