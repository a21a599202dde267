#include "runtime/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/RuntimeError.h"

namespace runtime {

namespace {

struct Pattern {
    int integerDigits = 1;
    int decimals = 0;
};

Pattern ParsePattern(const QString& pattern) {
    Pattern parsed;
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    parsed.integerDigits = static_cast<int>(point < 0 ? pattern.size() : point);
    parsed.decimals = static_cast<int>(point < 0 ? 0 : pattern.size() - point - 1);
    return parsed;
}

// |x| as a fixed-point text with the given decimals, halves away from zero. The rounding is
// done on the 15-digit decimal form of x, so that 2.675 and 1.0625 round as they read.
QString RoundedMagnitude(double magnitude, int decimals) {
    const QString scientific = QString::number(magnitude, 'e', 14);  // d.dddddddddddddde+XX
    const qsizetype ePos = scientific.indexOf(QLatin1Char('e'));
    QString digits = scientific.left(ePos).remove(QLatin1Char('.'));  // 15 digits
    const int exponent = scientific.mid(ePos + 1).toInt();
    // value = 0.digits * 10^(exponent + 1): pad so that the point sits after `integerCount`
    int integerCount = exponent + 1;
    if (integerCount <= 0) {
        digits.prepend(QString(1 - integerCount, QLatin1Char('0')));
        integerCount = 1;
    }
    const int keep = integerCount + decimals;
    if (digits.size() < keep) digits.append(QString(keep - digits.size(), QLatin1Char('0')));
    const bool roundUp = digits.size() > keep && digits[keep] >= QLatin1Char('5');
    digits.truncate(keep);
    if (roundUp) {
        int i = keep - 1;
        for (; i >= 0 && digits[i] == QLatin1Char('9'); --i) digits[i] = QLatin1Char('0');
        if (i >= 0) {
            digits[i] = QChar(digits[i].unicode() + 1);
        } else {
            digits.prepend(QLatin1Char('1'));
            ++integerCount;
        }
    }
    QString integerPart = digits.left(integerCount);
    while (integerPart.size() > 1 && integerPart.startsWith(QLatin1Char('0')))
        integerPart.remove(0, 1);
    const QString decimalPart = digits.mid(integerCount);
    return decimals > 0 ? integerPart + QLatin1Char('.') + decimalPart : integerPart;
}

}  // namespace

QString FormatNumber(double x, const QString& pattern) {
    const Pattern parsed = ParsePattern(pattern);
    QString digits = RoundedMagnitude(std::abs(x), parsed.decimals);
    const qsizetype point = digits.indexOf(QLatin1Char('.'));
    const qsizetype integerLength = point < 0 ? digits.size() : point;
    if (integerLength < parsed.integerDigits) {
        digits.prepend(QString(parsed.integerDigits - integerLength, QLatin1Char('0')));
    } else if (parsed.integerDigits == 0 && digits.startsWith(QLatin1String("0."))) {
        digits.remove(0, 1);
    }
    const bool showsNonZero =
        std::any_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    return (x < 0 && showsNonZero) ? QLatin1Char('-') + digits : digits;
}

QString Plain(double x) {
    if (x == 0) return QStringLiteral("0");
    QString text = QString::number(x, 'g', 15);
    if (text.contains(QLatin1Char('e'))) return text.toUpper();
    if (text.startsWith(QLatin1String("0."))) text.remove(0, 1);
    if (text.startsWith(QLatin1String("-0."))) text.remove(1, 1);
    return text;
}

double LeadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) ++i;
    bool sawDigit = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        sawDigit = true;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            sawDigit = true;
        }
    }
    if (!sawDigit) return 0;
    qsizetype end = i;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('-') || text[j] == QLatin1Char('+'))) ++j;
        const qsizetype exponentStart = j;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) ++j;
        if (j > exponentStart) end = j;
    }
    return text.mid(start, end - start).toDouble();
}

double RoundHalfEven(double x) {
    return std::nearbyint(x);
}

namespace {
template <typename Int>
Int ToWhole(double x) {
    const double whole = RoundHalfEven(x);
    if (!std::isfinite(whole) || whole < std::numeric_limits<Int>::min() ||
        whole > std::numeric_limits<Int>::max()) {
        throw RuntimeError(errors::Overflow, QStringLiteral("Overflow"));
    }
    return static_cast<Int>(whole);
}
}  // namespace

std::int16_t ToInt16(double x) {
    return ToWhole<std::int16_t>(x);
}
std::int32_t ToInt32(double x) {
    return ToWhole<std::int32_t>(x);
}

}  // namespace runtime
