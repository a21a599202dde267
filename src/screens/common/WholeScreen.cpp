#include "screens/common/WholeScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

namespace ui {

namespace {

const QColor kBackdrop(64, 64, 64);
constexpr int kDialogBorderWidth = 3;

// A border drawn over the dialog's edge; clicks pass through it to the dialog.
class DialogBorder : public QFrame {
  public:
    explicit DialogBorder(QWidget& dialog) : QFrame(&dialog) {
        setObjectName(QLatin1String(kDialogBorderName));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(kDialogBorderWidth);
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, Qt::black);
        setPalette(colours);
        dialog.installEventFilter(this);
        follow(dialog);
        // Made while the dialog is being shown, which shows only the children it already has.
        show();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::ChildAdded)
            follow(static_cast<QWidget&>(*watched));
        return false;
    }

  private:
    void follow(const QWidget& dialog) {
        setGeometry(dialog.rect());
        raise();
    }
};

bool IsCloseKey(const QEvent& event) {
    if (event.type() != QEvent::KeyPress) return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    return key.key() == Qt::Key_F4 && key.modifiers() == Qt::AltModifier;
}

QRect ScreenArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

}  // namespace

bool IsScreenForm(const QWidget& window) {
    return window.isWindow() &&
           (window.windowType() == Qt::Window || window.windowType() == Qt::SplashScreen);
}

bool IsDialog(const QWidget& window) {
    return window.isWindow() && window.windowType() == Qt::Dialog;
}

void WholeScreen::Backdrop::closeEvent(QCloseEvent* event) {
    event->ignore();
}

WholeScreen::WholeScreen() {
    backdrop_.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    backdrop_.setAttribute(Qt::WA_ShowWithoutActivating);
    // Without a title of its own it would take the program's name, the simulation screen's.
    backdrop_.setWindowTitle(QStringLiteral("Fluxmere station"));
    QPalette palette = backdrop_.palette();
    palette.setColor(QPalette::Window, kBackdrop);
    backdrop_.setPalette(palette);
    backdrop_.setAutoFillBackground(true);
    backdrop_.setGeometry(ScreenArea());
    backdrop_.showFullScreen();
    qApp->installEventFilter(this);
}

WholeScreen::~WholeScreen() {
    qApp->removeEventFilter(this);
}

bool WholeScreen::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return false;
    auto& widget = static_cast<QWidget&>(*watched);
    if (event->type() == QEvent::Show && &widget != &backdrop_ && IsScreenForm(widget)) {
        present(widget);
    } else if (event->type() == QEvent::Show && IsDialog(widget)) {
        presentDialog(widget);
    } else if (IsCloseKey(*event)) {
        widget.window()->close();
        return true;
    }
    return false;
}

// Runs before the window is mapped: a frameless window kept above the backdrop, in the
// screen's middle.
void WholeScreen::present(QWidget& form) {
    if (QWindow* window = form.windowHandle()) {
        window->setFlags(window->flags() | Qt::FramelessWindowHint);
        window->setTransientParent(backdrop_.windowHandle());
    }
    QRect area(QPoint(), form.size());
    area.moveCenter(ScreenArea().center());
    form.setGeometry(area);
}

// A QDialog centres itself as it is shown; a form shown as a dialog is centred here.
void WholeScreen::presentDialog(QWidget& dialog) {
    if (!dialog.findChild<QFrame*>(QLatin1String(kDialogBorderName), Qt::FindDirectChildrenOnly))
        new DialogBorder(dialog);
    if (qobject_cast<QDialog*>(&dialog)) return;
    QRect area(QPoint(), dialog.size());
    area.moveCenter(ScreenArea().center());
    dialog.setGeometry(area);
}

}  // namespace ui
