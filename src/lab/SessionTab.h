#pragma once
// The live session: today's participants as the monitor shows them, for the chosen day.

#include <QDateEdit>
#include <QWidget>
#include <memory>

#include "lab/Study.h"
#include "monitor/SessionMonitor.h"

namespace lab {

class SessionTab : public QWidget {
    Q_OBJECT

  public:
    explicit SessionTab(const Study& study, QWidget* parent = nullptr);

    const tool::SessionMonitor& monitor() const { return *monitor_; }

  private:
    void watchFrom(const QDate& day);

    const Study& study_;
    QDateEdit since_;
    std::unique_ptr<tool::SessionMonitor> monitor_;
};

}  // namespace lab
