#pragma once
// Enter on a focused button presses it, as participants expect from a desktop form; Qt
// buttons outside dialogs would answer only to the space bar.

#include <QObject>

namespace ui {

class EnterPressesFocusedButton : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs the filter on the whole application once.
void InstallButtonKeys();

}  // namespace ui
