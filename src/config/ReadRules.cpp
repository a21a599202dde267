#include "config/ReadRules.h"

#include <limits>

#include "config/ConfigError.h"
#include "runtime/MessageText.h"
#include "runtime/NumberText.h"
#include "runtime/RuntimeError.h"

namespace config {

namespace {

template <typename Int>
Int ReadWhole(const QVariant& value, const QString& column, const QString& where,
              Int (*convert)(double)) {
    const double x = ReadDouble(value, column, where);
    try {
        return convert(x);
    } catch (const runtime::RuntimeError& error) {
        if (error.number() != runtime::errors::Overflow) throw;
        throw OutOfRange(x, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max(),
                         column, where);
    }
}

}  // namespace

double ReadDouble(const QVariant& value, const QString& column, const QString& where) {
    if (value.isNull()) {
        throw ConfigError(
            QStringLiteral("%1: %2 is empty; it must hold a number.").arg(where, column));
    }
    bool ok = false;
    const double x = value.toDouble(&ok);
    if (!ok) {
        throw ConfigError(QStringLiteral("%1: %2 holds '%3', which is not a number.")
                              .arg(where, column, runtime::ValueForMessage(value.toString())));
    }
    return x;
}

std::int16_t ReadInt16(const QVariant& value, const QString& column, const QString& where) {
    return ReadWhole<std::int16_t>(value, column, where, runtime::ToInt16);
}

std::int32_t ReadInt32(const QVariant& value, const QString& column, const QString& where) {
    return ReadWhole<std::int32_t>(value, column, where, runtime::ToInt32);
}

QString ReadText(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

QString NumberForMessage(double x) {
    return QString::number(x, 'g', 15);
}

ConfigError MissingColumn(const QString& column, const QString& where) {
    return ConfigError(QStringLiteral("%1: the column %2 is missing.").arg(where, column));
}

ConfigError OutOfRange(double x, double low, double high, const QString& column,
                       const QString& where) {
    return ConfigError(QStringLiteral("%1: %2 is %3, outside the range %4 to %5.")
                           .arg(where, column, NumberForMessage(x), NumberForMessage(low),
                                NumberForMessage(high)));
}

void RequireRange(double x, double low, double high, const QString& column, const QString& where) {
    if (!(x >= low && x <= high)) throw OutOfRange(x, low, high, column, where);
}

}  // namespace config
