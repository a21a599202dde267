#include <gtest/gtest.h>

#include <ostream>
#include <set>

#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "runtime/RuntimeError.h"
#include "tests/support/Ending.h"

namespace {

class ShutdownTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override { run.asks = &dialogs; }

    runtime::ScriptedQuestions dialogs;
};

struct EarningsCase {
    double totBonus;
    const char* shown;
};

std::ostream& operator<<(std::ostream& out, const EarningsCase& c) {
    return out << c.totBonus;
}

class EarningsTest : public ShutdownTest, public ::testing::WithParamInterface<EarningsCase> {};

TEST_P(EarningsTest, ClosingMessageShowsEarningsRoundedAwayFromZero) {
    run.state.TotBonus = GetParam().totBonus;
    EXPECT_THROW(EndProgram(run), runtime::ProgramEnded);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const runtime::Question& box = dialogs.shown().front();
    EXPECT_EQ(box.title, "Fluxmere");
    EXPECT_EQ(box.buttons, runtime::Buttons::Ok);
    EXPECT_EQ(box.icon, runtime::Icon::None);
    EXPECT_EQ(box.text.toStdString(),
              std::string("The game is over and you have earned ") + GetParam().shown +
                  " dollars. Thank you for your participation. Please call the experimenter for "
                  "further instructions.");
}

INSTANTIATE_TEST_SUITE_P(Amounts, EarningsTest,
                         ::testing::Values(EarningsCase{12.0, "12.00"},
                                           EarningsCase{12.01, "13.00"}, EarningsCase{7, "07.00"},
                                           EarningsCase{-3, "-03.00"}, EarningsCase{0, "00.00"},
                                           EarningsCase{125.5, "126.00"}));

TEST_F(ShutdownTest, QuitAtLoginAndConfirmedExitEndWithoutMessageEachWithItsStatus) {
    run.state.QuitAtLogin = true;
    EXPECT_EQ(EndingOf([&] { EndProgram(run); }), runtime::ExitStatus::QuitAtLogin);
    run.state.QuitAtLogin = false;
    run.state.ExitConfirmed = true;
    EXPECT_EQ(EndingOf([&] { EndProgram(run); }), runtime::ExitStatus::EndedByExperimenter);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ShutdownTest, EndExperimentShowsTheEarningsAndIsTheOnlyEndingWithStatusZero) {
    run.state.TotBonus = 20;
    EXPECT_EQ(EndingOf([&] { EndExperiment(run); }), runtime::ExitStatus::Finished);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown().front().text.contains("20.00"));
    EXPECT_EQ(static_cast<int>(runtime::ExitStatus::Finished), 0);
}

// A launch script tells the endings apart by their status alone.
TEST_F(ShutdownTest, EveryEndingHasAStatusOfItsOwn) {
    const std::set<int> statuses = {static_cast<int>(runtime::ExitStatus::Finished),
                                    static_cast<int>(runtime::ExitStatus::StartUpRefused),
                                    static_cast<int>(runtime::ExitStatus::DatabaseFailure),
                                    static_cast<int>(runtime::ExitStatus::EndedByExperimenter),
                                    static_cast<int>(runtime::ExitStatus::QuitAtLogin)};
    EXPECT_EQ(statuses.size(), 5u);
}

struct DatabaseFailureCase {
    const char* subject;
    int currentTrial;
    int lastCompletePeriod;
    const char* kept;
};

std::ostream& operator<<(std::ostream& out, const DatabaseFailureCase& c) {
    return out << c.subject << " in period " << c.currentTrial;
}

class DatabaseFailureTest : public ShutdownTest,
                            public ::testing::WithParamInterface<DatabaseFailureCase> {};

// The database stopping the session is never announced as earnings: the message says what
// failed, what of the run is kept and to call the experimenter, and the status says so too.
TEST_P(DatabaseFailureTest, SaysWhatFailedAndWhatIsKeptInsteadOfTheEarnings) {
    run.state.SubjectName = QString::fromUtf8(GetParam().subject);
    run.state.CurrentTrial = GetParam().currentTrial;
    run.state.LastCompletePeriod = GetParam().lastCompletePeriod;
    run.state.TotBonus = 7;
    const runtime::RuntimeError full(3035,
                                     "Not enough space on disk to write '/lab/Hydrovat.mdb'.");
    EXPECT_EQ(EndingOf([&] { EndAfterDatabaseFailure(run, full, "Recording data"); }),
              runtime::ExitStatus::DatabaseFailure);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const runtime::Question& box = dialogs.shown().front();
    EXPECT_EQ(box.title, "Database problem");
    EXPECT_EQ(box.buttons, runtime::Buttons::Ok);
    EXPECT_EQ(box.icon, runtime::Icon::Critical);
    EXPECT_EQ(box.text.toStdString(),
              std::string("The session has stopped: the experiment database could not be used."
                          "\r\nError 3035: Not enough space on disk to write "
                          "'/lab/Hydrovat.mdb'.\r\nStatus was Recording data\r\n") +
                  GetParam().kept + "\r\nPlease call the experimenter.");
}

INSTANTIATE_TEST_SUITE_P(
    Moments, DatabaseFailureTest,
    ::testing::Values(
        DatabaseFailureCase{"", 0, 0, "Nothing had been recorded yet."},
        DatabaseFailureCase{"Ann", 0, 0, "No period of Ann's run had been played yet."},
        DatabaseFailureCase{"Ann", 1, 0, "No period of Ann's run had been completed yet."},
        DatabaseFailureCase{"Ann", 7, 7,
                            "Everything of Ann's run recorded up to period 7 is kept."},
        // Period 11 had begun (its summary row written) when the disk filled.
        DatabaseFailureCase{"Ann", 11, 10,
                            "Everything of Ann's run recorded up to period 10 is kept."}));

TEST(RunRecordTest, AFreshRunStartsFromInitialValuesWithNoDatabaseOpen) {
    const ::Run run;
    EXPECT_EQ(run.state.CurrentTrial, 0);
    EXPECT_TRUE(run.state.SubjectName.isEmpty());
    EXPECT_TRUE(run.state.BackOrder.empty());
    EXPECT_EQ(run.setup.MaxTrial, 0);
    EXPECT_TRUE(run.state.SubmitTime.isMidnight());
    EXPECT_FALSE(run.session.connection.held);
    EXPECT_EQ(run.session.recordingOff, 0);
}

}  // namespace
