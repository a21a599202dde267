#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

#include "screens/common/WholeScreen.h"

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

// No window manager places or frames a dialog: it is centred and draws a border of its own,
// which passes clicks through to it.
const QFrame* BorderOf(const QWidget& dialog) {
    return dialog.findChild<const QFrame*>(QLatin1String(ui::kDialogBorderName),
                                           Qt::FindDirectChildrenOnly);
}

TEST(WholeScreenTest, AFormShownAsADialogIsCentredWithABorderOfItsOwn) {
    ui::WholeScreen screen;
    GuardedForm owner(true);
    owner.show();
    QWidget dialog(&owner, Qt::Dialog);
    dialog.setGeometry(5, 7, 120, 80);
    QLineEdit entry(&dialog);
    dialog.show();
    EXPECT_EQ(dialog.geometry().center(), ScreenArea().center());
    EXPECT_EQ(dialog.size(), QSize(120, 80));
    EXPECT_FALSE(Frameless(dialog));
    const QFrame* border = BorderOf(dialog);
    ASSERT_NE(border, nullptr);
    EXPECT_TRUE(border->isVisible());
    EXPECT_EQ(border->geometry(), dialog.rect());
    EXPECT_GE(border->lineWidth(), 2);
    EXPECT_TRUE(border->testAttribute(Qt::WA_TransparentForMouseEvents));
    // Above whatever the dialog holds, also after it grew.
    EXPECT_EQ(dialog.children().last(), border);
    dialog.resize(200, 100);
    EXPECT_EQ(border->geometry(), dialog.rect());
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.findChildren<QFrame*>(QLatin1String(ui::kDialogBorderName)).size(), 1);
}

TEST(WholeScreenTest, AMessageBoxIsCentredWithABorderOfItsOwn) {
    ui::WholeScreen screen;
    QMessageBox box(QMessageBox::NoIcon, "Title", "A question for the participant?",
                    QMessageBox::Yes | QMessageBox::No);
    box.show();
    QApplication::processEvents();
    EXPECT_LE((box.geometry().center() - ScreenArea().center()).manhattanLength(), 2);
    ASSERT_NE(BorderOf(box), nullptr);
    EXPECT_TRUE(BorderOf(box)->isVisible());
    EXPECT_EQ(BorderOf(box)->geometry(), box.rect());
}

TEST(WholeScreenTest, WindowedDialogsHaveNoBorderOfTheirOwn) {
    QWidget dialog(nullptr, Qt::Dialog);
    dialog.setGeometry(5, 7, 120, 80);
    dialog.show();
    EXPECT_EQ(dialog.geometry(), QRect(5, 7, 120, 80));
    EXPECT_EQ(BorderOf(dialog), nullptr);
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
