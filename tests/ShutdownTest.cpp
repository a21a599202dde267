#include <gtest/gtest.h>

#include <ostream>

#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "runtime/Questions.h"
#include "runtime/ProgramEnd.h"

namespace {

class ShutdownTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetRunRecord(); }
    void TearDown() override { ResetRunRecord(); }

    runtime::ScopedScriptedQuestions dialogs;
    runtime::ScopedEndObserver endObserver;
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
    RunState.TotBonus = GetParam().totBonus;
    EXPECT_THROW(EndProgram(), runtime::ProgramEnded);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const runtime::MessageBoxRequest& box = dialogs.shown().front();
    EXPECT_EQ(box.title, "Fluxmere");
    EXPECT_EQ(box.style, runtime::vbOKOnly);
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

TEST_F(ShutdownTest, QuitAtLoginAndConfirmedExitEndWithoutMessage) {
    RunState.QuitAtLogin = true;
    EXPECT_THROW(EndProgram(), runtime::ProgramEnded);
    RunState.QuitAtLogin = false;
    RunState.ExitConfirmed = true;
    EXPECT_THROW(EndProgram(), runtime::ProgramEnded);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ShutdownTest, EndExperimentShowsTheEarnings) {
    RunState.TotBonus = 20;
    EXPECT_THROW(EndExperiment(), runtime::ProgramEnded);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown().front().text.contains("20.00"));
}

TEST(RunRecordTest, ResetRestoresInitialValues) {
    RunState.CurrentTrial = 7;
    RunState.SubjectName = "x";
    SizeArray(RunState.BackOrder, 11);
    ExperimentSetup.MaxTrial = 10;
    EXPECT_EQ(RunState.BackOrder.size(), 12u);
    ResetRunRecord();
    EXPECT_EQ(RunState.CurrentTrial, 0);
    EXPECT_TRUE(RunState.SubjectName.isEmpty());
    EXPECT_TRUE(RunState.BackOrder.empty());
    EXPECT_EQ(ExperimentSetup.MaxTrial, 0);
    EXPECT_TRUE(RunState.SubmitTime.isMidnight());
}

}  // namespace
