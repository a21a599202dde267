#pragma once
// The system's clock: the current date and the time of day as text and as a value, a
// millisecond tick count, and letting pending events run. A run reads its own clock.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace runtime {

// A time of day in whole seconds since midnight; 0 is midnight, which reads "12:00:00 AM".
struct TimeValue {
    int seconds = 0;

    bool isMidnight() const { return seconds == 0; }
    // "hh:mm:ss" on a 24-hour clock.
    QString toText() const;
    friend bool operator==(TimeValue a, TimeValue b) { return a.seconds == b.seconds; }
};

// Parses "hh:mm:ss" (24-hour) or "h:mm:ss AM/PM"; anything else gives midnight.
TimeValue TimeFromText(const QString& text);

// The context's date and time (the system clock unless a test set another).
QDateTime Now();
QDate Today();
TimeValue TimeOfDay();
// The current time of day as "hh:mm:ss", 24-hour.
QString TimeText();
// Milliseconds since an arbitrary fixed start (monotonic), like the system tick count.
std::uint32_t TickCount();

// Runs pending user-interface events once.
void DoEvents();

}  // namespace runtime
