// A run interrupted after period k and continued must record, from period k + 1 on, exactly
// what the same run records without the interruption. Both runs start through the real
// start-up (login, registration or continuation, labels, scenario, run initialisation,
// simulation screen) and play their periods either through the cycle driver on a simulated
// clock with the screen gone, or on the screen itself, Submit pressed and its timers left to
// run the phases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <ostream>

#include "app/Main.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/intake/frmLogin.h"
#include "screens/simulation/frmHydrovat.h"
#include "support/ExperimentDatabase.h"
#include "support/IntakeScripts.h"
#include "support/ProgramStart.h"
#include "support/ScreenCycle.h"
#include "task/HeadlessPlayer.h"

namespace {

// The participant's orders, period 1 to 12.
const double kInflowOrders[] = {5, 0, 7, 2, 0, 3, 4, 1, 6, 0, 2, 3};
const double kOutflowOrders[] = {1, 2, 0, 3, 1, 0, 2, 2, 1, 0, 1, 4};

struct DelaySegment {
    double inValue, inLength, outValue, outLength;
};

struct ResumeCase {
    const char* name;
    bool graphical;
    double initialBackOrder;
    double initialForwardDischarge;
    std::vector<DelaySegment> delays;
    int interruptedAfter;
    bool ordersDueOnce = false;  // each order falls due once instead of re-aimed
};

std::ostream& operator<<(std::ostream& out, const ResumeCase& c) {
    return out << c.name;
}

// Columns that must agree row by row; text and whole-number columns exactly.
struct Columns {
    std::vector<const char*> exact;
    std::vector<const char*> amounts;
};
const Columns kEventColumns = {
    {"EventID", "Trial", "eventType", "UserInflowTP", "UserOutflowTP", "IsUserInFlow",
     "IsUserOutFlow", "IsEnvInFlow", "IsEnvOutFlow", "graphicalMode"},
    {"CurrentCost", "TotCost", "UserInFlow", "UserOutFlow", "EnvInFlow", "EnvOutFlow", "BackOrder",
     "ForwardDischarge", "TotalBackOrder", "TotalForwardDischarge", "AmountInTank", "GoalAmount",
     "BonusAmount", "CurrentBonus", "TotBonus"}};
const Columns kSummaryColumns = {
    {"Trial", "UserInflowTP", "UserOutflowTP", "IsUserInFlow", "IsUserOutFlow", "IsEnvInFlow",
     "IsEnvOutFlow", "graphicalMode"},
    {"UserInFlow", "UserOutFlow", "EnvInFlow", "EnvOutFlow", "AmountInTank", "GoalAmount",
     "TotBonus", "CurrentBonus", "CurrentCost", "TotCost", "BackOrder", "ForwardDischarge",
     "TotalBackOrder", "TotalForwardDischarge"}};

class ResumeEquivalenceTest : public ::testing::TestWithParam<ResumeCase> {
  protected:
    std::optional<Program> program;
    ::Run& run() { return program->run(); }

  protected:
    void SetUp() override {
        const ResumeCase& c = GetParam();
        std::map<QString, QString> setup = {
            {"graphicalMode", c.graphical ? "-1" : "0"},
            {"InitialBackOrder", QString::number(c.initialBackOrder)},
            {"InitialForwardDischarge", QString::number(c.initialForwardDischarge)},
            {"InitialAmountInTank", "20.3"},
            {"GoalLinePoisition", "25"},
            {"numMarks", "8"}};
        if (c.ordersDueOnce) setup["OrdersDueOnce"] = "-1";
        database.addVersion("V", setup);
        for (const DelaySegment& s : c.delays) {
            database.addDelaySegment(1, s.inValue, s.inLength, s.outValue, s.outLength);
        }
        for (int trial = 1; trial <= 12; ++trial) {
            database.addRate(1, trial, 1.5 + (trial % 3), 0.75 * (trial % 4));
        }
        database.addLabels("V", 8, 12.5);
    }
    void TearDown() override { program->UnloadSimulationScreen(); }

