#include "screens/intake/KeyPress.h"

#include <QKeyEvent>

#include "runtime/ProgramEnd.h"

namespace intake {

int KeyAscii(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Escape:
            return 27;
        default:
            break;
    }
    if (event.modifiers().testFlag(Qt::ControlModifier) && event.key() >= Qt::Key_A &&
        event.key() <= Qt::Key_Z) {
        return event.key() - Qt::Key_A + 1;
    }
    const QString text = event.text();
    if (text.isEmpty()) return 0;
    const int code = text.at(0).unicode();
    // Control characters other than those above (Delete among them) type nothing.
    return code >= 32 && code != 127 ? code : 0;
}

KeyPressFilter::KeyPressFilter(QObject& control, Handler handler)
    : QObject(&control), handler_(std::move(handler)) {
    control.installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    int keyAscii = KeyAscii(*static_cast<QKeyEvent*>(event));
    if (keyAscii == 0) return false;
    // A key that ended the run is taken: nothing may act on it after the end.
    if (!runtime::HandleEvent([&] { handler_(keyAscii); })) return true;
    return keyAscii == 0;
}

}  // namespace intake
