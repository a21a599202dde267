#pragma once
// A form timer: its Timer event repeats every Interval milliseconds while Enabled.
// Setting the interval of a running timer restarts its countdown; a 1 ms timer armed in a
// handler fires once that handler has returned to the event loop.

#include <QObject>
#include <QTimer>

namespace ui {

class FormTimer : public QObject {
    Q_OBJECT
  public:
    explicit FormTimer(QObject* parent = nullptr);

    int Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    void setInterval(int milliseconds);
    void setEnabled(bool enabled);
    // Sets the interval and enables the timer; re-arming a running timer restarts it.
    void arm(int milliseconds);

  signals:
    void Timer();

  private:
    void restart();

    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace ui
