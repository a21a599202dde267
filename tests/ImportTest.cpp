// Importing CSV files: types checked, errors named by file, line and column, file order
// kept, and all or nothing.
#include <gtest/gtest.h>

#include <QTextStream>
#include <map>
#include <ostream>
#include <string_view>
#include <vector>

#include "accounts/StoredPassword.h"
#include "tests/support/TempDatabase.h"
#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"
#include "tool/common/ToolError.h"
#include "tool/csv/CsvImport.h"
#include "tool/data/Passwd.h"

namespace {

using tool::ImportTableFile;

class ImportTest : public ::testing::Test {
  protected:
    QString csv(const QString& name, const QByteArray& text) {
        const QString path = demo.file(name);
        WriteFile(path, text);
        return path;
    }
    QString importError(const QString& table, const QByteArray& text, bool replace = false) {
        const QString path = csv(QStringLiteral("in.csv"), text);
        try {
            ImportTableFile(demo.path(), table, path, replace, quiet);
        } catch (const tool::ToolError& error) {
            return QString(error.message()).replace(path, QStringLiteral("in.csv"));
        }
        return QString();
    }
    QStringList setupVersions() {
        return StoredColumn(demo.path(), "SELECT Version FROM tblSetup");
    }
    // Whole tblSetup rows as CSV: the demo's StoreP, each with its own changes.
    QByteArray setupCsv(const std::vector<std::map<QString, QString>>& rows) {
        auto connection = tool::OpenExperimentDatabase(demo.path(), db::OpenMode::ReadOnly);
        const tool::Rows store(*connection, "SELECT * FROM tblSetup WHERE Version = 'StoreP'");
        QStringList names;
        for (const tool::TableColumn& column : tool::ColumnsOf(*connection, "tblSetup"))
            names << column.name;
        QByteArray text = names.join(',').toUtf8() + '\n';
        for (const auto& changes : rows) {
            QStringList values;
            for (const QString& name : names)
                values << (changes.count(name) ? changes.at(name) : store.at(0, name).toString());
            text += values.join(',').toUtf8() + '\n';
        }
        return text;
    }

