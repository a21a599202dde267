#include "screens/common/ButtonKeys.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

namespace ui {

bool EnterPressesFocusedButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || !button->isEnabled() || !button->hasFocus()) return false;
    button->click();
    return true;
}

void InstallButtonKeys() {
    static EnterPressesFocusedButton* filter = nullptr;
    if (filter || !QCoreApplication::instance()) return;
    filter = new EnterPressesFocusedButton(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

}  // namespace ui
