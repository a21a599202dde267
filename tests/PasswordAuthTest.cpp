#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QTimer>
#include <optional>
#include <ostream>
#include <vector>

#include "access/TableAccess.h"
#include "accounts/StoredPassword.h"
#include "core/RunRecord.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Twips.h"
#include "screens/exit/CheckPassword.h"
#include "screens/exit/frmPasswordAuth.h"
#include "support/TempDatabase.h"
#include "tests/support/Ending.h"
#include "tests/support/OpenWrite.h"

namespace {

const QString kIncorrectText = "Username or Password is incorrect. Please try again";
// Enough for a stored hash the screen reads, few enough to keep the cases quick.
constexpr int kFewIterations = 1000;

class PasswordAuthTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override {
        run.session.databasePath = database.path();
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        database.execute(
            "INSERT INTO tblPasswords (username, password) VALUES "
            "('Experimenter', 'Tank#42'), ('O''Brien', 'it''s me'), ('nopass', NULL), "
            "('blank', '')");
        database.execute(QStringLiteral("INSERT INTO tblPasswords (username, password) VALUES "
                                        "('Keeper', '%1'), ('Broken', 'pbkdf2-sha256$1$2')")
                             .arg(accounts::HashPassword("Tank#42", kFewIterations)));
    }
    void TearDown() override { EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open"; }

    // Types into the real boxes and clicks "Exit Application".
    static void Try(frmPasswordAuth& form, const QString& username, const QString& password) {
        form.txtUsername.setText(username);
        form.txtPassword.setText(password);
        form.Command1.click();
        runtime::RaiseKeptEnd();  // as the event loop that ran the click would
    }

    TempDatabase database;
    ui::ScriptedDialogs dialogs;
};

// The form as its designer placed it: twips through the one mapping, captions and fonts.
TEST_F(PasswordAuthTest, FormHasItsDesignedLayout) {
    frmPasswordAuth form(run);
    EXPECT_EQ(form.objectName(), "frmPasswordAuth");
    EXPECT_EQ(form.windowTitle(), "Authentication");
    EXPECT_EQ(form.size(), ui::TwipRect(0, 0, 4680, 3090).size());

    struct Placed {
        QWidget* control;
        QRect twips;
        bool bold;
    };
    const std::vector<Placed> placed = {
        {&form.Label1, {240, 600, 1815, 375}, true},
        {&form.txtUsername, {2280, 600, 1935, 495}, false},
        {&form.Label2, {240, 1560, 1815, 375}, true},
        {&form.txtPassword, {2280, 1560, 1935, 495}, false},
        {&form.Command1, {240, 2400, 2175, 495}, true},
        {&form.Command2, {2640, 2400, 1575, 495}, true},
    };
    for (const Placed& p : placed) {
        SCOPED_TRACE(p.control->metaObject()->className());
        EXPECT_EQ(p.control->geometry(),
                  ui::TwipRect(p.twips.x(), p.twips.y(), p.twips.width(), p.twips.height()));
        EXPECT_EQ(p.control->font().bold(), p.bold);
        EXPECT_EQ(p.control->font().pixelSize(), ui::DesignFont(12, p.bold).pixelSize());
    }
    EXPECT_EQ(form.Label1.text(), "Username");
    EXPECT_EQ(form.Label2.text(), "Password");
    EXPECT_EQ(form.Command1.text(), "Exit Application");
    EXPECT_EQ(form.Command2.text(), "Cancel");

    // Focus order: user name, password, Exit Application, Cancel.
    std::vector<QWidget*> tabOrder;
    for (QWidget* w = form.txtUsername.nextInFocusChain(); tabOrder.size() < 3;
         w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) tabOrder.push_back(w);
    }
    EXPECT_EQ(tabOrder, (std::vector<QWidget*>{&form.txtPassword, &form.Command1, &form.Command2}));

