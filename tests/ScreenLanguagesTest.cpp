// The participant's screens in every language: no caption is wider or taller than its control,
// measured with the control's own font; and the program speaks the versions' language from
// the login on, and exactly today's English for English versions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionGroupBox>
#include <climits>

#include "app/Main.h"
#include "core/RunRecord.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Language.h"
#include "screens/exit/frmPasswordAuth.h"
#include "screens/intake/frmLogin.h"
#include "screens/intake/frmNewSubject.h"
#include "screens/intake/frmSplash.h"
#include "screens/simulation/frmHydrovat.h"
#include "tests/frmHydrovatFixture.h"
#include "tests/support/ExperimentDatabase.h"
#include "tests/support/IntakeScripts.h"
#include "tests/support/Typing.h"

namespace {

QString Described(const QWidget& control, const QString& text, const QSize& needed) {
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(control.objectName().isEmpty() ? control.metaObject()->className()
                                            : control.objectName(),
             text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(control.width())
        .arg(control.height());
}

// A label's text in its contents, wrapped where the label wraps.
std::optional<QSize> LabelMisfit(const QLabel& label) {
    if (label.text().isEmpty()) return std::nullopt;
    const QRect area = label.contentsRect();
    const QFontMetrics metrics = label.fontMetrics();
    const QSize needed = label.wordWrap()
                             ? metrics
                                   .boundingRect(QRect(0, 0, area.width(), INT_MAX / 2),
                                                 Qt::TextWordWrap | label.alignment(), label.text())
                                   .size()
                             : QSize(metrics.horizontalAdvance(label.text()), metrics.height());
    // A design height below one line is the design's own: what counts is a caption that wraps
    // to more lines than its control shows.
    const int oneLine =
        metrics.boundingRect(QRect(0, 0, INT_MAX / 2, INT_MAX / 2), label.alignment(), label.text())
            .height();
    if (needed.width() <= area.width() && needed.height() <= std::max(area.height(), oneLine))
        return std::nullopt;
    return needed;
}

// A button's caption with the style's margins and marks; its height is the design's.
std::optional<QSize> ButtonMisfit(const QAbstractButton& button) {
    if (button.text().isEmpty()) return std::nullopt;
    const QSize needed = button.sizeHint();
    if (needed.width() <= button.width()) return std::nullopt;
    return needed;
}

std::optional<QSize> TitleMisfit(const QGroupBox& frame) {
    QStyleOptionGroupBox option;
    option.initFrom(&frame);
    option.text = frame.title();
    option.subControls = QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    const QRect title = frame.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                      QStyle::SC_GroupBoxLabel, &frame);
    if (frame.rect().contains(title)) return std::nullopt;
    return title.size();
}

// Every choice of a list shows whole in the box's text area.
QStringList ChoiceMisfits(const QComboBox& box) {
    QStringList misfits;
    if (!box.lineEdit()) return misfits;
    const int room = box.lineEdit()->width() - 4;
    for (int i = 0; i < box.count(); ++i) {
        const QSize needed(box.fontMetrics().horizontalAdvance(box.itemText(i)), 0);
        if (needed.width() > room) misfits << Described(box, box.itemText(i), needed);
    }
    return misfits;
}

// Every caption of the form that its control cuts off.
QStringList ClippedCaptions(const QWidget& form) {
    QStringList clipped;
    for (const QWidget* control : form.findChildren<const QWidget*>()) {
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            if (const auto needed = LabelMisfit(*label))
                clipped << Described(*label, label->text(), *needed);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            if (const auto needed = ButtonMisfit(*button))
                clipped << Described(*button, button->text(), *needed);
        } else if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
            if (const auto needed = TitleMisfit(*frame))
                clipped << Described(*frame, frame->title(), *needed);
        } else if (const auto* box = qobject_cast<const QComboBox*>(control)) {
            clipped << ChoiceMisfits(*box);
        }
    }
    return clipped;
}

struct ScreenCase {
    QString language;
    double twipsPerPixel;  // the design's, and the scales of the lab's usual screens
};