    DemoDatabase demo;
    tool::NoProgress quiet;
};

TEST_F(ImportTest, HeaderInAnyCaseAndOrderRowsInFileOrderMissingColumnsEmpty) {
    const QString path = csv("delays.csv",
                             "OUTFLOWDELAYVALUE,delayscenario,InflowDelayValue,inflowdelaylength,"
                             "OutflowDelayLength\n"
                             "3,7,1,5,5\n"
                             "1,7,2,5,5\n"
                             "2,7,5,5,5\n");
    const auto result = ImportTableFile(demo.path(), "TBLDELAYSCENARIOS", path, false, quiet);
    ASSERT_EQ(result.tables.size(), 1u);
    EXPECT_EQ(result.tables[0].table, QStringLiteral("tblDelayScenarios"));
    EXPECT_EQ(result.tables[0].rows, 3);
    EXPECT_EQ(StoredColumn(demo.path(),
                           "SELECT inflowDelayValue FROM tblDelayScenarios WHERE DelayScenario=7"),
              (QStringList{"1", "2", "5"}));
    // A label of no version may lack its caption: the program never reads it.
    ImportTableFile(demo.path(), "tblLabels", csv("labels.csv", "LABELNUMBER,Version\n1,Nobody\n"),
                    false, quiet);
    EXPECT_EQ(Column(demo.path(), "SELECT LabelName FROM tblLabels WHERE version = 'Nobody'"),
              QStringList{"NULL"});
}

// A file without SegmentNumber gives the order of delay segments by its lines: each scenario
// numbered on from the highest number it has; numbers a file gives are kept.
TEST_F(ImportTest, DelaySegmentsAreNumberedByTheirLinesUnlessTheFileNumbersThem) {
    // Segments of delay scenarios by their key and inflow delay; every segment lasts 20 periods.
    const auto segments = [](const QByteArray& numbers, const QList<QByteArray>& rows) {
        QByteArray text = numbers +
                          "DelayScenario,inflowDelayValue,inflowDelayLength,"
                          "outflowDelayValue,outflowDelayLength\n";
        for (const QByteArray& row : rows) text += row + ",20,2,20\n";
        return text;
    };
    ImportTableFile(demo.path(), "tblDelayScenarios",
                    csv("more.csv", segments("", {"7,3", "9,9", "7,1"})), false, quiet);
    ImportTableFile(demo.path(), "tblDelayScenarios", csv("again.csv", segments("", {"7,5"})),
                    false, quiet);
    ImportTableFile(demo.path(), "tblDelayScenarios",
                    csv("numbered.csv", segments("SegmentNumber,", {"6,8,1", "5,8,2"})), false,
                    quiet);
    EXPECT_EQ(StoredColumn(demo.path(),
                           "SELECT DelayScenario || ':' || "
                           "coalesce(SegmentNumber, '-') || ':' || inflowDelayValue "
                           "FROM tblDelayScenarios WHERE DelayScenario > 2"),
              (QStringList{"7:1:3.0", "9:1:9.0", "7:2:1.0", "7:3:5.0", "8:6:1.0", "8:5:2.0"}));

    ImportTableFile(demo.path(), "tblDelayScenarios",
                    csv("replaced.csv", segments("", {"1,4", "1,3", "2,2"})), true, quiet);
    EXPECT_EQ(StoredColumn(demo.path(),
                           "SELECT DelayScenario || ':' || SegmentNumber || ':' || "
                           "inflowDelayValue FROM tblDelayScenarios"),
              (QStringList{"1:1:4.0", "1:2:3.0", "2:1:2.0"}));
}

TEST_F(ImportTest, ValuesAreStoredByTheirColumnsTypes) {
    const QString path =
        csv("subjects.csv",
            "Subject,Version,Age,Date,Time,Major\n"
            "Müller,TankP, 21 ,2026-03-04,09:05,\"Civil & Environmental Engineering\"\n"
            "O'Brien,TankP,+30.5,2026-03-04,23:59:59,\"\"\n"
            "Nobody,TankP,,,,\n");
    ImportTableFile(demo.path(), "datSubject", path, false, quiet);
    EXPECT_EQ(
        StoredColumn(demo.path(),
                     "SELECT Subject || '|' || typeof(Age) || Age || '|' || Date || '|' || Time "
                     "FROM datSubject "
                     "WHERE Age IS NOT NULL"),
        (QStringList{"Müller|real21.0|2026-03-04|09:05:00",
                     "O'Brien|real30.5|2026-03-04|23:59:59"}));
    EXPECT_EQ(StoredColumn(demo.path(), "SELECT quote(Major) FROM datSubject"),
              (QStringList{"'Civil & Environmental Engineering'", "''", "NULL"}));
}

TEST_F(ImportTest, BooleansAreStoredAsTheEnginesTrueAndFalse) {
    // B1 stays a store: a tank would need labels of its own.
    const QString path = csv("setup.csv", setupCsv({{{"Version", "B1"},
                                                     {"graphicalMode", ""},
                                                     {"IsTimeDriven", "true"},
                                                     {"IsBonusOnTimeGap", " True "},
                                                     {"ShowBackOrder", "-1"},
                                                     {"ShowTimePeriods", "TRUE"}},
                                                    {{"Version", "B2"},
                                                     {"graphicalMode", "FALSE"},
                                                     {"IsTimeDriven", "False"},
                                                     {"IsBonusOnTimeGap", "0"},
                                                     {"ShowBackOrder", "false"},
                                                     {"ShowTimePeriods", "false"}}}));
    ImportTableFile(demo.path(), "tblSetup", path, false, quiet);
    EXPECT_EQ(
        StoredColumn(demo.path(),
                     "SELECT graphicalMode || IsTimeDriven || IsBonusOnTimeGap || ShowBackOrder || "
                     "ShowTimePeriods FROM tblSetup WHERE Version LIKE 'B_'"),
        (QStringList{"0-1-1-1-1", "00000"}));
}

TEST_F(ImportTest, ALineOfBlankCellsIsNoRow) {
    const auto result = ImportTableFile(
        demo.path(), "tblLabels",
        csv("labels.csv",
            "version,LabelNumber,LabelName\nNobody,1,low\n,,\n , ,\nNobody,2,high\n,,\n"),
        false, quiet);
    EXPECT_EQ(result.tables.at(0).rows, 2);
    EXPECT_EQ(StoredColumn(demo.path(), "SELECT LabelName FROM tblLabels WHERE version = 'Nobody'"),
              (QStringList{"low", "high"}));
    EXPECT_EQ(Column(demo.path(), "SELECT count(*) FROM tblLabels WHERE version IS NULL"),
              QStringList{"0"});
}

struct BadCell {
    const char* table;
    const char* csv;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const BadCell& c) {
    return out << c.message;
}

class ImportErrorTest : public ImportTest, public ::testing::WithParamInterface<BadCell> {};

TEST_P(ImportErrorTest, NamesFileLineAndColumnAndChangesNothing) {
    const BadCell& c = GetParam();
    const QStringList before =
        Column(demo.path(), QStringLiteral("SELECT count(*) FROM %1").arg(c.table));
    EXPECT_EQ(importError(c.table, c.csv), QString::fromUtf8(c.message));
    EXPECT_EQ(Column(demo.path(), QStringLiteral("SELECT count(*) FROM %1").arg(c.table)), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportErrorTest,
    ::testing::Values(
        BadCell{"tblScenarios", "Scenario,Trial,inFlowRateEnviron\n5,1,2.5\n5,2,abc\n",
                "in.csv:3: column inFlowRateEnviron: 'abc' is not a number"},
        BadCell{"tblScenarios", "Scenario,Trial,inFlowRateEnviron\n5,1,\"2,5\"\n",
                "in.csv:2: column inFlowRateEnviron: '2,5' is not a number (write decimals with a "
                "point)"},
        BadCell{"tblScenarios", "Scenario,Trial\n5,1.5\n",
                "in.csv:2: column Trial: '1.5' is not a whole number"},
        BadCell{"tblScenarios", "Scenario,Trial,inFlowRateEnviron\n5,1,nan\n",
                "in.csv:2: column inFlowRateEnviron: 'nan' is not a number"},
        BadCell{"tblSetup", "Version,graphicalMode\nX,maybe\n",
                "in.csv:2: column graphicalMode: 'maybe' is not TRUE or FALSE"},
        BadCell{"tblSetup", "Version,graphicalMode\nX,yes\n",
                "in.csv:2: column graphicalMode: 'yes' is not TRUE or FALSE"},
        BadCell{"tblSetup", "Version,IsTimeDriven\nX,1\n",
                "in.csv:2: column IsTimeDriven: '1' is not TRUE or FALSE"},
        BadCell{"datSubject", "Subject,Date\nA,2026-02-30\n",
                "in.csv:2: column Date: '2026-02-30' is not a date (yyyy-mm-dd)"},
        BadCell{"datSubject", "Subject,Time\nA,25:00:00\n",
                "in.csv:2: column Time: '25:00:00' is not a time of day (hh:mm:ss)"},
        BadCell{"datSubject", "Subject,Major\nA,\"multi\nline\"\nM\xFCller,Art\n",
                "in.csv:4: column Subject: the text is not UTF-8 (save the file as \"CSV UTF-8\")"},
        BadCell{"tblLabels", "version,LabelNumber,Colour\nA,1,red\n",
                "in.csv:1: column 3: 'Colour' is not a column of tblLabels"},
        BadCell{"tblLabels", "version,LabelNumber,VERSION\nA,1,B\n",
                "in.csv:1: column 3: column version is named twice"},
        BadCell{"tblLabels", "version,LabelNumber,LabelName\nA,1,10\nA,2\n",
                "in.csv:3: 2 values, but the header names 3 columns"},
        BadCell{"tblLabels", "", "in.csv: the file is empty; its first line must name the columns"},
        BadCell{"tblPasswords", "username,password\nkeeper,clear\nbroken,pbkdf2-sha256$1000$x\n",
                "in.csv:3: column password: not a stored password the program can read: it must "
                "be pbkdf2-sha256$ITERATIONS$SALT$HASH"}));

// Accounts never hold a clear password: one in the file is stored as its salted hash, and a
// hash taken from another database (its accounts move with it) is stored as it is.
TEST_F(ImportTest, PasswordsAreStoredHashed) {
    DemoDatabase other;
    tool::SetExperimenterPassword(other.path(), "Moved", "from elsewhere");
    const QString moved =
        Column(other.path(), "SELECT password FROM tblPasswords WHERE username = 'Moved'").value(0);

    const auto imported =
        ImportTableFile(demo.path(), "tblpasswords",
                        csv("accounts.csv", "Password,UserName\n\"it's, me\",O'Brien\n" +
                                                moved.toUtf8() + ",Moved\n,nopass\n"),
                        false, quiet);
    EXPECT_EQ(imported.tables.at(0).rows, 3);
    const QStringList stored = StoredColumn(
        demo.path(), "SELECT password FROM tblPasswords WHERE username <> 'experimenter'");
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(accounts::FormOf(stored[0]), accounts::StoredForm::Hashed);
    EXPECT_EQ(accounts::Verify(stored[0], "it's, me"), accounts::Verdict::Matches);
    EXPECT_EQ(stored[1], moved);
    EXPECT_EQ(accounts::Verify(stored[1], "from elsewhere"), accounts::Verdict::Matches);
    EXPECT_EQ(stored[2], "NULL");
}

// What the program would refuse to run is refused at the import, named by the file, line and
// column it comes from, and nothing is imported. Rows are appended unless `replace`.
struct RefusedImport {
    const char* name;
    const char* table;
    std::string_view csv;  // a whole file; or, when empty, these tblSetup rows
    std::vector<std::map<QString, QString>> setup;
    bool replace;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const RefusedImport& c) {
    return out << c.name;
}

class RefusedImportTest : public ImportTest, public ::testing::WithParamInterface<RefusedImport> {};

TEST_P(RefusedImportTest, IsNamedByFileLineAndColumnAndNothingIsImported) {
    const RefusedImport& c = GetParam();
    const QString count = QStringLiteral("SELECT count(*) FROM %1").arg(c.table);
    const QStringList before = Column(demo.path(), count);
    const QByteArray text = c.csv.empty()
                                ? setupCsv(c.setup)
                                : QByteArray(c.csv.data(), static_cast<int>(c.csv.size()));
    EXPECT_EQ(importError(c.table, text, c.replace), QString::fromUtf8(c.message));
    EXPECT_EQ(Column(demo.path(), count), before);
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedImportTest,
    ::testing::Values(
        RefusedImport{"NulByteInAText",
                      "tblLabels",
                      "version,LabelNumber,LabelName\nStoreP,1,\"ten\0people\"\n"sv,
                      {},
                      false,
                      "in.csv:2: column LabelName: the text holds a NUL character"},
        RefusedImport{"VersionTwice",
                      "tblSetup",
                      {},
                      {{{"Version", "storep"}}},
                      false,
                      "in.csv:2: column Version: Version 'storep' in tblSetup: also in row 3; the "
                      "program would load only the first of them. Row 3 is the one already in the "
                      "database; to replace tblSetup's rows by the file's, import with --replace."},
        RefusedImport{"NoMaxTrialColumn",
                      "tblSetup",
                      "Version,BaseMoney\nNew,5\n",
                      {},
                      false,
                      "in.csv:2: column MaxTrial: Version 'New' in tblSetup: MaxTrial is empty; "
                      "it must hold a number."},
        RefusedImport{"MorePeriodsThanTheScenarioHolds",
                      "tblSetup",
                      {},
                      {{{"Version", "New"}}, {{"Version", "Long"}, {"MaxTrial", "40"}}},
                      false,
                      "in.csv:3: column MaxTrial: Version 'Long' in tblSetup: MaxTrial is 40, but "
                      "MaxNumberOfAScenarioType (30) gives environment rates only up to period "
                      "31."},
        RefusedImport{"AnUnknownLanguage",
                      "tblSetup",
                      {},
                      {{{"Version", "New"}, {"Language", "Deutsch"}}},
                      false,
                      "in.csv:2: column Language: Version 'New' in tblSetup: Language is "
                      "'Deutsch'; the screens speak en (English), de (German), es (Spanish), fr "
                      "(French) or zh (Chinese), and an empty cell means en."},
        RefusedImport{"DelayBelowOnePeriod",
                      "tblDelayScenarios",
                      "DelayScenario,inflowDelayValue,inflowDelayLength,outflowDelayValue,"
                      "outflowDelayLength\n2,0,5,2,5\n",
                      {},
                      false,
                      "in.csv:2: column inflowDelayValue: Delay scenario 2 in tblDelayScenarios, "
                      "segment 4: inflowDelayValue is 0, outside the range 1 to 32767."},
        RefusedImport{"ScenarioPeriodBeyondTheArrays",
                      "tblScenarios",
                      "Scenario,Trial,inFlowRateEnviron,outFlowRateEnviron\n1,2,1,1\n1,40,1,1\n",
                      {},
                      false,
                      "in.csv:3: column Trial: Environment scenario 1 in tblScenarios: Trial is "
                      "40, outside the range 0 to 31 (MaxNumberOfAScenarioType + 1)."},
        RefusedImport{"LabelsReplacedWithoutAVersionsOwn",
                      "tblLabels",
                      "version,LabelNumber,LabelName\nTankT,1,100\n",
                      {},
                      true,
                      "in.csv: Version 'TankP' has no labels in tblLabels, so the top of the "
                      "tank's scale would be 0."},
        RefusedImport{"ScenariosReplacedWithoutOneInUse",
                      "tblScenarios",
                      "Scenario,Trial,inFlowRateEnviron,outFlowRateEnviron\n2,1,1,1\n",
                      {},
                      true,
                      "the import would leave tblSetup, row 1, column ScenarioUsed: Environment "
                      "scenario 1 has no rows in tblScenarios."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportTest, TheCommandEndsARefusedSentenceWithNothingImported) {
    const QString path = csv("setup.csv", "Version,MaxTrial\nNew,20\n");
    QString output, errors;
    QTextStream out(&output), err(&errors);
    EXPECT_EQ(tool::RunTool({"import", demo.path(), "tblSetup", path}, out, err), 1);
    err.flush();
    EXPECT_EQ(errors, QStringLiteral("fluxmere-db import: %1:2: column BaseMoney: Version 'New' in "
                                     "tblSetup: BaseMoney is empty; it must hold a number; nothing "
                                     "was imported\n")
                          .arg(path));
}

TEST_F(ImportTest, AnUnknownTableIsNamedWithTheTablesThereAre) {
    EXPECT_EQ(
        importError("tblNothing", "a\n1\n"),
        QStringLiteral(
            "there is no table tblNothing (tables: tblSetup, tblScenarios, tblDelayScenarios, "
            "tblLabels, tblPasswords, datSubject, datExperimentTrials, datTrialSummary, "
            "datUserTimesSummary, datRunClaims)"));
}

TEST_F(ImportTest, AFailureHalfWayThroughAReplaceLeavesTheTableAsItWas) {
    const QStringList before = setupVersions();
    QByteArray text = "Version,MaxTrial\n";
    for (int i = 0; i < 500; ++i) text += "V" + QByteArray::number(i) + ",10\n";
    text += "Broken,ten\n";
    EXPECT_EQ(importError("tblSetup", text, true),
              QStringLiteral("in.csv:502: column MaxTrial: 'ten' is not a whole number"));
    EXPECT_EQ(setupVersions(), before);
}

TEST_F(ImportTest, ReplaceReplacesAndAppendAppends) {
    const QString path = csv("setup.csv", setupCsv({{{"Version", "New1"}}, {{"Version", "New2"}}}));
    ImportTableFile(demo.path(), "tblSetup", path, false, quiet);
    EXPECT_EQ(setupVersions(), (QStringList{"TankP", "TankT", "StoreP", "StoreT", "New1", "New2"}));
    ImportTableFile(demo.path(), "tblSetup", path, true, quiet);
    EXPECT_EQ(setupVersions(), (QStringList{"New1", "New2"}));
}

TEST_F(ImportTest, AFolderIsImportedWhollyOrNotAtAll) {
    QTemporaryDir folder;
    WriteFile(folder.filePath("tblLabels.csv"), "version,LabelNumber,LabelName\nNew,1,5\n");
    WriteFile(folder.filePath("tblSetup.csv"), "Version,MaxTrial\nNew,x\n");
    const QStringList labelsBefore = Column(demo.path(), "SELECT count(*) FROM tblLabels");
    try {
        tool::ImportFolder(demo.path(), folder.path(), true, quiet);
        FAIL() << "a bad file was imported";
    } catch (const tool::ToolError& error) {
        EXPECT_TRUE(
            error.message().endsWith("tblSetup.csv:2: column MaxTrial: 'x' is not a whole number"))
            << error.message().toStdString();
    }
    EXPECT_EQ(Column(demo.path(), "SELECT count(*) FROM tblLabels"), labelsBefore);

    WriteFile(folder.filePath("tblSetup.csv"),
              setupCsv({{{"Version", "New"}, {"MaxTrial", "10"}}}));
    const auto imported = tool::ImportFolder(demo.path(), folder.path(), true, quiet).tables;
    ASSERT_EQ(imported.size(), 2u);
    EXPECT_EQ(setupVersions(), QStringList{"New"});
    EXPECT_EQ(Column(demo.path(), "SELECT count(*) FROM tblLabels"), QStringList{"1"});
}

// The experiment's results survive a replacing import: an empty recorded table takes the
// file's rows, one that holds rows refuses the file, and a folder replaces the configuration
// while leaving the recorded table as it was.
TEST_F(ImportTest, ReplacingNeverDeletesRecordedRows) {
    const QString subjects = csv("subjects.csv", "Subject,Version\nAnn,TankP\n");
    EXPECT_EQ(ImportTableFile(demo.path(), "datSubject", subjects, true, quiet).tables.at(0).rows,
              1);
    EXPECT_EQ(importError("datSubject", "Subject,Version\nBea,TankP\n", true),
              QStringLiteral("datSubject holds 1 recorded row, and --replace never deletes "
                             "recorded data; import without --replace to add rows"));

    QTemporaryDir folder;
    WriteFile(folder.filePath("datSubject.csv"), "Subject,Version\n");
    WriteFile(folder.filePath("tblSetup.csv"), setupCsv({{{"Version", "New"}}}));
    const auto imported = tool::ImportFolder(demo.path(), folder.path(), true, quiet).tables;
    EXPECT_EQ(setupVersions(), QStringList{"New"});
    EXPECT_EQ(Column(demo.path(), "SELECT Subject FROM datSubject"), QStringList{"Ann"});
    ASSERT_EQ(imported.size(), 2u);
    EXPECT_EQ(imported[0].table, QStringLiteral("datSubject"));
    EXPECT_TRUE(imported[0].keptRecordedRows);
    EXPECT_FALSE(imported[1].keptRecordedRows);
}

TEST_F(ImportTest, AFolderFileThatNamesNoTableIsRefused) {
    QTemporaryDir folder;
    WriteFile(folder.filePath("notes.csv"), "a\n1\n");
    try {
        tool::ImportFolder(demo.path(), folder.path(), false, quiet);
        FAIL();
    } catch (const tool::ToolError& error) {
        EXPECT_TRUE(error.message().contains("notes.csv: there is no table notes"))
            << error.message().toStdString();
    }
}

}  // namespace
