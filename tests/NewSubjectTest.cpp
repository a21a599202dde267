#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <functional>
#include <ostream>

#include "core/RunRecord.h"
#include "db/Engine.h"
#include "recording/RunClaim.h"
#include "runtime/Clock.h"
#include "screens/common/Dialogs.h"
#include "screens/common/Twips.h"
#include "screens/intake/frmNewSubject.h"
#include "support/ExperimentDatabase.h"
#include "support/Typing.h"

namespace {

class NewSubjectTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override {
        run.session.databasePath = database.path();
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        run.state.SubjectName = "Ann";
        run.state.Version = "A";
    }

    std::vector<ExperimentDatabase::Row> subjects() const {
        return database.storedRows("SELECT * FROM datSubject");
    }

    // Age, gender and major filled in as a participant would.
    static void FillIn(frmNewSubject& form) {
        TypeKeys(form.txtAge, "23");
        form.optFemale.click();
        form.cboMajor.setCurrentIndex(form.cboMajor.findText("History"));
    }

    ExperimentDatabase database;
    ui::ScriptedDialogs dialogs;
};

TEST_F(NewSubjectTest, StartsEmptyWithTheMajorsAndTheNameInTheTitle) {
    frmNewSubject form(run);
    EXPECT_EQ(form.windowTitle(), "Subject Info: Ann");
    EXPECT_EQ(form.size(), QSize(ui::TwipsToPixelsX(5055), ui::TwipsToPixelsY(2550)));
    EXPECT_EQ(form.txtAge.text(), "");
    EXPECT_FALSE(form.optFemale.isChecked());
    EXPECT_FALSE(form.optMale.isChecked());
    EXPECT_EQ(form.cboMajor.currentText(), "Major");
    ASSERT_EQ(form.cboMajor.count(), 27);
    EXPECT_EQ(form.cboMajor.itemText(0), "Architecture");
    EXPECT_EQ(form.cboMajor.itemText(6), "Civil & Environmental Engineering");
    EXPECT_EQ(form.cboMajor.itemText(26), "Other");
    EXPECT_FALSE(form.btnBegin.isEnabled());
    EXPECT_TRUE(form.btnBegin.font().bold());
    EXPECT_TRUE(form.btnCancel.isEnabled());
    EXPECT_FALSE(form.Registered);
    EXPECT_EQ(form.FieldFilled, (std::array<bool, 3>{false, false, false}));
}

TEST_F(NewSubjectTest, ControlsSitAtTheirDesignPlacesInTabOrder) {
    frmNewSubject form(run);
    struct Placed {
        QWidget* control;
        QString caption;
        QRect twips;
    };
    const Placed placed[] = {
        {&form.tagAge, "Age:", {360, 480, 615, 375}},
        {&form.txtAge, "", {960, 480, 615, 390}},
        {&form.fraGender, "Gender", {1800, 240, 2895, 735}},
        {&form.optFemale, "Female", {240, 360, 1215, 270}},
        {&form.optMale, "Male", {1800, 360, 855, 270}},
        {&form.cboMajor, "", {360, 1080, 4335, 390}},
        {&form.btnBegin, "Begin", {360, 1680, 2055, 495}},
        {&form.btnCancel, "Cancel", {2640, 1680, 2055, 495}},
    };
    for (const Placed& p : placed) {
        EXPECT_EQ(p.control->geometry(),
                  ui::TwipRect(p.twips.x(), p.twips.y(), p.twips.width(), p.twips.height()))
            << p.caption.toStdString();
    }
    EXPECT_EQ(form.tagAge.text(), "Age:");
    EXPECT_EQ(form.fraGender.title(), "Gender");
    EXPECT_EQ(form.optFemale.text(), "Female");
    EXPECT_EQ(form.optMale.text(), "Male");
    EXPECT_EQ(form.btnBegin.text(), "Begin");
    EXPECT_EQ(form.btnCancel.text(), "Cancel");
    const QWidget* order[] = {&form.txtAge,   &form.optFemale, &form.optMale,
                              &form.cboMajor, &form.btnBegin,  &form.btnCancel};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_EQ(NextTabStop(*order[i]), order[i + 1]) << "after control " << i;
    }
}

// Keys typed into an empty age box, and the text they leave.
struct AgeCase {
    const char* name;
    const char* keys;
    const char* text;
};

std::ostream& operator<<(std::ostream& out, const AgeCase& c) {
    return out << c.name;
}

class AgeKeysTest : public NewSubjectTest, public ::testing::WithParamInterface<AgeCase> {};

