#include "runtime/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTime>

namespace runtime {

QString TimeValue::toText() const {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

TimeValue TimeFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    for (const char* format : {"HH:mm:ss", "h:mm:ss AP", "h:mm:ss ap", "HH:mm"}) {
        const QTime time = QTime::fromString(trimmed, QLatin1String(format));
        if (time.isValid()) return TimeValue{time.msecsSinceStartOfDay() / 1000};
    }
    return TimeValue{};
}

QDateTime Now() {
    return QDateTime::currentDateTime();
}

namespace {

QElapsedTimer& TickBase() {
    static QElapsedTimer timer = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return timer;
}
}  // namespace

QDate Today() {
    return Now().date();
}

TimeValue TimeOfDay() {
    return TimeValue{Now().time().msecsSinceStartOfDay() / 1000};
}

QString TimeText() {
    return TimeOfDay().toText();
}

std::uint32_t TickCount() {
    return static_cast<std::uint32_t>(TickBase().elapsed());
}

void DoEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace runtime
