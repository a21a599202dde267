#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <ostream>

#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "recording/RunClaim.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Twips.h"
#include "screens/intake/frmLogin.h"
#include "screens/intake/frmNewSubject.h"
#include "support/ExperimentDatabase.h"
#include "support/IntakeScripts.h"
#include "support/Typing.h"
#include "tests/support/Ending.h"
#include "tests/support/OpenWrite.h"

namespace {

class LoginTest : public ::testing::Test {
  protected:
    ::Run run;
    frmLogin login{run};

  protected:
    void SetUp() override {
        run.session.databasePath = database.path();
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        database.addVersion("A");
        database.addVersion("B");
        database.addDelaySegment(1, 2, 20, 2, 20);
        database.addRate(1, 1, 2, 1);
    }
    void TearDown() override { EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open"; }

    frmLogin& loadedForm() {
        login.LoadVersions();
        return login;
    }

    // Types a name and presses Start.
    void start(const QString& name) {
        frmLogin& form = login;
        form.txtName.setText(name);
        form.cmdStart_Click();
    }

    // A returning participant whose last event is in `trial`.
    void recordRun(const QString& name, const QString& version, int trial,
                   const QString& totBonus = "7") {
        database.registerSubject(name, version);
        database.addEvent(name, version, 1, 1, {{"TotBonus", "5"}});
        database.addEvent(name, version, 9, trial,
                          {{"TotBonus", totBonus}, {"AmountInTank", "31.5"}});
    }

    const runtime::Question& lastMessage() const {
        EXPECT_FALSE(dialogs.shown().empty());
        return dialogs.shown().back();
    }

    ExperimentDatabase database;
    ui::ScriptedDialogs dialogs;
};

TEST_F(LoginTest, ShowsTheDesignedControls) {
    frmLogin& form = loadedForm();
    EXPECT_EQ(form.objectName(), "frmLogin");
    EXPECT_EQ(form.windowTitle(), "Welcome");
    EXPECT_EQ(form.size(), QSize(ui::TwipsToPixelsX(6375), ui::TwipsToPixelsY(1725)));
    struct Placed {
        QWidget* control;
        QRect twips;
    };
    const Placed placed[] = {
        {&form.lblLogin, {360, 360, 735, 375}},    {&form.txtName, {1080, 360, 2895, 375}},
        {&form.lblVersion, {4320, 360, 975, 375}}, {&form.cboVersion, {5280, 360, 855, 420}},
        {&form.cmdStart, {1200, 960, 1815, 495}},  {&form.cmdQuit, {3360, 960, 1815, 495}},
    };
    for (const Placed& p : placed) {
        EXPECT_EQ(p.control->geometry(),
                  ui::TwipRect(p.twips.x(), p.twips.y(), p.twips.width(), p.twips.height()))
            << p.control->metaObject()->className();
        EXPECT_EQ(p.control->font().pixelSize(), ui::DesignFont(12, false).pixelSize());
    }
    EXPECT_EQ(form.lblLogin.text(), "Login: ");
    EXPECT_EQ(form.lblVersion.text(), "Version:");
    EXPECT_EQ(form.cmdStart.text(), "Start");
    EXPECT_TRUE(form.cmdStart.font().bold());
    EXPECT_FALSE(form.cmdQuit.font().bold());
    EXPECT_EQ(form.cmdQuit.text(), "Quit");
    EXPECT_EQ(form.txtName.text(), "");
    EXPECT_FALSE(form.cmdStart.isEnabled());
    EXPECT_TRUE(form.cmdQuit.isEnabled());
    EXPECT_TRUE(form.cboVersion.isEditable());
    EXPECT_EQ(NextTabStop(form.txtName), &form.cboVersion);
    EXPECT_EQ(NextTabStop(form.cboVersion), &form.cmdStart);
    EXPECT_EQ(NextTabStop(form.cmdStart), &form.cmdQuit);
}

TEST_F(LoginTest, LoadVersionsListsEveryVersionAndSelectsTheFirst) {
    database.addVersion("O'Brien");
    database.addVersion("a2");
    frmLogin& form = loadedForm();
    QStringList items;
    for (int i = 0; i < form.cboVersion.count(); ++i) items << form.cboVersion.itemText(i);
    EXPECT_EQ(items, (QStringList{"A", "a2", "B", "O'Brien"}));
    EXPECT_EQ(form.cboVersion.currentIndex(), 0);
    EXPECT_EQ(form.cboVersion.currentText(), "A");
}

TEST_F(LoginTest, ALongVersionShowsWholeInAWiderBoxAndForm) {
    const QString longVersion = "StoreTimeDrivenSpring";
    database.addVersion(longVersion);
    frmLogin& form = loadedForm();
    const QRect design = ui::TwipRect(5280, 360, 855, 420);
    const int designRightMargin = ui::TwipsToPixelsX(6375) - design.right();
    EXPECT_EQ(form.cboVersion.pos(), design.topLeft()) << "the box keeps its place";
    EXPECT_GT(form.cboVersion.width(), design.width());
    EXPECT_EQ(form.width() - form.cboVersion.geometry().right(), designRightMargin);
    form.show();
    const QLineEdit& text = *form.cboVersion.lineEdit();
    // The line edit keeps a couple of pixels inside its frame.
    EXPECT_GE(text.width() - 4, text.fontMetrics().horizontalAdvance(longVersion));
}

TEST_F(LoginTest, AVeryLongVersionWidensTheBoxOnlyToTheNameBoxsWidth) {
    database.addVersion(QString(200, QLatin1Char('V')));
    frmLogin& form = loadedForm();
    EXPECT_EQ(form.cboVersion.width(), form.txtName.width());
    EXPECT_EQ(form.width() - form.cboVersion.geometry().right(),
              ui::TwipsToPixelsX(6375) - ui::TwipRect(5280, 360, 855, 420).right());
}

TEST_F(LoginTest, StartIsEnabledExactlyByANameThatIsNotBlank) {
    frmLogin& form = loadedForm();
    form.txtName.setText("   ");
    EXPECT_FALSE(form.cmdStart.isEnabled());
    TypeKeys(form.txtName, "\r");
    EXPECT_TRUE(dialogs.modalForms().empty());
    EXPECT_TRUE(run.state.SubjectName.isEmpty()) << "Enter ran Start with a blank name";
    form.txtName.setText("  Ann ");
    EXPECT_TRUE(form.cmdStart.isEnabled());
}

// Text typed into the version box, and what leaving the box selects.
struct ValidateCase {
    const char* name;
    const char* typed;
    const char* selected;
};

std::ostream& operator<<(std::ostream& out, const ValidateCase& c) {
    return out << c.name;
}

class VersionValidateTest : public LoginTest, public ::testing::WithParamInterface<ValidateCase> {};

TEST_P(VersionValidateTest, LeavingTheBoxSelectsAListedVersion) {
    frmLogin& form = loadedForm();
    form.cboVersion.setEditText(GetParam().typed);
    form.cboVersion_Validate();
    EXPECT_EQ(form.cboVersion.currentText(), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(Typed, VersionValidateTest,
                         ::testing::Values(ValidateCase{"OtherCase", "b", "B"},
                                           ValidateCase{"Exact", "B", "B"},
                                           ValidateCase{"Unknown", "zzz", "A"},
                                           ValidateCase{"Empty", "", "A"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoginTest, MovingTheFocusOnValidatesTheVersion) {
    frmLogin& form = loadedForm();
    form.show();
    QApplication::setActiveWindow(&form);
    form.cboVersion.setFocus(Qt::TabFocusReason);
    form.cboVersion.setEditText("b");
    form.txtName.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(form.cboVersion.currentText(), "B");
    form.hide();
}

TEST_F(LoginTest, WithNoVersionsStartIsRefusedWithAMessage) {
    database.execute("DELETE FROM tblSetup");
    frmLogin& form = loadedForm();
    EXPECT_EQ(form.cboVersion.count(), 0);
    form.cboVersion.setEditText("A");
    form.cboVersion_Validate();
    EXPECT_EQ(form.cboVersion.currentText(), "A");
    start("Ann");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(lastMessage().text.contains("tblSetup"));
    EXPECT_TRUE(lastMessage().text.contains(database.path()));
    EXPECT_FALSE(form.Accepted());
    EXPECT_TRUE(dialogs.modalForms().empty());
}

TEST_F(LoginTest, EnterInTheVersionBoxStartsWithTheTypedTextAndAnUnknownVersionIsNamed) {
    frmLogin& form = loadedForm();
    form.show();
    form.txtName.setText("Ann");
    form.cboVersion.setEditText("Nope");
    TypeKeys(form.cboVersion, "\r");
    EXPECT_EQ(run.state.Version, "Nope");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(lastMessage().text.contains("'Nope'")) << lastMessage().text.toStdString();
    EXPECT_FALSE(form.Accepted());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.txtName.hasSelectedText());
    form.hide();
}

TEST_F(LoginTest, AMissingDelayScenarioKeepsTheLoginWithAMessage) {
    database.addVersion("C", {{"DelayScenario", "77"}});
    frmLogin& form = loadedForm();
    form.cboVersion.setEditText("C");
    start("Ann");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(lastMessage().text.contains("77")) << lastMessage().text.toStdString();
    EXPECT_FALSE(form.Accepted());
}

// The initial orders and starting delays, and whether the setup check ends the program.
struct SetupCheckCase {
    const char* name;
    const char* backOrder;
    const char* forward;
    double inDelay, outDelay;
    bool ends;
};

std::ostream& operator<<(std::ostream& out, const SetupCheckCase& c) {
    return out << c.name;
}

class SetupCheckTest : public LoginTest, public ::testing::WithParamInterface<SetupCheckCase> {};

TEST_P(SetupCheckTest, AnInitialOrderWithDelayOneEndsTheProgram) {
    const SetupCheckCase& c = GetParam();
    database.addVersion("C", {{"DelayScenario", "5"},
                              {"InitialBackOrder", c.backOrder},
                              {"InitialForwardDischarge", c.forward}});
    database.addDelaySegment(5, c.inDelay, 10, c.outDelay, 10);
    frmLogin& form = loadedForm();
    form.cboVersion.setEditText("C");
    if (!c.ends) {
        ScriptRegistration(dialogs);
        start("Ann");
        EXPECT_TRUE(form.Accepted());
        return;
    }
    EXPECT_EQ(EndingOf([&] { start("Ann"); }), runtime::ExitStatus::StartUpRefused);
    // The version cannot run: no earnings are announced for a run that never began.
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "Value of inFlowTPAfter or outFlowTPAfter is 1 and your initial Back or Forward "
              "orders are not set to 0");
    EXPECT_EQ(dialogs.shown()[0].title, runtime::ApplicationTitle());
    EXPECT_EQ(dialogs.shown()[0].buttons, runtime::Buttons::Ok);
    EXPECT_EQ(dialogs.shown()[0].icon, runtime::Icon::None);
}

INSTANTIATE_TEST_SUITE_P(
    Setups, SetupCheckTest,
    ::testing::Values(SetupCheckCase{"BackOrderDelayOne", "5", "0", 1, 3, true},
                      SetupCheckCase{"ForwardDelayOne", "0", "2", 3, 1, true},
                      SetupCheckCase{"BackOrderDelayTwo", "5", "0", 2, 2, false},
                      SetupCheckCase{"NoOrdersDelayOne", "0", "0", 1, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoginTest, ANewParticipantIsRegisteredAndTheLoginAccepted) {
    frmLogin& form = loadedForm();
    ScriptRegistration(dialogs);
    start("  Ann  ");
    EXPECT_EQ(run.state.SubjectName, "Ann");
    EXPECT_EQ(run.state.Version, "A");
    EXPECT_EQ(dialogs.modalForms(), (std::vector<QString>{"frmNewSubject"}));
    EXPECT_TRUE(form.Accepted());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(run.state.CurrentTrial, 0);
    EXPECT_EQ(run.state.BackOrder.size(), 14u);
    EXPECT_EQ(run.state.ForwardDischarge.size(), 14u);
    const auto rows = database.rows("SELECT Subject, Version FROM datSubject");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Subject").toString(), "Ann");
}

TEST_F(LoginTest, CancelOnRegistrationShowsTheLoginAgain) {
    frmLogin& form = loadedForm();
    dialogs.onNextModal(
        [](QWidget& form) { dynamic_cast<frmNewSubject&>(form).btnCancel_Click(); });
    // The login shown again: the participant changes the version and registers.
    dialogs.onNextModal([this](QWidget& shown) {
        auto& login = dynamic_cast<frmLogin&>(shown);
        EXPECT_TRUE(login.isVisible());
        login.cboVersion.setCurrentIndex(1);
        ScriptRegistration(dialogs);
        login.cmdStart_Click();
    });
    start("Ann");
    EXPECT_EQ(dialogs.modalForms(),
              (std::vector<QString>{"frmNewSubject", "frmLogin", "frmNewSubject"}));
    EXPECT_TRUE(form.Accepted());
    const auto rows = database.rows("SELECT Version FROM datSubject");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Version").toString(), "B");
}

TEST_F(LoginTest, ClosingTheLoginShownAgainLeavesItUnaccepted) {
    frmLogin& form = loadedForm();
    dialogs.onNextModal([](QWidget& form) { form.close(); });  // registration window closed
    dialogs.onNextModal([](QWidget& form) { form.close(); });  // then the login window
    start("Ann");
    EXPECT_FALSE(form.Accepted());
    EXPECT_TRUE(database.rows("SELECT * FROM datSubject").empty());
}

TEST_F(LoginTest, AReturningParticipantIsOfferedTheNextPeriod) {
    recordRun("ann", "A", 4);
    frmLogin& form = loadedForm();
    dialogs.answerNext(runtime::Answer::Yes);
    start("ANN");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(lastMessage().text, "Continue with Trial #5");
    EXPECT_EQ(lastMessage().title, "Login ANN already used");
    EXPECT_EQ(lastMessage().buttons, runtime::Buttons::YesNo);
    EXPECT_EQ(lastMessage().icon, runtime::Icon::None);
    EXPECT_TRUE(form.Accepted());
    EXPECT_TRUE(dialogs.modalForms().empty());
    EXPECT_EQ(run.state.SubjectName, "ANN");
    EXPECT_EQ(run.state.CurrentTrial, 4);
    EXPECT_EQ(run.state.TotBonus, 7);
    EXPECT_EQ(run.state.EventID, 9);
}

// A returning participant whose latest event cannot be read is neither continued from a
// guess nor registered a second time: the login names what is wrong and stays.
struct UnreadableRunCase {
    const char* name;
    const char* column;
    const char* value;  // SQL
    const char* says;
};

std::ostream& operator<<(std::ostream& out, const UnreadableRunCase& c) {
    return out << c.name;
}

class UnreadableRunTest : public LoginTest,
                          public ::testing::WithParamInterface<UnreadableRunCase> {};

TEST_P(UnreadableRunTest, IsNamedAndTheLoginStays) {
    const UnreadableRunCase& c = GetParam();
    database.registerSubject("Bob", "A");
    database.addEvent("Bob", "A", 1, 1, {{"AmountInTank", "50"}});
    std::map<QString, QString> latest{{"AmountInTank", "50"}};
    latest[c.column] = c.value;
    database.addEvent("Bob", "A", 2, 1, latest);
    frmLogin& form = loadedForm();
    start("Bob");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(lastMessage().text.startsWith(
        "The records of Bob in version A cannot be read, so the run can neither continue nor "
        "start again under this name.\r\nError 3421: "))
        << lastMessage().text.toStdString();
    EXPECT_TRUE(lastMessage().text.contains(QString::fromLatin1(c.says)))
        << lastMessage().text.toStdString();
    EXPECT_TRUE(dialogs.modalForms().empty()) << "registered again";
    EXPECT_FALSE(form.Accepted());
    EXPECT_EQ(run.state.CurrentTrial, 0);
    EXPECT_EQ(database.rows("SELECT * FROM datSubject").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    LatestEvent, UnreadableRunTest,
    ::testing::Values(
        UnreadableRunCase{"NoAmount", "AmountInTank", "NULL",
                          "column AmountInTank of the latest event holds nothing, not a number"},
        UnreadableRunCase{"TextPeriod", "Trial", "'x'",
                          "column Trial of the latest event holds 'x', not a number"},
        UnreadableRunCase{"DelayBeyondItsField", "UserInflowTP", "70000",
                          "column UserInflowTP of the latest event holds 70000, beyond the whole "
                          "numbers it may hold"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoginTest, NoToTheContinuationKeepsTheLogin) {
    recordRun("Ann", "A", 4);
    frmLogin& form = loadedForm();
    form.show();
    dialogs.answerNext(runtime::Answer::No);
    start("Ann");
    EXPECT_FALSE(form.Accepted());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.txtName.selectedText(), "Ann");
    form.hide();
}

TEST_F(LoginTest, ANewNameAfterADeclinedContinuationStartsFromPeriodZero) {
    recordRun("Ann", "A", 4);
    frmLogin& form = loadedForm();
    dialogs.answerNext(runtime::Answer::No);
    start("Ann");
    ASSERT_EQ(run.state.CurrentTrial, 4);
    ScriptRegistration(dialogs);
    start("Bea");
    EXPECT_TRUE(form.Accepted());
    EXPECT_EQ(run.state.SubjectName, "Bea");
    EXPECT_EQ(run.state.CurrentTrial, 0);
    EXPECT_EQ(run.state.EventID, 0);
    EXPECT_EQ(run.state.TotBonus, 0);
    EXPECT_EQ(run.state.AmountInTank, 0);
}

TEST_F(LoginTest, TheSameNameUnderAnotherVersionIsNew) {
    recordRun("Ann", "B", 4);
    frmLogin& form = loadedForm();
    ScriptRegistration(dialogs);
    start("Ann");
    EXPECT_EQ(dialogs.modalForms(), (std::vector<QString>{"frmNewSubject"}));
    EXPECT_TRUE(form.Accepted());
    EXPECT_EQ(run.state.CurrentTrial, 0);
}

// Names that must be recognised whatever their letters, and the name the run goes on under.
struct NameCase {
    const char* name;
    const char* registered;
    const char* typed;
    const char* continuesAs;
};

std::ostream& operator<<(std::ostream& out, const NameCase& c) {
    return out << c.name;
}

class ReturningNameTest : public LoginTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ReturningNameTest, IsRecognisedAndResumed) {
    const NameCase& c = GetParam();
    recordRun(c.registered, "A", 3, "6.5");
    frmLogin& form = loadedForm();
    dialogs.answerNext(runtime::Answer::Yes);
    start(c.typed);
    ASSERT_TRUE(form.Accepted());
    EXPECT_EQ(run.state.SubjectName, c.continuesAs);
    EXPECT_EQ(run.state.CurrentTrial, 3);
    EXPECT_EQ(run.state.TotBonus, 6.5);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ReturningNameTest,
    ::testing::Values(NameCase{"Quote", "O'Brien", "O'Brien", "O'Brien"},
                      NameCase{"QuoteOtherCase", "O'Brien", "o'brien", "o'brien"},
                      NameCase{"Umlaut", "Müller", "Müller", "Müller"},
                      NameCase{"UmlautInCapitals", "Müller", "MÜLLER", "Müller"},
                      NameCase{"AsciiCapitalsKeepTheTypedLetters", "ann", "ANN", "ANN"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoginTest, AParticipantWhoseLastPeriodIsTheLastSeesTheEarningsAtOnce) {
    recordRun("Ann", "A", 12, "13.25");
    loadedForm();
    EXPECT_EQ(EndingOf([&] { start("Ann"); }), runtime::ExitStatus::Finished);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(lastMessage().text, EarningsMessage(run));
    EXPECT_TRUE(lastMessage().text.contains(" 14.00 dollars"));
}

TEST_F(LoginTest, AFinishedRunStoppedBeforeItsLastSummaryRowWasCompletedHasItCompleted) {
    recordRun("Ann", "A", 12, "13.25");
    database.execute(
        "INSERT INTO datTrialSummary (Subject, Version, Trial, AmountInTank, "
        "TotBonus) VALUES ('Ann', 'A', 12, 29, 12.25)");
    loadedForm();
    EXPECT_EQ(EndingOf([&] { start("Ann"); }), runtime::ExitStatus::Finished);
    const auto rows = database.rows("SELECT * FROM datTrialSummary");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("AmountInTank"), 31.5) << "the amount the closing event recorded";
    EXPECT_EQ(rows[0].at("TotBonus"), 13.25);
    EXPECT_EQ(lastMessage().text, EarningsMessage(run));
}

TEST_F(LoginTest, QuitEndsWithoutTheEarningsMessage) {
    frmLogin& form = loadedForm();
    EXPECT_EQ(EndingOf([&] { form.cmdQuit_Click(); }), runtime::ExitStatus::QuitAtLogin);
    EXPECT_TRUE(run.state.QuitAtLogin);
    EXPECT_TRUE(dialogs.shown().empty());
}

// While another station plays the participant, the login names that station and stays; no
// registration or continuation happens. A cancelled registration gives the claim up.
TEST_F(LoginTest, ASecondStationsLoginOfAParticipantInPlayIsRefused) {
    recordRun("Ann", "A", 3);
    database.execute(
        QStringLiteral(
            "INSERT INTO datRunClaims (Subject, Version, Station, Claim, LastSeen, Released) "
            "VALUES ('Ann', 'A', 'lab-pc-03', 'k', '%1', 0)")
            .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate)));
    frmLogin& form = loadedForm();
    start("ann");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(lastMessage().text.startsWith("ann is playing version A on station lab-pc-03"))
        << lastMessage().text.toStdString();
    EXPECT_FALSE(form.Accepted());
    EXPECT_EQ(run.state.CurrentTrial, 0) << "the refused run stayed restored";

    dialogs.onNextModal(
        [](QWidget& shown) { dynamic_cast<frmNewSubject&>(shown).btnCancel_Click(); });
    start("Ben");
    const auto claims =
        database.rows("SELECT Station, Released FROM datRunClaims WHERE Subject = 'Ben'");
    ASSERT_EQ(claims.size(), 1u);
    EXPECT_EQ(claims[0].at("Station").toString(), StationName(run));
    EXPECT_EQ(claims[0].at("Released").toInt(), -1);
}

}  // namespace