    form.txtPassword.setText("Tank#42");
    EXPECT_EQ(form.txtPassword.displayText(), "*******");
}

TEST_F(PasswordAuthTest, ShownFormStartsEmptyWithFocusOnUsername) {
    frmPasswordAuth form(run);
    form.show();
    EXPECT_TRUE(form.txtUsername.text().isEmpty());
    EXPECT_TRUE(form.txtPassword.text().isEmpty());
    EXPECT_EQ(form.focusWidget(), &form.txtUsername);
}

struct AttemptCase {
    const char* name;
    const char* username;
    const char* password;
};

std::ostream& operator<<(std::ostream& out, const AttemptCase& c) {
    return out << c.name;
}

class RefusedPairTest : public PasswordAuthTest,
                        public ::testing::WithParamInterface<AttemptCase> {};

// A refused pair: the warning, both boxes emptied, focus back on the user name, and the
// experiment goes on; the form stays for another try.
TEST_P(RefusedPairTest, WarnsClearsAndKeepsTheExperimentGoing) {
    frmPasswordAuth form(run);
    form.show();
    form.Command1.setFocus();
    EXPECT_NO_THROW(Try(form, GetParam().username, GetParam().password));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const runtime::Question& box = dialogs.shown().front();
    EXPECT_EQ(box.text, kIncorrectText);
    EXPECT_EQ(box.title, "Password Incorrect");
    EXPECT_EQ(box.buttons, runtime::Buttons::Ok);
    EXPECT_EQ(box.icon, runtime::Icon::Warning);
    EXPECT_TRUE(form.txtUsername.text().isEmpty());
    EXPECT_TRUE(form.txtPassword.text().isEmpty());
    EXPECT_EQ(form.focusWidget(), &form.txtUsername);
    EXPECT_FALSE(run.state.PasswordMatched);
    EXPECT_FALSE(run.state.ExitAuthorised);
    EXPECT_FALSE(run.state.ExitConfirmed);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, RefusedPairTest,
    ::testing::Values(AttemptCase{"PasswordInOtherCase", "Experimenter", "tank#42"},
                      AttemptCase{"PasswordWithTrailingBlank", "Experimenter", "Tank#42 "},
                      AttemptCase{"UnknownUser", "Somebody", "Tank#42"},
                      AttemptCase{"InjectedCondition", "x' OR '1'='1", "Tank#42"},
                      AttemptCase{"InjectedConditionInPassword", "Experimenter", "x' OR '1'='1"},
                      AttemptCase{"RowWithoutPassword", "nopass", "anything"},
                      AttemptCase{"RowWithEmptyPassword", "blank", " "},
                      AttemptCase{"HashedPasswordInOtherCase", "Keeper", "tank#42"},
                      AttemptCase{"HashedPasswordWithTrailingBlank", "Keeper", "Tank#42 "}),
    [](const auto& info) { return std::string(info.param.name); });

class AcceptedPairTest : public PasswordAuthTest,
                         public ::testing::WithParamInterface<AttemptCase> {};

// An accepted pair ends the program at once, without the earnings message.
TEST_P(AcceptedPairTest, EndsTheProgramWithoutTheEarningsMessage) {
    run.state.TotBonus = 12;
    dialogs.answerNext(runtime::Answer::No);  // should a broken query ask to retry, stop there
    frmPasswordAuth form(run);
    form.show();
    EXPECT_EQ(EndingOf([&] { Try(form, GetParam().username, GetParam().password); }),
              runtime::ExitStatus::EndedByExperimenter);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(run.state.PasswordMatched);
    EXPECT_TRUE(run.state.ExitConfirmed);
    EXPECT_TRUE(run.state.ExitAuthorised);
    EXPECT_EQ(accounts::Verify(run.state.ExpectedPassword, GetParam().password),
              accounts::Verdict::Matches);
}

