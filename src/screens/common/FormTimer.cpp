#include "screens/common/FormTimer.h"

namespace ui {

FormTimer::FormTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FormTimer::Timer);
}

void FormTimer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    restart();
}

void FormTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    restart();
}

void FormTimer::arm(int milliseconds) {
    interval_ = milliseconds;
    enabled_ = true;
    restart();
}

void FormTimer::restart() {
    timer_.stop();
    // An interval of 0 never fires, as a disabled timer.
    if (enabled_ && interval_ > 0) timer_.start(interval_);
}

}  // namespace ui