std::ostream& operator<<(std::ostream& out, const ScreenCase& c) {
    return out << c.language.toStdString() << " at " << c.twipsPerPixel << " twips per pixel";
}

class ScreenLanguagesTest : public ::testing::TestWithParam<ScreenCase> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(language.speak(GetParam().language));
        PrepareScreenRun(run, true);
        runtime::CurrentContext().twipsPerPixel = GetParam().twipsPerPixel;
    }

    void expectEveryCaptionFits(const QWidget& form) {
        EXPECT_EQ(ClippedCaptions(form).join('\n').toStdString(), "")
            << form.objectName().toStdString();
    }

    runtime::ScopedContext context;
    ui::ParticipantLanguage language;
    ::Run run;
};

TEST_P(ScreenLanguagesTest, TheSplashLoginRegistrationAndPasswordFormShowEveryCaptionWhole) {
    expectEveryCaptionFits(frmSplash());
    expectEveryCaptionFits(frmLogin(run));
    expectEveryCaptionFits(frmNewSubject(run));
    expectEveryCaptionFits(frmPasswordAuth(run));
}

TEST_P(ScreenLanguagesTest, TheTankAndTheStoreShowEveryCaptionWhole) {
    expectEveryCaptionFits(frmHydrovat(run));
    PrepareScreenRun(run, false);
    runtime::CurrentContext().twipsPerPixel = GetParam().twipsPerPixel;
    expectEveryCaptionFits(frmHydrovat(run));
}

std::vector<ScreenCase> EveryLanguageAtEveryScale() {
    std::vector<ScreenCase> cases;
    for (const char* language : {"en", "de", "es", "fr", "zh"}) {
        for (const QSize screen : {QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080)})
            cases.push_back({language, frmHydrovat::FitTwipsPerPixel(screen)});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenLanguagesTest,
                         ::testing::ValuesIn(EveryLanguageAtEveryScale()));

// The program from its start: the versions' language decides what the login and the screens
// after it speak.
class ProgramLanguageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program.SetSplashMilliseconds(5);
        program.run().session.databasePath = database.path();
        program.run().asks = &dialogs;
        program.run().showsForms = &dialogs;
        database.addDelaySegment(1, 4, 20, 3, 20);
        for (int trial = 1; trial <= 12; ++trial) database.addRate(1, trial, 2, 1);
    }
    void TearDown() override { program.UnloadSimulationScreen(); }

    // Runs the program to its simulation screen as `name` in `version`, keeping the login's
    // captions.
    void logInAndRegister(const QString& name, const QString& version) {
        dialogs.onNextModal([this, name, version](QWidget& form) {
            auto& login = dynamic_cast<frmLogin&>(form);
            loginCaptions = {login.windowTitle(), login.lblLogin.text(), login.lblVersion.text(),
                             login.cmdStart.text(), login.cmdQuit.text()};
            login.txtName.setText(name);
            login.cboVersion.setEditText(version);
            login.cmdStart_Click();
        });
        dialogs.onNextModal([](QWidget& form) {
            auto& registration = dynamic_cast<frmNewSubject&>(form);
            TypeKeys(registration.txtAge, "25");
            registration.optFemale.click();
            registration.cboMajor.setCurrentIndex(
                static_cast<int>(Majors().indexOf(QStringLiteral("Psychology"))));
            registration.btnBegin_Click();
        });
        program.Main();
        ASSERT_NE(program.SimulationScreen(), nullptr);
    }

    // Ctrl+X in the inflow box, answered No: the question asked.
    runtime::Question exitQuestion() {
        dialogs.answerNext(runtime::Answer::No);
        PressKey(program.SimulationScreen()->txtUsrInflowVal, Qt::Key_X, Qt::ControlModifier,
                 QString(QChar(24)));
        EXPECT_EQ(dialogs.shown().size(), 1u);
        return dialogs.shown().empty() ? runtime::Question{} : dialogs.shown().back();
    }

    ExperimentDatabase database;
    Program program;
    ui::ScriptedDialogs dialogs;
    QStringList loginCaptions;
};