    // A new start of the program for the participant; a returning one continues.
    void startProgram(const QString& name) {
        StartProgramAgain(program, dialogs, database.path(), name);
    }

    // The program ends without a word: nothing of it survives but the database.
    void interrupt() {
        program->UnloadSimulationScreen();
        dialogs.clear();
    }

    // The participant's orders of the coming period typed, as into the screen's boxes.
    int TypeNextOrders(const std::function<void(const QString&, const QString&)>& type) {
        const int n = run().state.CurrentTrial + 1;
        type(runtime::Plain(kInflowOrders[n - 1]), runtime::Plain(kOutflowOrders[n - 1]));
        return n;
    }

    // One period without a screen: the cycle driver on a simulated clock, Submit pressed and
    // the steps played until Submit is offered again or the last period ends the run.
    void PlayPeriod(period::HeadlessPlayer& player) {
        const int n =
            TypeNextOrders([&](const QString& in, const QString& out) { player.type(in, out); });
        player.submit();
        player.playUntil([&] { return player.submitOffered(); });
        EXPECT_EQ(player.ended(), n == run().setup.MaxTrial) << "period " << n;
    }

    // The run goes on without its screen.
    void PlayUntil(int lastPeriod) {
        program->UnloadSimulationScreen();
        period::HeadlessPlayer player(run());
        while (run().state.CurrentTrial < lastPeriod && !::testing::Test::HasFailure()) {
            PlayPeriod(player);
        }
    }

    // One period on the screen: the orders typed, Submit pressed, and the screen's timers
    // left to run the phases until Submit is offered again or the last period ends the run.
    void PlayPeriodOnScreen() {
        frmHydrovat& form = *program->SimulationScreen();
        const int n = TypeNextOrders([&](const QString& in, const QString& out) {
            form.txtUsrInflowVal.setText(in);
            form.txtUsrOutflowVal.setText(out);
        });
        form.cmdNextTrial.click();
        const bool ended = RunScreenUntil([&] {
            return run().state.CurrentTrial == n && form.cmdNextTrial.isEnabled() &&
                   PhaseTimersIdle(form);
        });
        EXPECT_EQ(ended, n == run().setup.MaxTrial) << "period " << n;
    }

    void PlayOnScreenUntil(int lastPeriod) {
        while (run().state.CurrentTrial < lastPeriod && !::testing::Test::HasFailure()) {
            PlayPeriodOnScreen();
        }
    }

    // The rows of a participant's periods after `period`, in the order they were recorded.
    std::vector<ExperimentDatabase::Row> rowsAfter(const char* table, const char* order,
                                                   const QString& name, int period) const {
        return database.rows(
            QStringLiteral("SELECT * FROM %1 WHERE Subject = %2 AND Trial > %3 ORDER BY %4")
                .arg(QString::fromLatin1(table), Literal(name), QString::number(period),
                     QString::fromLatin1(order)));
    }

    // Every row after period k of the continued run equals the uninterrupted run's.
    std::vector<ExperimentDatabase::Row> expectSameRowsAfter(int k, const char* table,
                                                             const char* order,
                                                             const Columns& columns) const {
        const auto whole = rowsAfter(table, order, "Whole", k);
        const auto split = rowsAfter(table, order, "Split", k);
        EXPECT_EQ(split.size(), whole.size()) << table;
        EXPECT_FALSE(whole.empty()) << table;
        for (std::size_t i = 0; i < std::min(whole.size(), split.size()); ++i) {
            for (const char* column : columns.exact) {
                EXPECT_EQ(split[i].at(column), whole[i].at(column))
                    << column << " of " << table << " row " << i + 1 << " after period " << k;
            }
            for (const char* column : columns.amounts) {
                EXPECT_NEAR(split[i].at(column).toDouble(), whole[i].at(column).toDouble(), 1e-9)
                    << column << " of " << table << " row " << i + 1 << " after period " << k;
            }
        }
        return whole;
    }

