// Decision entry on the simulation screen: typing and pasting into the order boxes in both
// display modes, the exit key in a box and on Submit, and closing the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <ostream>

#include "core/RunRecord.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/exit/frmPasswordAuth.h"
#include "screens/simulation/frmHydrovat.h"
#include "tests/frmHydrovatFixture.h"
#include "tests/support/Typing.h"

namespace {

struct TypingCase {
    const char* name;
    const char* before;
    const char* keys;  // '\b' is Backspace
    const char* graphicalAfter;
    const char* discreteAfter;
};

std::ostream& operator<<(std::ostream& out, const TypingCase& c) {
    return out << c.name;
}

// Every case runs in both boxes of both display modes.
const TypingCase kTypingCases[] = {
    {"zero then five", "0", "5", "5", "5"},
    {"zero then zero", "0", "0", "0", "0"},
    {"empty box refuses zero", "", "0", "", ""},
    {"empty box then zero after a digit", "", "50", "50", "50"},
    {"decimal", "0", "2.5", "2.5", "25"},
    {"point into an empty box", "", ".5", "0.5", "5"},
    {"second point", "0", "1.5.2", "1.52", "152"},
    {"slash and minus", "4", "/-", "4", "4"},
    {"letters and space", "4", "ab Z", "4", "4"},
    {"backspace", "25", "\b", "2", "2"},
    {"backspace to empty, then zero", "7", "\b0", "", ""},
};

class EntryTyping : public ScreenTest, public ::testing::WithParamInterface<TypingCase> {};

QLineEdit& Box(frmHydrovat& form, int which) {
    return which == 0 ? form.txtUsrInflowVal : form.txtUsrOutflowVal;
}

TEST_P(EntryTyping, BothBoxesBothModes) {
    const TypingCase& c = GetParam();
    for (const bool graphical : {true, false}) {
        PrepareScreenRun(run, graphical);
        frmHydrovat form(run);
        for (int which = 0; which < 2; ++which) {
            QLineEdit& box = Box(form, which);
            box.setText(QString::fromLatin1(c.before));
            box.end(false);
            TypeKeys(box, QString::fromLatin1(c.keys));
            const char* expected = graphical ? c.graphicalAfter : c.discreteAfter;
            EXPECT_EQ(box.text(), QString::fromLatin1(expected))
                << c.name << (graphical ? ", graphical" : ", discrete") << ", box " << which;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, EntryTyping, ::testing::ValuesIn(kTypingCases));

class EntryScreen : public ScreenTest {
  protected:
    void SetUp() override {
        PrepareScreenRun(run, true);
        run.asks = &dialogs;
        run.showsForms = &dialogs;
    }
    ui::ScriptedDialogs dialogs;
};

TEST_F(EntryScreen, SecondPointRefusedWhereverTheCaretIs) {
    frmHydrovat form(run);
    QLineEdit& box = form.txtUsrInflowVal;
    box.setText(QStringLiteral("12.5"));
    for (int caret = 0; caret <= 4; ++caret) {
        box.setCursorPosition(caret);
        TypeKeys(box, QStringLiteral("."));
        EXPECT_EQ(box.text(), QStringLiteral("12.5")) << "caret " << caret;
    }
    // Over a selection that holds the point, a new point may take its place.
    box.setSelection(2, 2);
    TypeKeys(box, QStringLiteral("."));
    EXPECT_EQ(box.text(), QStringLiteral("12."));
}

TEST_F(EntryScreen, PastesThatLeaveNoNumberAreRefused) {
    struct PasteCase {
        const char* clipboard;
        bool graphical;
        const char* after;
    };
    const PasteCase cases[] = {
        {"abc", true, "3"},  {"1.2.3", true, "3"}, {".", true, "3."},       {"-5", true, "3"},
        {"2.5", false, "3"}, {"1e3", true, "3"},   {"0.25", true, "30.25"}, {"42", false, "342"},
    };
    for (const PasteCase& c : cases) {
        PrepareScreenRun(run, c.graphical);
        frmHydrovat form(run);
        for (QLineEdit* box : {&form.txtUsrInflowVal, &form.txtUsrOutflowVal}) {
            box->setText(QStringLiteral("3"));
            box->end(false);
            QApplication::clipboard()->setText(QString::fromLatin1(c.clipboard));
            box->paste();  // what the context menu, Shift+Insert and the middle button do
            EXPECT_EQ(box->text(), QString::fromLatin1(c.after)) << c.clipboard;
            // Ctrl+V is a key like any other control key: discarded.
            box->setText(QStringLiteral("3"));
            PressKey(*box, Qt::Key_V, Qt::ControlModifier, QString(QChar(22)));
            EXPECT_EQ(box->text(), QStringLiteral("3")) << c.clipboard;
        }
    }
}

TEST_F(EntryScreen, DeletingTheDigitsAroundAPointLeavesNoLonePoint) {
    frmHydrovat form(run);
    QLineEdit& box = form.txtUsrOutflowVal;
    box.setText(QStringLiteral("0.5"));
    box.end(false);
    TypeKeys(box, QStringLiteral("\b"));
    EXPECT_EQ(box.text(), QStringLiteral("0."));
    box.setCursorPosition(1);
    TypeKeys(box, QStringLiteral("\b"));  // would leave "."
    EXPECT_EQ(box.text(), QStringLiteral("0."));
    PressKey(box, Qt::Key_Delete);
    EXPECT_EQ(box.text(), QStringLiteral("0"));
}

TEST_F(EntryScreen, ExitKeyAnsweredNoDiscardsTheKey) {
    frmHydrovat form(run);
    form.txtUsrInflowVal.setText(QStringLiteral("25"));
    form.txtUsrInflowVal.selectAll();
    dialogs.answerNext(runtime::Answer::No);
    PressKey(form.txtUsrInflowVal, Qt::Key_X, Qt::ControlModifier, QString(QChar(24)));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("Are you sure you want to exit?"));
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Exit Application"));
    EXPECT_EQ(dialogs.shown()[0].buttons, runtime::Buttons::YesNo);
    EXPECT_EQ(dialogs.shown()[0].icon, runtime::Icon::None);
    EXPECT_TRUE(dialogs.modalForms().empty());
    EXPECT_EQ(form.txtUsrInflowVal.text(), QStringLiteral("25"));
}

TEST_F(EntryScreen, ExitKeyYesThenCancelGoesOn) {
    frmHydrovat form(run);
    form.show();
    struct Place {
        const char* name;
        QWidget* control;
    };
    const Place places[] = {{"inflow box", &form.txtUsrInflowVal},
                            {"outflow box", &form.txtUsrOutflowVal},
                            {"Submit", &form.cmdNextTrial}};
    for (const Place& place : places) {
        dialogs.clear();
        dialogs.answerNext(runtime::Answer::Yes);
        dialogs.onNextModal(
            [](QWidget& shown) { static_cast<frmPasswordAuth&>(shown).Command2.click(); });
        PressKey(*place.control, Qt::Key_X, Qt::ControlModifier, QString(QChar(24)));
        ASSERT_EQ(dialogs.shown().size(), 1u) << place.name;
        EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Exit Application")) << place.name;
        EXPECT_EQ(dialogs.modalForms(), std::vector<QString>{QStringLiteral("frmPasswordAuth")})
            << place.name;
        EXPECT_FALSE(run.state.ExitAuthorised) << place.name;
        EXPECT_TRUE(form.isVisible()) << place.name;
    }
}

TEST_F(EntryScreen, OtherKeysOnSubmitAskNothing) {
    frmHydrovat form(run);
    PressKey(form.cmdNextTrial, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    PressKey(form.cmdNextTrial, Qt::Key_C, Qt::ControlModifier, QString(QChar(3)));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(dialogs.modalForms().empty());
}

TEST_F(EntryScreen, ClosingTheWindowAsksForThePasswordAndCancelKeepsItOpen) {
    frmHydrovat form(run);
    form.show();
    dialogs.onNextModal(
        [](QWidget& shown) { static_cast<frmPasswordAuth&>(shown).Command2.click(); });
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(dialogs.modalForms(), std::vector<QString>{QStringLiteral("frmPasswordAuth")});
    EXPECT_TRUE(dialogs.shown().empty());  // no Yes/No prompt before the password form
}

}  // namespace
