#include "tests/support/Typing.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

void PressKey(QWidget& control, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(&control, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(&control, &release);
}

void TypeKeys(QWidget& control, const QString& keys) {
    for (const QChar c : keys) {
        if (c == u'\r') {
            PressKey(control, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        } else if (c == u'\b') {
            PressKey(control, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        } else {
            const Qt::Key key = c.isLetter() ? static_cast<Qt::Key>(c.toUpper().unicode())
                                             : static_cast<Qt::Key>(c.unicode());
            PressKey(control, key, Qt::NoModifier, QString(c));
        }
    }
}

const QWidget* NextTabStop(const QWidget& control) {
    const QWidget* next = control.nextInFocusChain();
    while (next != &control && (next->focusProxy() || !(next->focusPolicy() & Qt::TabFocus))) {
        next = next->nextInFocusChain();
    }
    return next;
}