INSTANTIATE_TEST_SUITE_P(Pairs, AcceptedPairTest,
                         ::testing::Values(AttemptCase{"ExactPair", "Experimenter", "Tank#42"},
                                           AttemptCase{"UsernameInOtherCase", "EXPERIMENTER",
                                                       "Tank#42"},
                                           AttemptCase{"QuotesInBoth", "O'Brien", "it's me"},
                                           AttemptCase{"HashedPassword", "keeper", "Tank#42"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Only one box filled: the matching message, nothing looked up, the text kept.
TEST_F(PasswordAuthTest, OneEmptyBoxGivesItsMessageAndLooksNothingUp) {
    struct Case {
        const char* username;
        const char* password;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"", "Tank#42", "Please enter Username"},
        {"Experimenter", "", "Please enter Password"},
        {"", "", "Please enter Username"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        dialogs.clear();
        run.state.ExpectedPassword = "untouched";
        frmPasswordAuth form(run);
        Try(form, c.username, c.password);
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].text, c.message);
        EXPECT_EQ(dialogs.shown()[0].title, runtime::ApplicationTitle());
        EXPECT_EQ(dialogs.shown()[0].buttons, runtime::Buttons::Ok);
        EXPECT_EQ(dialogs.shown()[0].icon, runtime::Icon::None);
        EXPECT_EQ(run.state.ExpectedPassword, "untouched");
        EXPECT_EQ(form.txtUsername.text(), c.username);
        EXPECT_EQ(form.txtPassword.text(), c.password);
    }
}

// Tries are not limited, and a failed try with a listed name leaves nothing behind that
// would let an unknown name through afterwards.
TEST_F(PasswordAuthTest, UnknownUserRefusedRightAfterAFailedTryWithAListedOne) {
    frmPasswordAuth form(run);
    form.show();
    Try(form, "Experimenter", "wrong");
    EXPECT_EQ(run.state.ExpectedPassword, "Tank#42");
    Try(form, "Somebody", "Tank#42");
    Try(form, "Somebody", "wrong");
    ASSERT_EQ(dialogs.shown().size(), 3u);
    for (const auto& box : dialogs.shown()) EXPECT_EQ(box.text, kIncorrectText);
    EXPECT_FALSE(run.state.PasswordMatched);
    EXPECT_THROW(Try(form, "Experimenter", "Tank#42"), runtime::ProgramEnded);
}

// Two rows for one name (as the database compares names): either password opens.
TEST_F(PasswordAuthTest, AnyRowOfTheNameMayHoldThePassword) {
    database.execute(
        "INSERT INTO tblPasswords (username, password) VALUES ('experimenter', 'second')");
    CheckPassword(run, "Experimenter", "second");
    EXPECT_TRUE(run.state.PasswordMatched);
    CheckPassword(run, "Experimenter", "Tank#42");
    EXPECT_TRUE(run.state.PasswordMatched);
    CheckPassword(run, "Experimenter", "third");
    EXPECT_FALSE(run.state.PasswordMatched);
}

// Called without the form's own check for empty boxes, a row without a password still
// matches nothing.
TEST_F(PasswordAuthTest, RowWithoutPasswordNeverMatches) {
    for (const char* username : {"nopass", "blank"}) {
        SCOPED_TRACE(username);
        run.state.PasswordMatched = true;
        CheckPassword(run, username, "");
        EXPECT_FALSE(run.state.PasswordMatched);
        EXPECT_TRUE(run.state.ExpectedPassword.isEmpty());
    }
}

// Trouble reading the table is the table access's to report, naming what was being done;
// declining to retry ends the program as any such refusal does, not as an authorised exit.
TEST_F(PasswordAuthTest, UnreadableTableIsReportedAsCheckingPassword) {
    database.execute("DROP TABLE tblPasswords");
    frmPasswordAuth form(run);
    dialogs.answerNext(runtime::Answer::Yes);
    dialogs.answerNext(runtime::Answer::No);
    EXPECT_EQ(EndingOf([&] { Try(form, "Experimenter", "Tank#42"); }),
              runtime::ExitStatus::DatabaseFailure);
    ASSERT_GE(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].title, "Problems opening table");
    EXPECT_TRUE(dialogs.shown()[0].text.contains("Status was Checking password"));
    EXPECT_FALSE(run.state.ExitConfirmed);
    EXPECT_FALSE(run.state.ExitAuthorised);
}

