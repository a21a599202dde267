#include <gtest/gtest.h>

#include <QProcess>

#include "app/Arguments.h"

namespace {

struct ArgumentsCase {
    QStringList arguments;
    bool accepted;
    bool windowed;
    QString database = {};
};

std::ostream& operator<<(std::ostream& out, const ArgumentsCase& c) {
    return out << '"' << c.arguments.join(' ').toStdString() << '"';
}

class ProgramArgumentsTest : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(ProgramArgumentsTest, OnlyWindowedAndADatabaseAreTaken) {
    QString problem;
    const auto parsed = ParseArguments(GetParam().arguments, problem);
    ASSERT_EQ(parsed.has_value(), GetParam().accepted) << problem.toStdString();
    if (parsed) {
        EXPECT_EQ(parsed->windowed, GetParam().windowed);
        EXPECT_EQ(parsed->database, GetParam().database);
        EXPECT_TRUE(problem.isEmpty());
    } else {
        EXPECT_TRUE(problem.contains(GetParam().arguments.last()));
        EXPECT_FALSE(problem.contains('\n'));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ProgramArgumentsTest,
    ::testing::Values(ArgumentsCase{{}, true, false}, ArgumentsCase{{"--windowed"}, true, true},
                      ArgumentsCase{{"--window"}, false, false},
                      ArgumentsCase{{"--windowed", "study.mdb"}, false, false},
                      ArgumentsCase{{"-windowed"}, false, false},
                      ArgumentsCase{{"--windowed", "--database", "s.mdb"}, true, true, "s.mdb"},
                      ArgumentsCase{{"--database", "s.mdb"}, true, false, "s.mdb"},
                      ArgumentsCase{{"--database"}, false, false},
                      ArgumentsCase{{"--database", ""}, false, false},
                      ArgumentsCase{{"--database", "a", "--database"}, false, false}));

// The real program refuses before it opens any window or database.
TEST(ProgramArgumentsTest, TheProgramRefusesAnUnknownArgumentWithStatusTwo) {
    QProcess program;
    program.start(QStringLiteral(FLUXMERE), {QStringLiteral("--fullscreen")});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_EQ(program.readAllStandardError(),
              QByteArray("fluxmere: unknown argument '--fullscreen'; the only options are "
                         "--windowed and --database FILE\n"));
}

}  // namespace