TEST_F(ProgramLanguageTest, GermanVersionsSpeakGermanFromTheLoginToTheExitQuestion) {
    database.addVersion("A", {{"Language", "'de'"}});
    database.addVersion("B", {{"Language", "'de'"}});
    logInAndRegister("Ann", "A");
    EXPECT_EQ(loginCaptions, (QStringList{"Willkommen", "Name: ", "Version:", "Start", "Beenden"}));
    EXPECT_EQ(program.SimulationScreen()->cmdNextTrial.text(), "Absenden");
    const runtime::Question question = exitQuestion();
    EXPECT_EQ(question.title, "Programm beenden");
    EXPECT_EQ(question.text, "Wollen Sie das Programm wirklich beenden?");
    // Recorded as the codebook says, whatever the screen showed.
    const auto subjects = database.rows("SELECT Major, Gender FROM datSubject");
    ASSERT_EQ(subjects.size(), 1u);
    EXPECT_EQ(subjects[0].at("Major").toString(), "Psychology");
    EXPECT_EQ(subjects[0].at("Gender").toString(), "Female");
}

TEST_F(ProgramLanguageTest, EnglishVersionsSpeakExactlyTodaysEnglish) {
    database.addVersion("A", {{"Language", "'en'"}});
    database.addVersion("B", {{"Language", "NULL"}});
    logInAndRegister("Ann", "A");
    EXPECT_EQ(loginCaptions, (QStringList{"Welcome", "Login: ", "Version:", "Start", "Quit"}));
    EXPECT_EQ(program.SimulationScreen()->cmdNextTrial.text(), "Submit");
    const runtime::Question question = exitQuestion();
    EXPECT_EQ(question.title, "Exit Application");
    EXPECT_EQ(question.text, "Are you sure you want to exit?");
}

TEST_F(ProgramLanguageTest, TheRegistrationSpeaksTheChosenVersionsLanguageTheLoginItsOwn) {
    database.addVersion("A", {{"Language", "'fr'"}});
    database.addVersion("B", {{"Language", "'de'"}});
    QStringList seen;
    const auto logIn = [&](const QString& version) {
        dialogs.onNextModal([&, version](QWidget& form) {
            auto& login = dynamic_cast<frmLogin&>(form);
            seen << login.cmdStart.text() + " " + program.Language();
            login.txtName.setText("Ann");
            login.cboVersion.setEditText(version);
            login.cmdStart_Click();
        });
    };
    logIn("A");
    dialogs.onNextModal([&](QWidget& form) {
        auto& registration = dynamic_cast<frmNewSubject&>(form);
        seen << registration.btnCancel.text();
        registration.btnCancel_Click();
    });
    logIn("B");
    dialogs.onNextModal([&](QWidget& form) {
        auto& registration = dynamic_cast<frmNewSubject&>(form);
        seen << registration.btnBegin.text();
        TypeKeys(registration.txtAge, "25");
        registration.optMale.click();
        registration.cboMajor.setCurrentIndex(0);
        registration.btnBegin_Click();
    });
    program.Main();
    EXPECT_EQ(seen, (QStringList{"Start en", "Annuler", "Start en", "Beginnen"}));
    EXPECT_EQ(program.Language(), "de");
}

TEST_F(ProgramLanguageTest, VersionsOfDifferentLanguagesLogInInEnglishAndPlayInTheirOwn) {
    database.addVersion("A", {{"Language", "'fr'"}});
    database.addVersion("B", {{"Language", "'zh'"}});
    logInAndRegister("Ann", "A");
    EXPECT_EQ(loginCaptions, (QStringList{"Welcome", "Login: ", "Version:", "Start", "Quit"}));
    EXPECT_EQ(program.Language(), "fr");
    EXPECT_EQ(program.SimulationScreen()->cmdNextTrial.text(), "Valider");
    EXPECT_EQ(exitQuestion().title, "Quitter le programme");
}

}  // namespace