    // The events and the period summaries, the first after the continuation included.
    void expectSameRecordsAfter(int k) const {
        expectSameRowsAfter(k, "datTrialSummary", "Trial", kSummaryColumns);
        bool someInitialOrderArrives = false;
        for (const auto& event :
             expectSameRowsAfter(k, "datExperimentTrials", "EventID", kEventColumns)) {
            someInitialOrderArrives |= event.at("BackOrder").toDouble() != 0 &&
                                       event.at("eventType").toString() == "User Inflow";
        }
        if (GetParam().initialBackOrder != 0 && k < GetParam().delays[0].inValue - 1) {
            EXPECT_TRUE(someInitialOrderArrives) << "the case does not test the initial pipeline";
        }
    }

    ExperimentDatabase database;
    ui::ScriptedDialogs dialogs;
};

TEST_P(ResumeEquivalenceTest, ContinuesExactlyAsTheUninterruptedRun) {
    const int k = GetParam().interruptedAfter;
    startProgram("Whole");
    PlayUntil(12);
    interrupt();

    startProgram("Split");
    PlayUntil(k);
    interrupt();
    startProgram("Split");
    ASSERT_EQ(run().state.CurrentTrial, k);
    PlayUntil(12);
    expectSameRecordsAfter(k);
}

TEST_P(ResumeEquivalenceTest, ContinuesOnTheScreenExactlyAsTheUninterruptedRun) {
    const int k = GetParam().interruptedAfter;
    startProgram("Whole");
    PlayOnScreenUntil(12);
    interrupt();

    startProgram("Split");
    PlayOnScreenUntil(k);
    interrupt();
    startProgram("Split");
    ASSERT_EQ(run().state.CurrentTrial, k);
    PlayOnScreenUntil(12);
    expectSameRecordsAfter(k);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ResumeEquivalenceTest,
    ::testing::Values(
        ResumeCase{"WithinTheFirstDelaysDiscrete", false, 6, 3, {{4, 20, 3, 20}}, 1},
        ResumeCase{"WithinTheFirstDelaysGraphical", true, 6, 3, {{4, 20, 3, 20}}, 2},
        ResumeCase{"LaterDiscrete", false, 6, 3, {{4, 20, 3, 20}}, 7},
        ResumeCase{"LaterGraphical", true, 6, 3, {{4, 20, 3, 20}}, 6},
        ResumeCase{"DelayRisesAfterTheInterruptionDiscrete",
                   false,
                   0,
                   2,
                   {{1, 5, 2, 5}, {3, 20, 4, 20}},
                   4},
        ResumeCase{"DelayRisesAfterTheInterruptionGraphical",
                   true,
                   0,
                   2,
                   {{1, 5, 2, 3}, {4, 20, 5, 20}},
                   4},
        ResumeCase{
            "DelayRisesWithinTheFirstDelays", false, 4, 2, {{3, 2, 2, 2}, {6, 20, 5, 20}}, 1},
        ResumeCase{"DelayFallsAfterTheInterruption", true, 6, 0, {{4, 7, 3, 7}, {1, 20, 2, 20}}, 5},
        ResumeCase{"OnceDelayRisesAfterTheInterruption",
                   false,
                   0,
                   2,
                   {{1, 5, 2, 5}, {3, 20, 4, 20}},
                   4,
                   true},
        ResumeCase{"OnceDelayFallsAfterTheInterruption",
                   true,
                   6,
                   0,
                   {{4, 7, 3, 7}, {1, 20, 2, 20}},
                   5,
                   true},
        ResumeCase{"OnceDelayFallsWithinTheFirstDelays",
                   false,
                   6,
                   3,
                   {{4, 2, 3, 2}, {1, 20, 1, 20}},
                   1,
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