TEST_P(AgeKeysTest, LeavesTheExpectedText) {
    frmNewSubject form(run);
    TypeKeys(form.txtAge, GetParam().keys);
    EXPECT_EQ(form.txtAge.text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Keys, AgeKeysTest,
                         ::testing::Values(AgeCase{"ZeroFirstIsRefused", "0", ""},
                                           AgeCase{"SevenThenZeroGivesSeventy", "70", "70"},
                                           AgeCase{"LeadingZeroSkipped", "007", "7"},
                                           AgeCase{"LettersAndSignsAreRefused", "2a-.5 ", "25"},
                                           AgeCase{"BackspaceIsTaken", "45\b", "4"},
                                           AgeCase{"EnterTypesNothing", "3\r", "3"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NewSubjectTest, APastedZeroIsReplacedByTheNextDigit) {
    frmNewSubject form(run);
    form.txtAge.setText("0");
    TypeKeys(form.txtAge, "8");
    EXPECT_EQ(form.txtAge.text(), "8");
}

TEST_F(NewSubjectTest, ControlCharactersSuchAsPasteAreRefused) {
    frmNewSubject form(run);
    TypeKeys(form.txtAge, "4");
    PressKey(form.txtAge, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(form.txtAge.text(), "4");
}

// A paste is judged as keys are: what no keys could type never reaches the box.
TEST_F(NewSubjectTest, PastesAreJudgedAsKeysAre) {
    const struct {
        const char* pasted;
        const char* text;
    } cases[] = {{"-5", ""},   {"0", ""},   {"1e23", ""}, {"12abc", ""},
                 {"1000", ""}, {" 42", ""}, {"42", "42"}, {"105", "105"}};
    for (const auto& c : cases) {
        frmNewSubject form(run);
        QGuiApplication::clipboard()->setText(QString::fromLatin1(c.pasted));
        form.txtAge.paste();
        EXPECT_EQ(form.txtAge.text(), c.text) << c.pasted;
        EXPECT_EQ(form.FieldFilled[0], std::string(c.text) != "") << c.pasted;
    }
    EXPECT_FALSE(IsAgeText("0"));
    EXPECT_TRUE(IsAgeText(""));
}

// Which entries are made, and whether Begin is then enabled.
struct FilledCase {
    const char* name;
    bool age, gender, major;
};

std::ostream& operator<<(std::ostream& out, const FilledCase& c) {
    return out << c.name;
}

class BeginEnablingTest : public NewSubjectTest,
                          public ::testing::WithParamInterface<FilledCase> {};

TEST_P(BeginEnablingTest, BeginNeedsAllThree) {
    const FilledCase& c = GetParam();
    frmNewSubject form(run);
    if (c.age) TypeKeys(form.txtAge, "31");
    if (c.gender) form.optMale.click();
    // The major box is emptied by hand when no major is to be given.
    form.cboMajor.setEditText(c.major ? "Art" : "  ");
    EXPECT_EQ(form.btnBegin.isEnabled(), c.age && c.gender && c.major);
}

INSTANTIATE_TEST_SUITE_P(Entries, BeginEnablingTest,
                         ::testing::Values(FilledCase{"All", true, true, true},
                                           FilledCase{"NoAge", false, true, true},
                                           FilledCase{"NoGender", true, false, true},
                                           FilledCase{"NoMajor", true, true, false},
                                           FilledCase{"Nothing", false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NewSubjectTest, ClearingTheAgeDisablesBeginAgain) {
    frmNewSubject form(run);
    FillIn(form);
    ASSERT_TRUE(form.btnBegin.isEnabled());
    TypeKeys(form.txtAge, "\b\b");
    EXPECT_FALSE(form.btnBegin.isEnabled());
}

// The genders chosen one after the other, and the one recorded.
struct GenderCase {
    const char* name;
    std::vector<bool> clicksMale;
    const char* recorded;
};

std::ostream& operator<<(std::ostream& out, const GenderCase& c) {
    return out << c.name;
}

class GenderTest : public NewSubjectTest, public ::testing::WithParamInterface<GenderCase> {};

TEST_P(GenderTest, RecordsTheLastChoice) {
    frmNewSubject form(run);
    TypeKeys(form.txtAge, "19");
    for (const bool male : GetParam().clicksMale) (male ? form.optMale : form.optFemale).click();
    form.cboMajor.setCurrentIndex(form.cboMajor.findText("Physics"));
    form.btnBegin_Click();
    const auto rows = subjects();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Gender").toString(), GetParam().recorded);
}

INSTANTIATE_TEST_SUITE_P(Choices, GenderTest,
                         ::testing::Values(GenderCase{"FemaleThenMale", {false, true}, "Male"},
                                           GenderCase{"OnlyFemale", {false}, "Female"},
                                           GenderCase{"MaleThenFemale", {true, false}, "Female"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NewSubjectTest, EnterWithEverythingFilledRecordsTheRowAndCloses) {
    run.setup.graphicalMode = true;
    run.state.SubjectName = "O'Brien";
    frmNewSubject form(run);
    form.show();
    TypeKeys(form.txtAge, "42");
    form.optMale.click();
    form.cboMajor.setEditText("Ocean Studies");
    const QString before = runtime::TimeText();
    TypeKeys(form.txtAge, "\r");
    const QString after = runtime::TimeText();

    EXPECT_TRUE(form.Registered);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.txtAge.text(), "42");
    EXPECT_EQ(run.state.Condition, "continuous");
    const auto rows = subjects();
    ASSERT_EQ(rows.size(), 1u);
    const auto& row = rows[0];
    EXPECT_EQ(row.at("Subject").toString(), "O'Brien");
    EXPECT_EQ(row.at("Version").toString(), "A");
    EXPECT_EQ(row.at("Condition").toString(), "continuous");
    EXPECT_EQ(row.at("Major").toString(), "Ocean Studies");
    EXPECT_EQ(row.at("Gender").toString(), "Male");
    EXPECT_EQ(row.at("Age").toDouble(), 42.0);
    EXPECT_EQ(row.at("Date").toString(), runtime::Today().toString("yyyy-MM-dd"));
    const QString time = row.at("Time").toString();
    EXPECT_TRUE(time == before || time == after) << time.toStdString();
    EXPECT_EQ(row.at("Station").toString(), StationName(run));
}

// Start-up adds the station's column to older files; should it fail to, the registration
// is still recorded.
TEST_F(NewSubjectTest, AFileWithoutTheStationColumnStillRegisters) {
    database.execute(
        "DROP TABLE datSubject; CREATE TABLE datSubject (Subject TEXT, Version TEXT, Condition "
        "TEXT, Major TEXT, Gender TEXT, Age REAL, Date TEXT, Time TEXT)");
    frmNewSubject form(run);
    FillIn(form);
    form.btnBegin.click();
    const auto rows = subjects();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Subject").toString(), "Ann");
    EXPECT_EQ(rows[0].at("Major").toString(), "History");
}

// Another station registered the same name in the version after this login found it new.
TEST_F(NewSubjectTest, ANameRegisteredMeanwhileOnAnotherStationIsToldAndNotRecordedTwice) {
    {
        db::Connection connection(database.path(), db::DatabasePassword(), db::OpenMode::ReadWrite);
        db::AddUniqueKeys(connection, QStringLiteral("datSubject"));
    }
    frmNewSubject form(run);
    FillIn(form);
    database.registerSubject("ANN", "a");
    form.btnBegin.click();
    EXPECT_FALSE(form.Registered);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(
        "The name Ann was registered in version A on another station a moment ago."))
        << dialogs.shown()[0].text.toStdString();
    const auto rows = subjects();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Subject").toString(), "ANN");
}

TEST_F(NewSubjectTest, EnterBeforeEverythingIsFilledRecordsNothing) {
    frmNewSubject form(run);
    TypeKeys(form.txtAge, "42\r");
    EXPECT_FALSE(form.Registered);
    EXPECT_TRUE(subjects().empty());
}

TEST_F(NewSubjectTest, DiscreteModeRecordsTheDiscreteCondition) {
    run.state.SubjectName = "Müller";
    frmNewSubject form(run);
    FillIn(form);
    form.btnBegin.click();
    const auto rows = subjects();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Subject").toString(), "Müller");
    EXPECT_EQ(rows[0].at("Condition").toString(), "discrete");
    EXPECT_EQ(rows[0].at("Major").toString(), "History");
    EXPECT_EQ(rows[0].at("Gender").toString(), "Female");
    EXPECT_EQ(rows[0].at("Age").toDouble(), 23.0);
}

TEST_F(NewSubjectTest, CancelRecordsNothing) {
    frmNewSubject form(run);
    form.show();
    FillIn(form);
    form.btnCancel.click();
    EXPECT_FALSE(form.Registered);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(subjects().empty());
}

}  // namespace
