#pragma once
// A participant station's screen: a plain backdrop covers the whole screen for as long as the
// object lives, and every screen form (the splash, the login, the registration, the
// simulation screen) is shown on it without a frame, centred, at its design size. Dialogs
// (message boxes, the password form) stay above it, centred, with a border of their own: no
// window manager draws one, and a frameless box would blend into the form beneath.
// With no window manager to close a window, Alt+F4 asks the window to close itself, which
// runs the same guarded close as a window manager's close command.

#include <QObject>
#include <QWidget>

namespace ui {

class WholeScreen : public QObject {
  public:
    WholeScreen();
    ~WholeScreen() override;
    WholeScreen(const WholeScreen&) = delete;
    WholeScreen& operator=(const WholeScreen&) = delete;

    QWidget& backdrop() { return backdrop_; }
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Plain, and never closed by a key or a window manager while the program runs.
    class Backdrop : public QWidget {
      protected:
        void closeEvent(QCloseEvent* event) override;
    };

    void present(QWidget& form);
    void presentDialog(QWidget& dialog);

    Backdrop backdrop_;
};

// Whether a window is one of the participant's screen forms rather than a dialog.
bool IsScreenForm(const QWidget& window);

// Whether a window is a dialog: a message box or a form shown over a screen form.
bool IsDialog(const QWidget& window);

// The object name of the border a dialog is given in full-screen mode.
inline constexpr char kDialogBorderName[] = "wholeScreenDialogBorder";

}  // namespace ui
