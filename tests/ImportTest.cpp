// Importing CSV files: types checked, errors named by file, line and column, file order
// kept, and all or nothing.
#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/TempDatabase.h"
#include "tests/support/ToolFixtures.h"
#include "tools/CsvImport.h"
#include "tools/ToolError.h"

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
        return Column(demo.path(), "SELECT Version FROM tblSetup ORDER BY rowid");
    }

    DemoDatabase demo;
    tool::NoProgress quiet;
};

TEST_F(ImportTest, HeaderInAnyCaseAndOrderRowsInFileOrderMissingColumnsEmpty) {
    const QString path = csv("delays.csv",
                             "OUTFLOWDELAYVALUE,delayscenario,InflowDelayValue\n"
                             "3,7,1\n"
                             "1,7,2\n"
                             "2,7,5\n");
    const auto result = ImportTableFile(demo.path(), "TBLDELAYSCENARIOS", path, false, quiet);
    EXPECT_EQ(result.table, QStringLiteral("tblDelayScenarios"));
    EXPECT_EQ(result.rows, 3);
    EXPECT_EQ(
        Column(
            demo.path(),
            "SELECT inflowDelayValue FROM tblDelayScenarios WHERE DelayScenario=7 ORDER BY rowid"),
        (QStringList{"1", "2", "5"}));
    EXPECT_EQ(Column(demo.path(),
                     "SELECT outflowDelayLength FROM tblDelayScenarios WHERE DelayScenario=7"),
              (QStringList{"NULL", "NULL", "NULL"}));
}

TEST_F(ImportTest, ValuesAreStoredByTheirColumnsTypes) {
    const QString path =
        csv("subjects.csv",
            "Subject,Version,Age,Date,Time,Major\n"
            "Müller,TankP, 21 ,2026-03-04,09:05,\"Civil & Environmental Engineering\"\n"
            "O'Brien,TankP,+30.5,2026-03-04,23:59:59,\"\"\n"
            "Nobody,TankP,,,,\n");
    ImportTableFile(demo.path(), "datSubject", path, false, quiet);
    EXPECT_EQ(Column(demo.path(),
                     "SELECT Subject || '|' || typeof(Age) || Age || '|' || Date || '|' || Time "
                     "FROM datSubject "
                     "WHERE Age IS NOT NULL ORDER BY rowid"),
              (QStringList{"Müller|real21.0|2026-03-04|09:05:00",
                           "O'Brien|real30.5|2026-03-04|23:59:59"}));
    EXPECT_EQ(Column(demo.path(), "SELECT quote(Major) FROM datSubject ORDER BY rowid"),
              (QStringList{"'Civil & Environmental Engineering'", "''", "NULL"}));
}

TEST_F(ImportTest, BooleansAreStoredAsTheEnginesTrueAndFalse) {
    const QString path =
        csv("setup.csv",
            "Version,graphicalMode,IsTimeDriven,IsBonusOnTimeGap,ShowBackOrder,ShowTimePeriods\n"
            "B1,TRUE,yes,1,-1,\n"
            "B2,false,No,0,FALSE,false\n");
    ImportTableFile(demo.path(), "tblSetup", path, false, quiet);
    EXPECT_EQ(Column(demo.path(),
                     "SELECT graphicalMode || IsTimeDriven || IsBonusOnTimeGap || ShowBackOrder || "
                     "ShowTimePeriods FROM tblSetup WHERE Version LIKE 'B_' ORDER BY rowid"),
              (QStringList{"-1-1-1-10", "00000"}));
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
        BadCell{"tblLabels", "",
                "in.csv: the file is empty; its first line must name the columns"}));

TEST_F(ImportTest, AnUnknownTableIsNamedWithTheTablesThereAre) {
    EXPECT_EQ(
        importError("tblNothing", "a\n1\n"),
        QStringLiteral(
            "there is no table tblNothing (tables: tblSetup, tblScenarios, tblDelayScenarios, "
            "tblLabels, tblPasswords, datSubject, datExperimentTrials, datTrialSummary, "
            "datUserTimesSummary)"));
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
    const QString path = csv("setup.csv", "Version\nNew1\nNew2\n");
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

    WriteFile(folder.filePath("tblSetup.csv"), "Version,MaxTrial\nNew,10\n");
    const auto imported = tool::ImportFolder(demo.path(), folder.path(), true, quiet);
    ASSERT_EQ(imported.size(), 2u);
    EXPECT_EQ(setupVersions(), QStringList{"New"});
    EXPECT_EQ(Column(demo.path(), "SELECT count(*) FROM tblLabels"), QStringList{"1"});
}

// The experiment's results survive a replacing import: an empty recorded table takes the
// file's rows, one that holds rows refuses the file, and a folder replaces the configuration
// while leaving the recorded table as it was.
TEST_F(ImportTest, ReplacingNeverDeletesRecordedRows) {
    const QString subjects = csv("subjects.csv", "Subject,Version\nAnn,TankP\n");
    EXPECT_EQ(ImportTableFile(demo.path(), "datSubject", subjects, true, quiet).rows, 1);
    EXPECT_EQ(importError("datSubject", "Subject,Version\nBea,TankP\n", true),
              QStringLiteral("datSubject holds 1 recorded row, and --replace never deletes "
                             "recorded data; import without --replace to add rows"));

    QTemporaryDir folder;
    WriteFile(folder.filePath("datSubject.csv"), "Subject,Version\n");
    WriteFile(folder.filePath("tblSetup.csv"), "Version\nNew\n");
    const auto imported = tool::ImportFolder(demo.path(), folder.path(), true, quiet);
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
