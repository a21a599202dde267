// The command line, the new databases and the experimenter accounts.
#include <gtest/gtest.h>

#include <QTextStream>

#include "accounts/StoredPassword.h"
#include "db/Schema.h"
#include "tests/support/DamagedFile.h"
#include "tests/support/ToolFixtures.h"
#include "tool/cli/CommandLine.h"
#include "tool/common/ToolError.h"
#include "tool/data/Passwd.h"

namespace {

const QStringList kCommands = {"create", "demo", "check", "import", "export", "plot", "passwd"};

TEST(ToolTest, EveryCommandHasHelp) {
    for (const QString& command : kCommands) {
        const ToolRun run = Tool({command, "--help"});
        EXPECT_EQ(run.code, 0) << command.toStdString();
        EXPECT_TRUE(run.out.startsWith("Usage: fluxmere-db " + command + " "))
            << run.out.toStdString();
        EXPECT_GT(run.out.count('\n'), 2) << command.toStdString();
    }
    const ToolRun overview = Tool({"--help"});
    EXPECT_EQ(overview.code, 0);
    EXPECT_EQ(Tool({}).code, 2);
    for (const QString& command : kCommands)
        EXPECT_TRUE(overview.out.contains("fluxmere-db " + command + " "));
}

struct Misuse {
    QStringList arguments;
    int code;
    const char* error;
};

TEST(ToolTest, MistakesGiveOneClearLineAndANonZeroCode) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.mdb");
    const Misuse cases[] = {
        {{"frobnicate"},
         2,
         "fluxmere-db: unknown command 'frobnicate' (fluxmere-db --help lists them)\n"},
        {{"check"}, 2, "fluxmere-db check: too few arguments (usage: fluxmere-db check PATH)\n"},
        {{"export", "a", "b", "c"}, 2, "fluxmere-db export: too many arguments"},
        {{"export", "a", "b", "--version"}, 2, "fluxmere-db export: --version needs a value"},
        {{"import", "a", "b", "--fast"}, 2, "fluxmere-db import: unknown option --fast"},
        {{"plot", "a", "s", "v", "o.png", "--size", "big"},
         2,
         "fluxmere-db plot: --size needs WIDTHxHEIGHT"},
        {{"check", missing}, 1, "fluxmere-db check: "},
        {{"create", ""}, 2, "fluxmere-db create: an empty argument"},
        {{"import", missing, "no-such-folder"},
         1,
         "fluxmere-db import: no-such-folder: no such folder"},
        {{"export", "a", "b", "--version", ""}, 2, "fluxmere-db export: --version needs a value"},
    };
    for (const Misuse& c : cases) {
        const ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.code, c.code) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(c.error)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}

TEST(ToolTest, CreateMakesEveryTableAndNeverOverwrites) {
    QTemporaryDir dir;
    const QString path = dir.filePath("new.mdb");
    EXPECT_EQ(Tool({"create", path}).code, 0);
    for (const db::TableDef& table : db::Tables())
        EXPECT_EQ(Column(path, "SELECT count(*) FROM " + table.name), QStringList{"0"})
            << table.name.toStdString();

    Execute(path, "INSERT INTO tblPasswords (username, password) VALUES ('keep', 'me')");
    for (const char* command : {"create", "demo"}) {
        const ToolRun again = Tool({command, path});
        EXPECT_EQ(again.code, 1);
        EXPECT_TRUE(again.err.contains("already exists")) << again.err.toStdString();
    }
    EXPECT_EQ(Column(path, "SELECT username FROM tblPasswords"), QStringList{"keep"});
}

TEST(ToolTest, TheDemoCoversEveryModeWithHumaneSettings) {
    DemoDatabase demo;
    const QString path = demo.path();
    // Tank and store, paced and time-driven, both bonus rules.
    EXPECT_EQ(
        StoredColumn(path,
                     "SELECT Version || ':' || graphicalMode || IsTimeDriven || IsBonusOnTimeGap "
                     "|| ':' || YUnits "
                     "FROM tblSetup"),
        (QStringList{"TankP:-100:Gallons", "TankT:-1-1-1:Gallons", "StoreP:000:People",
                     "StoreT:0-10:People"}));
    // A period takes a couple of seconds; the run starts below the band around the goal.
    EXPECT_EQ(Column(path, "SELECT DISTINCT userDelay + UsrMv + envDelay + EnvMv FROM tblSetup"),
              QStringList{"2000"});
    EXPECT_EQ(Column(path,
                     "SELECT count(*) FROM tblSetup WHERE LowerBoundFromGoal > 0 AND "
                     "UpperBoundFromGoal > 0 AND "
                     "InitialAmountInTank < GoalLinePoisition - LowerBoundFromGoal"),
              QStringList{"4"});
    // The environment changes over the periods, and the delays over several segments.
    EXPECT_EQ(Column(path,
                     "SELECT count(DISTINCT inFlowRateEnviron || '/' || outFlowRateEnviron) > 3 "
                     "FROM tblScenarios "
                     "WHERE Scenario = 1"),
              QStringList{"1"});
    EXPECT_EQ(Column(path, "SELECT count(*) FROM tblDelayScenarios GROUP BY DelayScenario"),
              (QStringList{"3", "3"}));
    EXPECT_EQ(Column(path,
                     "SELECT version || count(*) || max(LabelName) FROM tblLabels GROUP BY version "
                     "ORDER BY version"),
              (QStringList{"TankP1090", "TankT1090"}));
    EXPECT_EQ(Column(path, "SELECT username FROM tblPasswords"), QStringList{tool::kDemoUser});
    EXPECT_EQ(accounts::Verify(Column(path, "SELECT password FROM tblPasswords").value(0),
                               tool::kDemoPassword),
              accounts::Verdict::Matches);
}