// A stored password the program cannot read is named, not taken for a wrong one; the
// experiment goes on and the form takes the next try.
TEST_F(PasswordAuthTest, UnreadableStoredPasswordIsNamed) {
    frmPasswordAuth form(run);
    form.show();
    EXPECT_NO_THROW(Try(form, "Broken", "anything"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "The password could not be checked: the stored password of 'Broken' is not in a "
              "form this program reads; set it again with fluxmere-db passwd.");
    EXPECT_EQ(dialogs.shown()[0].buttons, runtime::Buttons::Ok);
    EXPECT_EQ(dialogs.shown()[0].icon, runtime::Icon::Warning);
    EXPECT_FALSE(run.state.ExitAuthorised);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_THROW(Try(form, "Keeper", "Tank#42"), runtime::ProgramEnded);
}

// The slow hash of a password stored with the program's own iteration count runs while the
// window's timers fire; meanwhile the form takes no second click and cannot be closed.
TEST_F(PasswordAuthTest, WindowAnswersWhileTheSlowHashIsComputed) {
    database.execute(
        QStringLiteral("INSERT INTO tblPasswords (username, password) VALUES ('Slow', '%1')")
            .arg(accounts::HashPassword("Tank#42")));
    frmPasswordAuth form(run);
    form.show();
    int ticks = 0;
    bool heldMeanwhile = true;
    QTimer period;
    QObject::connect(&period, &QTimer::timeout, [&] {
        ++ticks;
        form.Command2.click();
        heldMeanwhile = heldMeanwhile && !form.isEnabled() && !form.close() && form.isVisible();
    });
    period.start(5);
    Try(form, "Slow", "wrong");
    period.stop();
    EXPECT_GT(ticks, 0);
    EXPECT_TRUE(heldMeanwhile);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, kIncorrectText);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(EndingOf([&] { Try(form, "Slow", "Tank#42"); }),
              runtime::ExitStatus::EndedByExperimenter);
}

// Cancel closes the form and the experiment goes on; the next showing is a fresh form.
TEST_F(PasswordAuthTest, CancelThenShowingAgainOpensAnEmptyForm) {
    run.state.ExitAuthorised = true;  // whatever came before, Cancel leaves it false
    dialogs.onNextModal([](QWidget& shown) {
        auto& form = static_cast<frmPasswordAuth&>(shown);
        form.txtUsername.setText("Experimenter");
        form.txtPassword.setText("half-typed");
        form.Command2.click();
    });
    EXPECT_FALSE(ShowPasswordAuth(run));

    std::optional<QString> username;
    std::optional<QString> password;
    bool focusOnUsername = false;
    dialogs.onNextModal([&](QWidget& shown) {
        auto& form = static_cast<frmPasswordAuth&>(shown);
        username = form.txtUsername.text();
        password = form.txtPassword.text();
        focusOnUsername = form.focusWidget() == &form.txtUsername;
        form.Command2.click();
    });
    EXPECT_FALSE(ShowPasswordAuth(run));
    ASSERT_TRUE(username && password);
    EXPECT_TRUE(username->isEmpty());
    EXPECT_TRUE(password->isEmpty());
    EXPECT_TRUE(focusOnUsername);
    EXPECT_EQ(dialogs.modalForms(), (std::vector<QString>{"frmPasswordAuth", "frmPasswordAuth"}));
    EXPECT_TRUE(dialogs.shown().empty());
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_NE(window->objectName(), "frmPasswordAuth") << "the form outlived its showing";
    }
}

}  // namespace
