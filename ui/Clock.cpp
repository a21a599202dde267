#include "ui/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTime>
#include <random>

namespace ui {

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

QDate Today() {
    return QDate::currentDate();
}

TimeValue TimeOfDay() {
    return TimeValue{QTime::currentTime().msecsSinceStartOfDay() / 1000};
}

QString TimeText() {
    return TimeOfDay().toText();
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

std::mt19937& Generator() {
    static std::mt19937 generator(5489u);
    return generator;
}
}  // namespace

std::uint32_t TickCount() {
    return static_cast<std::uint32_t>(TickBase().elapsed());
}

void Randomize(std::uint32_t seed) {
    Generator().seed(seed);
}

double Rnd() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(Generator());
}

void DoEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace ui
