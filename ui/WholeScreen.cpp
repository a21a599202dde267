#include "ui/WholeScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

namespace ui {

namespace {

const QColor kBackdrop(64, 64, 64);

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

}  // namespace ui
