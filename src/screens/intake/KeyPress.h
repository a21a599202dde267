#pragma once
// KeyPress events as the forms' handlers take them: the character code of the key (13 Enter,
// 8 Backspace, 1 to 26 Ctrl with a letter, otherwise the typed character), which the
// handler may set to 0 to discard the key. Keys that type no character (arrows, Delete,
// Tab) raise no KeyPress and reach the control unchanged.

#include <QObject>
#include <functional>

class QKeyEvent;

namespace intake {

// The character code of a key, or 0 when the key types no character.
int KeyAscii(const QKeyEvent& event);

// Watches one control's key presses and hands their character codes to a handler.
class KeyPressFilter : public QObject {
  public:
    using Handler = std::function<void(int& keyAscii)>;

    KeyPressFilter(QObject& control, Handler handler);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Handler handler_;
};

}  // namespace intake
