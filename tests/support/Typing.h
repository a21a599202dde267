#pragma once
// Keys sent to a control as the keyboard would: a press and a release per key.

#include <QString>
#include <Qt>

class QWidget;

// Each character of `keys` as its key; '\r' is Enter, '\b' Backspace.
void TypeKeys(QWidget& control, const QString& keys);
// The control that Tab moves the focus to from `control`.
const QWidget* NextTabStop(const QWidget& control);

void PressKey(QWidget& control, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              const QString& text = QString());
