// Messages about a broken database or a bad input say plainly what is wrong, in a few lines:
// never the engine's internal wording, never SQL, never a pasted value whole. The message
// after a full disk answered No, which names the last complete period, is checked with the
// other endings in ShutdownTest (DatabaseFailureTest).
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <ostream>

#include "app/Main.h"
#include "tests/support/TempDatabase.h"
#include "tests/support/ToolFixtures.h"

namespace {

// Longer than any of these messages, far shorter than a pasted page.
constexpr qsizetype kReadableLength = 1000;

struct MessageCase {
    const char* name;
    std::function<QString()> message;  // makes the fault and gives what the user is told
    QString says;
    QString never;
};

std::ostream& operator<<(std::ostream& out, const MessageCase& c) {
    return out << c.name;
}

// What start-up tells the experimenter about the program's database, broken by the SQL.
QString StartUpMessageAfter(const QString& sql) {
    TempDatabase database;
    database.execute(sql);
    return DatabaseProblem(database.path());
}

// What import says of a setup whose first version has a cell of 10 MB in MaxTrial.
QString ImportMessageForAHugeCell() {
    DemoDatabase demo;
    const QString setup = demo.file(QStringLiteral("setup"));
    if (Tool({"export", demo.path(), setup}).code != 0) return QStringLiteral("export failed");
    const QString file = setup + QStringLiteral("/tblSetup.csv");
    QList<QByteArray> lines = ReadFile(file).split('\n');
    QList<QByteArray> header = lines[0].trimmed().split(',');
    QList<QByteArray> first = lines[1].trimmed().split(',');
    first[header.indexOf("MaxTrial")] = QByteArray(10 * 1024 * 1024, 'x');
    lines[1] = first.join(',');
    WriteFile(file, lines.join('\n'));
    const ToolRun import = Tool({"import", demo.path(), setup, "--replace"});
    return import.code == 0 ? QStringLiteral("import took it") : import.err + import.out;
}

class HonestMessagesTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(HonestMessagesTest, NameTheFaultPlainlyAndBriefly) {
    const QString message = GetParam().message();
    EXPECT_TRUE(message.contains(GetParam().says)) << message.left(2000).toStdString();
    EXPECT_FALSE(message.contains(GetParam().never)) << message.left(2000).toStdString();
    EXPECT_LE(message.size(), kReadableLength);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HonestMessagesTest,
    ::testing::Values(
        MessageCase{"DamagedSchema",
                    [] {
                        return StartUpMessageAfter(QStringLiteral(
                            "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
                            "'CREATE TABLE tblLabels (' WHERE name = 'tblLabels'"));
                    },
                    "is damaged: malformed database schema", "SQL text"},
        MessageCase{
            "MissingTable",
            [] { return StartUpMessageAfter(QStringLiteral("DROP TABLE datExperimentTrials")); },
            "missing: table datExperimentTrials", "ALTER TABLE"},
        MessageCase{"ImportedCellOf10MB", ImportMessageForAHugeCell,
                    QStringLiteral("… (10485760 characters in all)"),
                    // More of the value than the start a message shows.
                    QString(61, QLatin1Char('x'))}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
