#include "tool/common/TypedCell.h"

#include <QDate>
#include <QTime>
#include <charconv>
#include <cmath>

#include "runtime/MessageText.h"

namespace tool {

namespace {

bool ParseDouble(std::string_view text, double& value) {
    text = TrimmedCell(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
           std::isfinite(value);
}

bool ParseWhole(std::string_view text, long long& value) {
    text = TrimmedCell(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc() && result.ptr == text.data() + text.size()) return true;
    // Spreadsheets may write a whole number as 30.0.
    double number;
    if (!ParseDouble(text, number) || number != std::floor(number) || std::fabs(number) > 9.0e15)
        return false;
    value = static_cast<long long>(number);
    return true;
}

// What export writes (TRUE, FALSE, in any letter case) and what the tables hold (-1, 0); one
// set for every engine, so that a file means the same wherever it is imported.
bool ParseBoolean(std::string_view text, bool& value) {
    const QString word = QString::fromUtf8(TrimmedCell(text)).toLower();
    value = word == QStringLiteral("true") || word == QStringLiteral("-1");
    return value || word == QStringLiteral("false") || word == QStringLiteral("0");
}

QString Shown(std::string_view text) {
    return QLatin1Char('\'') + runtime::ValueForMessage(QString::fromUtf8(text)) +
           QLatin1Char('\'');
}

TypedCell Refused(QString problem) {
    return {QVariant(), std::move(problem)};
}

TypedCell ParseText(std::string_view text) {
    if (!IsValidUtf8(text))
        return Refused(QStringLiteral("the text is not UTF-8 (save the file as \"CSV UTF-8\")"));
    // The program's texts end at a NUL, so what follows it would be lost unseen.
    if (text.find('\0') != std::string_view::npos)
        return Refused(QStringLiteral("the text holds a NUL character"));
    return {QString::fromUtf8(text), {}};
}

TypedCell ParseNumber(std::string_view text) {
    double value;
    if (ParseDouble(text, value)) return {value, {}};
    if (text.find(',') != std::string_view::npos)
        return Refused(Shown(text) +
                       QStringLiteral(" is not a number (write decimals with a point)"));
    return Refused(Shown(text) + QStringLiteral(" is not a number"));
}

}  // namespace

std::string_view TrimmedCell(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

TypedCell ParseCell(const CsvField& cell, db::ColumnType type) {
    const std::string_view text = cell.value;
    if (text.empty() && !cell.quoted) {
        // Yes/no columns are never empty: an empty cell is "no", as the column's default.
        return {type == db::ColumnType::Boolean ? QVariant(0LL) : QVariant(), {}};
    }
    switch (type) {
        case db::ColumnType::Text:
            return ParseText(text);
        case db::ColumnType::Integer: {
            long long value;
            if (!ParseWhole(text, value))
                return Refused(Shown(text) + QStringLiteral(" is not a whole number"));
            return {value, {}};
        }
        case db::ColumnType::Double:
            return ParseNumber(text);
        case db::ColumnType::Boolean: {
            bool value;
            if (!ParseBoolean(text, value))
                return Refused(Shown(text) + QStringLiteral(" is not TRUE or FALSE"));
            return {value ? -1LL : 0LL, {}};
        }
        case db::ColumnType::Date: {
            const QDate date = QDate::fromString(QString::fromUtf8(TrimmedCell(text)), Qt::ISODate);
            if (!date.isValid())
                return Refused(Shown(text) + QStringLiteral(" is not a date (yyyy-mm-dd)"));
            return {date.toString(Qt::ISODate), {}};
        }
        case db::ColumnType::Time: {
            const QTime time = QTime::fromString(QString::fromUtf8(TrimmedCell(text)), Qt::ISODate);
            if (!time.isValid())
                return Refused(Shown(text) + QStringLiteral(" is not a time of day (hh:mm:ss)"));
            return {time.toString(QStringLiteral("hh:mm:ss")), {}};
        }
    }
    return {};
}

QString CellText(const QVariant& value, db::ColumnType type) {
    if (value.isNull()) return {};
    switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int: {
            const long long whole = value.toLongLong();
            if (type == db::ColumnType::Boolean && (whole == -1 || whole == 0))
                return whole ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            return QString::number(whole);
        }
        case QMetaType::Double: {
            char digits[32];
            const auto result = std::to_chars(digits, digits + sizeof digits, value.toDouble());
            return QString::fromLatin1(digits, static_cast<int>(result.ptr - digits));
        }
        default:
            return value.toString();
    }
}

}  // namespace tool
