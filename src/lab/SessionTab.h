#pragma once
// The live session: today's participants as the monitor shows them, for the chosen day. The
// monitor starts when the tab is first shown: opening a study reads no recorded table.

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

    // Null until the tab is first shown.
    const tool::SessionMonitor* monitor() const { return monitor_.get(); }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void watchFrom(const QDate& day);

    const Study& study_;
    QDateEdit since_;
    std::unique_ptr<tool::SessionMonitor> monitor_;
};

}  // namespace lab