TEST(ToolTest, PasswdAddsAnAccountOrChangesItsPassword) {
    DemoDatabase demo;
    EXPECT_TRUE(tool::SetExperimenterPassword(demo.path(), " O'Brien ", "s3cret, \"quoted\""));
    EXPECT_FALSE(tool::SetExperimenterPassword(demo.path(), "EXPERIMENTER", "new one"));
    EXPECT_EQ(StoredColumn(demo.path(), "SELECT username FROM tblPasswords"),
              (QStringList{"experimenter", "O'Brien"}));
    // Stored as salted hashes that open with the password given.
    const QStringList stored = StoredColumn(demo.path(), "SELECT password FROM tblPasswords");
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(accounts::Verify(stored[0], "new one"), accounts::Verdict::Matches);
    EXPECT_EQ(accounts::Verify(stored[1], "s3cret, \"quoted\""), accounts::Verdict::Matches);
    for (const QString& value : stored)
        EXPECT_FALSE(value.contains("s3cret") || value.contains("new one"));
    EXPECT_THROW(tool::SetExperimenterPassword(demo.path(), "  ", "x"), tool::ToolError);
}

TEST(ToolTest, APasswordFromAPipeIsOneLine) {
    const auto read = [](const char* text) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s", text);
        std::FILE* input = fmemopen(buffer, std::strlen(buffer), "r");
        std::FILE* prompts = std::tmpfile();
        QString password;
        try {
            password = tool::ReadNewPassword(input, prompts);
        } catch (const tool::ToolError& error) {
            password = "error: " + error.message();
        }
        std::fclose(input);
        std::fclose(prompts);
        return password;
    };
    EXPECT_EQ(read("Müller's pass word\r\nsecond line\n"), QStringLiteral("Müller's pass word"));
    EXPECT_EQ(read("last line without end"), QStringLiteral("last line without end"));
    EXPECT_EQ(read("\n"), QStringLiteral("error: the password is empty; nothing was changed"));
}

}  // namespace

namespace {

// Import refuses a damaged file and writes nothing; export writes what it can read, names the
// damage and ends with a status of its own.
TEST(ToolDamageTest, ImportRefusesADamagedFileAndExportSaysSoWithItsOwnStatus) {
    DemoDatabase demo;
    RecordEvents(demo.path(), 5000);
    DamageTheMiddlePage(demo.path());
    QString output, errors;

    WriteFile(demo.file("labels.csv"), "version,LabelNumber,LabelName\nNobody,1,low\n");
    EXPECT_EQ(
        RunToolOn(demo.path(), {"import", "tblLabels", demo.file("labels.csv")}, output, errors),
        1);
    EXPECT_TRUE(errors.startsWith("fluxmere-db import: " + demo.path() +
                                  ": the database file is damaged: "))
        << errors.toStdString();
    EXPECT_TRUE(errors.trimmed().endsWith("; nothing was imported")) << errors.toStdString();

    const QString folder = demo.file("results");
    EXPECT_EQ(RunToolOn(demo.path(), {"export", folder}, output, errors), 3);
    EXPECT_TRUE(output.contains("\ndatabase file: damaged: ")) << output.toStdString();
    EXPECT_TRUE(
        output.endsWith("the database file is damaged: the files hold what could be read "
                        "of it; replace it by the last backup\n"))
        << output.toStdString();
    // The configuration lies on sound pages and is whole.
    EXPECT_EQ(ReadFile(folder + "/tblLabels.csv").count('\n'),
              Column(demo.path(), "SELECT count(*) FROM tblLabels").front().toInt() + 1);
    EXPECT_TRUE(QFile::exists(folder + "/datExperimentTrials.csv"));
    EXPECT_TRUE(QFile::exists(folder + "/codebook.md"));
}

}  // namespace
