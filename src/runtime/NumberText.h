#pragma once
// Number texts and conversions the screens use: format patterns, the plain form,
// the leading number of a text and whole-number conversion with halves to even.

#include <QString>
#include <cstdint>

namespace runtime {

// Formats x with a pattern such as "00.000", "00.00", "0.00" or "00": at least as many
// integer digits as zeros before the point, exactly as many decimals as zeros after it,
// halves away from zero, a minus sign before negative values.
QString FormatNumber(double x, const QString& pattern);

// The general number form: up to 15 significant digits, "." as separator, no leading
// zero before the point below 1 (0.5 gives ".5"), no spaces.
QString Plain(double x);

// The number at the start of a text: leading blanks skipped, reading stops at the first
// character that cannot continue a number; no number gives 0.
double LeadingNumber(const QString& text);

// Nearest whole number, a fraction of exactly one half going to the even neighbour.
double RoundHalfEven(double x);

// RoundHalfEven into a 16-bit or 32-bit integer; a result outside the width raises
// RuntimeError 6 (overflow).
std::int16_t ToInt16(double x);
std::int32_t ToInt32(double x);

}  // namespace runtime
