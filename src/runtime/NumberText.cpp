#include "runtime/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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

// |x| rounded to 15 significant digits: |x| = d.dddddddddddddd * 10^exponent.
struct FifteenDigits {
    std::string digits;  // empty for infinity and NaN
    int exponent = 0;
};

// Adds one to the last digit, carrying; true when the carry runs out of digits (999 → 000).
bool IncrementLast(std::string& digits, std::size_t count) {
    std::size_t i = count;
    for (; i > 0 && digits[i - 1] == '9'; --i) digits[i - 1] = '0';
    if (i == 0) return true;
    ++digits[i - 1];
    return false;
}

FifteenDigits FromScientific(const std::string& scientific) {
    const std::size_t ePos = scientific.find('e');
    if (ePos == std::string::npos) return {};
    FifteenDigits decimal{scientific.substr(0, ePos), 0};
    decimal.digits.erase(1, 1);  // the point
    const std::size_t exponentStart = ePos + (scientific[ePos + 1] == '+' ? 2 : 1);
    std::from_chars(scientific.data() + exponentStart, scientific.data() + scientific.size(),
                    decimal.exponent);
    return decimal;
}

// An exact half at the 16th digit goes up, as the runtime's number form always rounded it.
// The correctly rounded 16-digit form tells every other case apart; a 5 there may be such a
// half, and that rare form is made the slow way.
FifteenDigits ToFifteenDigits(double magnitude) {
    std::array<char, 32> buffer{};
    const char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, 15)
                          .ptr;
    FifteenDigits decimal =
        FromScientific(std::string(static_cast<const char*>(buffer.data()), end));
    if (decimal.digits.empty()) return decimal;
    const char sixteenth = decimal.digits.back();
    if (sixteenth == '5') return FromScientific(QString::number(magnitude, 'e', 14).toStdString());
    decimal.digits.pop_back();
    if (sixteenth > '5' && IncrementLast(decimal.digits, decimal.digits.size())) {
        decimal.digits.insert(0, 1, '1');
        decimal.digits.pop_back();
        ++decimal.exponent;
    }
    return decimal;
}

// |x| as a fixed-point text with the given decimals, halves away from zero. The rounding is
// done on the 15-digit decimal form of x, so that 2.675 and 1.0625 round as they read. Worked
// in a byte string: the period cycle formats several readouts per step.
std::string RoundedMagnitude(double magnitude, int decimals) {
    FifteenDigits decimal = ToFifteenDigits(magnitude);
    if (decimal.digits.empty()) return QString::number(magnitude).toStdString();  // inf, nan
    std::string& digits = decimal.digits;
    const int exponent = decimal.exponent;
    // value = 0.digits * 10^(exponent + 1): pad so that the point sits after `integerCount`
    int integerCount = exponent + 1;
    if (integerCount <= 0) {
        digits.insert(0, std::size_t(1 - integerCount), '0');
        integerCount = 1;
    }
    const std::size_t keep = std::size_t(integerCount + decimals);
    if (digits.size() < keep) digits.append(keep - digits.size(), '0');
    const bool roundUp = digits.size() > keep && digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp && IncrementLast(digits, keep)) {
        digits.insert(0, 1, '1');
        ++integerCount;
    }
    const std::size_t firstKept =
        std::min(digits.find_first_not_of('0'), std::size_t(integerCount - 1));
    std::string text = digits.substr(firstKept, std::size_t(integerCount) - firstKept);
    if (decimals > 0) text += '.' + digits.substr(std::size_t(integerCount));
    return text;
}

}  // namespace

QString FormatNumber(double x, const QString& pattern) {
    const Pattern parsed = ParsePattern(pattern);
    std::string digits = RoundedMagnitude(std::abs(x), parsed.decimals);
    const std::size_t point = digits.find('.');
    const std::size_t integerLength = point == std::string::npos ? digits.size() : point;
    if (integerLength < std::size_t(parsed.integerDigits)) {
        digits.insert(0, std::size_t(parsed.integerDigits) - integerLength, '0');
    } else if (parsed.integerDigits == 0 && digits.starts_with("0.")) {
        digits.erase(0, 1);
    }
    const bool showsNonZero = digits.find_first_of("123456789") != std::string::npos;
    if (x < 0 && showsNonZero) digits.insert(0, 1, '-');
    return QString::fromLatin1(digits);
}

QString Plain(double x) {
    if (x == 0) return QStringLiteral("0");
    FifteenDigits decimal = ToFifteenDigits(std::abs(x));
    // The exponent form (below 1E-4, from 1E+15) and what is no number are rare: Qt writes them.
    if (decimal.digits.empty() || decimal.exponent < -4 || decimal.exponent >= 15) {
        const QString text = QString::number(x, 'g', 15);
        return text.contains(QLatin1Char('e')) ? text.toUpper() : text;
    }
    std::string& digits = decimal.digits;
    digits.erase(digits.find_last_not_of('0') + 1);
    if (decimal.exponent < 0) {
        digits.insert(0, std::size_t(-decimal.exponent - 1), '0');
        digits.insert(0, 1, '.');  // no leading zero below 1
    } else if (digits.size() > std::size_t(decimal.exponent) + 1) {
        digits.insert(std::size_t(decimal.exponent) + 1, 1, '.');
    } else {
        digits.append(std::size_t(decimal.exponent) + 1 - digits.size(), '0');
    }
    if (x < 0) digits.insert(0, 1, '-');
    return QString::fromLatin1(digits);
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
