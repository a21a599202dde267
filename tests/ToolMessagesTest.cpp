// What the tool says when a newcomer's step goes wrong: the file's own names, the fix, and the
// next step, never the program's internal names or a question meant for a participant.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <utility>

#include "tests/support/ToolFixtures.h"

namespace {

struct MessageCase {
    const char* name;
    // Prepares the scratch folder (which holds the demo as demo.mdb and its export in setup/).
    std::function<void(const QDir&)> prepare;
    QStringList arguments;  // {DIR} is the scratch folder
    int code;
    const char* says;     // in what the command printed (errors, then output)
    const char* never{};  // not in it
};

std::ostream& operator<<(std::ostream& out, const MessageCase& c) {
    return out << c.name;
}

void Replace(const QString& path, const QByteArray& from, const QByteArray& to) {
    WriteFile(path, ReadFile(path).replace(from, to));
}

void Nothing(const QDir&) {}

// fluxmere-db with these arguments: its exit code, and what it printed (errors, then output).
std::pair<int, QString> RunCommand(const QStringList& arguments) {
    QString out, err;
    int code = 0;
    {
        QTextStream o(&out), e(&err);
        code = tool::RunTool(arguments, o, e);
    }
    return {code, err + out};
}

class ToolMessagesTest : public ::testing::TestWithParam<MessageCase> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(RunCommand({"demo", dir.filePath("demo.mdb")}).first, 0);
        ASSERT_EQ(RunCommand({"export", dir.filePath("demo.mdb"), dir.filePath("setup")}).first, 0);
    }

    QTemporaryDir dir;
};

TEST_P(ToolMessagesTest, NamesWhatIsWrongAndTheNextStep) {
    const MessageCase& c = GetParam();
    c.prepare(QDir(dir.path()));
    QStringList arguments;
    for (const QString& argument : c.arguments)
        arguments << QString(argument).replace(QStringLiteral("{DIR}"), dir.path());
    const auto [code, said] = RunCommand(arguments);
    EXPECT_EQ(code, c.code) << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
    if (c.never) {
        EXPECT_FALSE(said.contains(QString::fromUtf8(c.never))) << said.toStdString();
    }
}

const MessageCase kCases[] = {
    {"InitialOrdersNamedByTheirColumnsAndFix",
     [](const QDir& d) {
         Replace(d.filePath("setup/tblDelayScenarios.csv"), "\r\n1,2,6,", "\r\n1,1,6,");
     },
     {"import", "{DIR}/demo.mdb", "{DIR}/setup", "--replace"},
     1,
     "column InitialBackOrder: Version 'TankP' in tblSetup: InitialBackOrder is 4, but the first "
     "segment of delay scenario 1 in tblDelayScenarios has inflowDelayValue 1, so the initial "
     "orders would have to arrive in the period they start in; set InitialBackOrder to 0, or make "
     "the first segment's inflowDelayValue at least 2",
     "inFlowTPAfter"},
    {"ANearColumnNameIsSuggested",
     [](const QDir& d) {
         Replace(d.filePath("setup/tblSetup.csv"), "GoalLinePoisition", "GoalLinePosition");
     },
     {"import", "{DIR}/demo.mdb", "{DIR}/setup", "--replace"},
     1,
     "'GoalLinePosition' is not a column of tblSetup (did you mean GoalLinePoisition?)"},
    {"SemicolonsAreToldToBeCommas",
     [](const QDir& d) {
         WriteFile(d.filePath("labels.csv"), "version;LabelNumber;LabelName\r\nTankP;1;10\r\n");
     },
     {"import", "{DIR}/demo.mdb", "tblLabels", "{DIR}/labels.csv"},
     1,
     "is not a column of tblLabels; the values must be separated by commas (the file uses ';'"},
    {"TheSameFolderTwiceNamesTheRowInTheDatabase",
     Nothing,
     {"import", "{DIR}/demo.mdb", "{DIR}/setup"},
     1,
     "also in row 1; the program would load only the first of them. Row 1 is the one already in "
     "the database; to replace tblSetup's rows by the file's, import with --replace"},
    {"APictureIsNotAnExperimentDatabase",
     [](const QDir& d) {
         WriteFile(d.filePath("plot.png"),
                   QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(3000, 'x'));
     },
     {"check", "{DIR}/plot.png"},
     1,
     "is not an experiment database",
     "cut short"},
    {"ATextFileIsNotAnExperimentDatabase",
     [](const QDir& d) { WriteFile(d.filePath("notes.txt"), "Pilot on Monday\n"); },
     {"import", "{DIR}/notes.txt", "{DIR}/setup"},
     1,
     "is not an experiment database",
     "cut short"},
    {"ACopyCutShortIsStillNamedAsDamaged",
     [](const QDir& d) {
         const QByteArray whole = ReadFile(d.filePath("demo.mdb"));
         WriteFile(d.filePath("cut.mdb"), whole.left(whole.size() - 300));
     },
     {"check", "{DIR}/cut.mdb"},
     1,
     "database file: damaged: ",
     "not an experiment database"},
    {"SimulateOnAMissingFile",
     Nothing,
     {"simulate", "{DIR}/study.mdb", "TankP"},
     1,
     "study.mdb: no such file",
     "question"},
    {"CheckOnAMissingFile", Nothing, {"check", "{DIR}/study.mdb"}, 1, "study.mdb: no such file"},
    {"ImportBeforeCreate",
     Nothing,
     {"import", "{DIR}/study.mdb", "{DIR}/setup"},
     1,
     "study.mdb: no such file; make the experiment database first with fluxmere-db create"},
    {"BackupIntoAMissingFolderNamesTheFolder",
     Nothing,
     {"backup", "{DIR}/demo.mdb", "{DIR}/backups/monday.mdb"},
     1,
     "backups' for the copy",
     "-incomplete"},
    {"ExportCountsOneRowAndNamesTheCodebookOnce",
     Nothing,
     {"export", "{DIR}/demo.mdb", "{DIR}/one/", "--version", "TankP"},
     0,
     "tblSetup.csv: 1 row\n",
     "//codebook.md"},
    {"ImportHelpSaysSegmentNumberDecides",
     Nothing,
     {"import", "--help"},
     0,
     "take effect in the order of their\nSegmentNumber"},
    {"PaymentsHelpRoundsAwayFromZero",
     Nothing,
     {"payments", "--help"},
     0,
     "rounded away from zero",
     "rounded up"},
    {"UsageLinesAlign",
     Nothing,
     {"--help"},
     0,
     "  fluxmere-db import PATH TABLE FILE.csv [--replace]\n  fluxmere-db import PATH FOLDER "
     "[--replace]\n"},
};

INSTANTIATE_TEST_SUITE_P(Newcomer, ToolMessagesTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
