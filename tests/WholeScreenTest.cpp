#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>

#include "ui/WholeScreen.h"

namespace {

QRect ScreenArea() {
    return QGuiApplication::primaryScreen()->geometry();
}

bool Frameless(const QWidget& window) {
    return window.windowHandle()->flags().testFlag(Qt::FramelessWindowHint);
}

// A screen form that keeps itself open or not when asked to close, as the guarded exit does.
class GuardedForm : public QWidget {
  public:
    explicit GuardedForm(bool allowClose) : allowClose_(allowClose) {
        resize(300, 200);
        entry.setGeometry(10, 10, 100, 20);
    }
    QLineEdit entry{this};
    int closeRequests = 0;

  protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeRequests;
        event->setAccepted(allowClose_);
    }

  private:
    bool allowClose_;
};

void PressAltF4(QWidget& receiver) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
    QApplication::sendEvent(&receiver, &press);
}

TEST(WholeScreenTest, TheBackdropCoversTheScreenWithoutAFrame) {
    ui::WholeScreen screen;
    EXPECT_TRUE(screen.backdrop().isVisible());
    EXPECT_EQ(screen.backdrop().geometry(), ScreenArea());
    EXPECT_TRUE(Frameless(screen.backdrop()));
    EXPECT_EQ(screen.backdrop().windowTitle(), QStringLiteral("Fluxmere station"));
}

TEST(WholeScreenTest, AScreenFormIsShownFramelessInTheMiddleAboveTheBackdrop) {
    ui::WholeScreen screen;
    GuardedForm form(true);
    form.show();
    EXPECT_EQ(form.geometry().center(), ScreenArea().center());
    EXPECT_EQ(form.size(), QSize(300, 200));
    EXPECT_TRUE(Frameless(form));
    EXPECT_EQ(form.windowHandle()->transientParent(), screen.backdrop().windowHandle());
}

TEST(WholeScreenTest, ADialogKeepsItsOwnPlaceAndFrame) {
    ui::WholeScreen screen;
    QWidget dialog(nullptr, Qt::Dialog);
    dialog.setGeometry(5, 7, 120, 80);
    dialog.show();
    EXPECT_EQ(dialog.geometry(), QRect(5, 7, 120, 80));
    EXPECT_FALSE(Frameless(dialog));
}

TEST(WholeScreenTest, WindowedFormsAreLeftAsTheyAre) {
    GuardedForm form(true);
    form.setGeometry(5, 7, 300, 200);
    form.show();
    EXPECT_EQ(form.geometry(), QRect(5, 7, 300, 200));
    EXPECT_FALSE(Frameless(form));
}

struct CloseCase {
    bool allowClose;
    bool visibleAfter;
};

class WholeScreenCloseTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(WholeScreenCloseTest, AltF4AsksTheFormToCloseAsTheCloseCommandDoes) {
    ui::WholeScreen screen;
    GuardedForm form(GetParam().allowClose);
    form.show();
    PressAltF4(form.entry);
    EXPECT_EQ(form.closeRequests, 1);
    EXPECT_EQ(form.isVisible(), GetParam().visibleAfter);
    EXPECT_TRUE(screen.backdrop().isVisible());
}

TEST(WholeScreenTest, NeitherKeyNorCloseCommandTakesTheBackdropAway) {
    ui::WholeScreen screen;
    QWidget& backdrop = screen.backdrop();
    PressAltF4(backdrop);
    EXPECT_FALSE(backdrop.close());
    EXPECT_TRUE(backdrop.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Answers, WholeScreenCloseTest,
                         ::testing::Values(CloseCase{false, true}, CloseCase{true, false}));

TEST(WholeScreenTest, OtherKeysReachTheForm) {
    ui::WholeScreen screen;
    GuardedForm form(true);
    form.show();
    form.entry.setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&form.entry, &press);
    EXPECT_EQ(form.entry.text(), QStringLiteral("a"));
    EXPECT_EQ(form.closeRequests, 0);
}

}  // namespace
