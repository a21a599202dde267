// The period cycle of the simulation screen run on its real timers against a real experiment
// database: worked runs in both pacing modes checked row by row, the entry boxes, and the end.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <ostream>
#include <vector>

#include "core/RunRecord.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/simulation/frmHydrovat.h"
#include "tests/frmHydrovatFixture.h"
#include "tests/support/ExperimentDatabase.h"
#include "tests/support/ScreenCycle.h"
#include "tests/support/Typing.h"

namespace {

// One expected row of datExperimentTrials. Flags: user in, user out, env in, env out.
struct Event {
    const char* type;
    int trial;
    double amount;
    double totalBackOrder;
    double totalForwardDischarge;
    bool userIn, userOut, envIn, envOut;
    double totBonus;
};

// One expected row of datTrialSummary after the run: the end of the period.
struct Summary {
    double amount;
    double totBonus;
    double userInFlow;
};

class PeriodCycle : public ScreenTest {
  protected:
    // A fresh discrete run of O'Brien: amount 20, goal 20 with the band 18 to 22, bonus 0.5
    // on a base of 1, every pause 1 or 2 ms and no delay schedule.
    void Prepare(bool timeDriven, int maxTrial) {
        PrepareScreenRun(run, false);
        run.session.databasePath = database.path();
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        ExperimentSetupRecord& setup = run.setup;
        RunStateRecord& state = run.state;
        state.SubjectName = QStringLiteral("O'Brien");
        setup.IsTimeDriven = timeDriven;
        setup.MaxTrial = maxTrial;
        setup.AfterEveryNTrials = 1;
        setup.simTimeForTP = 1;
        setup.GoalLinePosition = 20;
        setup.InitialAmountInTank = 20;
        setup.LowerBoundFromGoal = 2;
        setup.UpperBoundFromGoal = 2;
        setup.BonusAmount = 0.5;
        setup.BaseMoney = 1;
        setup.userDelay = 1;
        setup.envDelay = 2;
        setup.UsrMv = 1;
        setup.EnvMv = 2;
        setup.TimeBetweenEnvTries = 2;
        state.TotBonus = setup.BaseMoney;
        for (auto* orders :
             {&state.UserInFlow, &state.UserOutFlow, &state.BackOrder, &state.ForwardDischarge}) {
            SizeArray(*orders, maxTrial + 1);
        }
    }

    // The time-driven worked runs: delays 1, rates (2, 0), (-1, -1), (0, 1).
    void PrepareTimeDrivenThreePeriods() {
        Prepare(true, 3);
        run.state.UserInflowTP = 1;
        run.state.UserOutflowTP = 1;
        SetRates({{2, 0}, {-1, -1}, {0, 1}});
    }

    void SetRates(const std::vector<std::pair<double, double>>& rates) {
        for (std::size_t i = 0; i < rates.size(); ++i) {
            run.state.EnvInFlow[i + 1] = rates[i].first;
            run.state.EnvOutFlow[i + 1] = rates[i].second;
        }
    }

    // Participant-paced: waits for Submit to be offered again (false when the run ended).
    bool Submit(frmHydrovat& form, const QString& inflow, const QString& outflow) {
        form.txtUsrInflowVal.setText(inflow);
        form.txtUsrOutflowVal.setText(outflow);
        form.cmdNextTrial.click();
        return !RunScreenUntil(
            [&] { return form.cmdNextTrial.isEnabled() && PhaseTimersIdle(form); });
    }

    // Time-driven: a Submit while the period clock is held after a period's chain, so that
    // the Submit's user phase runs alone; the clock then goes on. One order a period: Submit
    // waits for the next period.
    void SubmitAfterPeriod(frmHydrovat& form, int period, const QString& inflow,
                           const QString& outflow) {
        ASSERT_FALSE(RunScreenUntil([&] {
            return run.state.CurrentTrial == period && form.Timer2.Enabled() &&
                   PhaseTimersIdle(form);
        }));
        form.Timer2.setEnabled(false);
        form.txtUsrInflowVal.setText(inflow);
        form.txtUsrOutflowVal.setText(outflow);
        form.cmdNextTrial.click();
        ASSERT_FALSE(RunScreenUntil([&] { return PhaseTimersIdle(form); }));
        EXPECT_FALSE(form.cmdNextTrial.isEnabled()) << "a second order in period " << period;
        EXPECT_TRUE(form.txtUsrInflowVal.isEnabled()) << "typing goes on for the next period";
        form.Timer2.setEnabled(true);
    }

    void ExpectEvents(const std::vector<Event>& expected) {
        const auto rows = database.storedRows(
            QStringLiteral("select * from datExperimentTrials where Subject='O''Brien'"));
        ASSERT_EQ(rows.size(), expected.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Event& e = expected[i];
            auto row = rows[i];
            SCOPED_TRACE(testing::Message() << "event " << i + 1 << " " << e.type);
            EXPECT_EQ(row["eventType"].toString(), QString::fromLatin1(e.type));
            EXPECT_EQ(row["EventID"].toInt(), int(i) + 1);
            EXPECT_EQ(row["Trial"].toInt(), e.trial);
            EXPECT_DOUBLE_EQ(row["AmountInTank"].toDouble(), e.amount);
            EXPECT_DOUBLE_EQ(row["TotalBackOrder"].toDouble(), e.totalBackOrder);
            EXPECT_DOUBLE_EQ(row["TotalForwardDischarge"].toDouble(), e.totalForwardDischarge);
            EXPECT_EQ(row["IsUserInFlow"].toInt(), e.userIn ? -1 : 0);
            EXPECT_EQ(row["IsUserOutFlow"].toInt(), e.userOut ? -1 : 0);
            EXPECT_EQ(row["IsEnvInFlow"].toInt(), e.envIn ? -1 : 0);
            EXPECT_EQ(row["IsEnvOutFlow"].toInt(), e.envOut ? -1 : 0);
            EXPECT_DOUBLE_EQ(row["TotBonus"].toDouble(), e.totBonus);
        }
    }

    void ExpectSummaries(const std::vector<Summary>& expected) {
        const auto rows = database.storedRows(
            QStringLiteral("select * from datTrialSummary where Subject='O''Brien'"));
        ASSERT_EQ(rows.size(), expected.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            auto row = rows[i];
            SCOPED_TRACE(testing::Message() << "summary of period " << i + 1);
            EXPECT_EQ(row["Trial"].toInt(), int(i) + 1);
            EXPECT_DOUBLE_EQ(row["AmountInTank"].toDouble(), expected[i].amount);
            EXPECT_DOUBLE_EQ(row["TotBonus"].toDouble(), expected[i].totBonus);
            EXPECT_DOUBLE_EQ(row["UserInFlow"].toDouble(), expected[i].userInFlow);
        }
    }

    std::vector<int> SubmitTrials() {
        std::vector<int> trials;
        for (auto row :
             database.storedRows(QStringLiteral("select Trial from datUserTimesSummary where "
                                                "Subject='O''Brien'"))) {
            trials.push_back(row["Trial"].toInt());
        }
        return trials;
    }

    void ExpectEarnings(const QString& dollars) {
        ASSERT_EQ(dialogs.shown().size(), 1U);
        EXPECT_EQ(dialogs.shown()[0].text,
                  QStringLiteral("The game is over and you have earned ") + dollars +
                      QStringLiteral(" dollars. Thank you for your participation. Please call the "
                                     "experimenter for further instructions."));
        EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Fluxmere"));
    }

    ExperimentDatabase database;
    ui::ScriptedDialogs dialogs;
};

// Participant-paced, delays 2, an initial back order of 4 in period 1 (and a discharge
// pipeline of 0, still due), orders typed before each Submit.
//   period  rates (in, out)  typed (in, out)
//   1       3, 1             5, 1
//   2       -1, -1 (none)    0, 0
//   3       0, 8             7, 0
//   4       2, 2             0, 2
//   5       1, 0             3, 0
// Worked by hand (amount; TotalBackOrder TBO; TotalForwardDischarge TFD):
//   1: Submit at 20. Environment +2 -> 22. User phase: inflow k = 0 takes BackOrder(1) = 4,
//      TBO 4 - 4 + 5 = 5; outflow k' = 0 takes ForwardDischarge(1) = 0, TFD 0 - 0 + 1 = 1.
//      Applied: 26, then 26. Score 26 outside 18..22: TotBonus stays 1.
//   2: Submit at 26. No environment action. Orders of period 1 due: TBO 5 - 5 + 0 = 0,
//      TFD 1 - 1 + 0 = 0; applied 31, then 30. No bonus.
//   3: Submit at 30. Environment -8 -> 22. Orders of period 2 are 0: nothing due,
//      TBO 0 + 7 = 7. Score 22 earns 0.5: TotBonus 1.5.
//   4: Submit at 22. Environment 0 -> 22 (acts). Inflow 7 due: TBO 0, TFD 0 + 2 = 2;
//      applied 29. No bonus.
//   5: Submit at 29. Environment +1 -> 30. Outflow 2 due: TFD 0, TBO 0 + 3 = 3;
//      applied 28. No bonus; the run ends with 1.5, paid as 2 whole dollars.
TEST_F(PeriodCycle, ParticipantPacedRunOfFivePeriods) {
    Prepare(false, 5);
    run.state.UserInflowTP = 2;
    run.state.UserOutflowTP = 2;
    run.state.BackOrder[1] = 4;
    run.state.TotalBackOrder = 4;
    SetRates({{3, 1}, {-1, -1}, {0, 8}, {2, 2}, {1, 0}});
    frmHydrovat form(run);

    const std::vector<std::pair<QString, QString>> orders = {
        {"5", "1"}, {"0", "0"}, {"7", "0"}, {"0", "2"}, {"3", "0"}};
    for (std::size_t i = 0; i < orders.size(); ++i) {
        const bool offeredAgain = Submit(form, orders[i].first, orders[i].second);
        EXPECT_EQ(offeredAgain, i + 1 < orders.size()) << "after period " << i + 1;
        if (offeredAgain) {
            EXPECT_EQ(form.txtUsrInflowVal.text(), QStringLiteral("0"));
            EXPECT_EQ(form.txtUsrOutflowVal.text(), QStringLiteral("0"));
            EXPECT_EQ(form.lblCurrTimePeriod.Caption(), QString::number(i + 1));
        }
    }

    const bool F = false, T = true;
    ExpectEvents({
        {"Submit Clicked", 1, 20, 4, 0, F, F, F, F, 1},
        {"Environment Effect", 1, 22, 4, 0, F, F, T, T, 1},
        {"No User Effect", 1, 22, 4, 0, F, F, T, T, 1},
        {"User Inflow", 1, 26, 5, 1, T, T, T, T, 1},
        {"User Outflow", 1, 26, 5, 1, T, T, T, T, 1},
        {"After Cost Calculation", 1, 26, 5, 1, T, T, T, T, 1},
        {"Submit Clicked", 2, 26, 5, 1, F, F, F, F, 1},
        {"No User Effect", 2, 26, 5, 1, F, F, T, T, 1},
        {"User Inflow", 2, 31, 0, 0, T, T, T, T, 1},
        {"User Outflow", 2, 30, 0, 0, T, T, T, T, 1},
        {"After Cost Calculation", 2, 30, 0, 0, T, T, T, T, 1},
        {"Submit Clicked", 3, 30, 0, 0, F, F, F, F, 1},
        {"Environment Effect", 3, 22, 0, 0, F, F, T, T, 1},
        {"No User Effect", 3, 22, 0, 0, F, F, T, T, 1},
        {"After Cost Calculation", 3, 22, 7, 0, F, F, T, T, 1.5},
        {"Submit Clicked", 4, 22, 7, 0, F, F, F, F, 1.5},
        {"Environment Effect", 4, 22, 7, 0, F, F, T, T, 1.5},
        {"No User Effect", 4, 22, 7, 0, F, F, T, T, 1.5},
        {"User Inflow", 4, 29, 0, 2, T, F, T, T, 1.5},
        {"After Cost Calculation", 4, 29, 0, 2, T, F, T, T, 1.5},
        {"Submit Clicked", 5, 29, 0, 2, F, F, F, F, 1.5},
        {"Environment Effect", 5, 30, 0, 2, F, F, T, T, 1.5},
        {"No User Effect", 5, 30, 0, 2, F, F, T, T, 1.5},
        {"User Outflow", 5, 28, 3, 0, F, T, T, T, 1.5},
        {"After Cost Calculation", 5, 28, 3, 0, F, T, T, T, 1.5},
    });
    // Each summary row is created at the Submit that opens its period, with the order of the
    // period that ends (the first with none), and completed with the period's end.
    ExpectSummaries({{26, 1, 0}, {30, 1, 5}, {22, 1.5, 0}, {29, 1.5, 7}, {28, 1.5, 0}});
    // A Submit row carries the period in which Submit was pressed.
    EXPECT_EQ(SubmitTrials(), (std::vector<int>{0, 1, 2, 3, 4}));
    ExpectEarnings(QStringLiteral("02.00"));
    EXPECT_EQ(run.state.EventID, 25);
}

// Time-driven, delays 1, three periods with rates (2, 0), (-1, -1), (0, 1). Without a
// Submit every period is a user phase (nothing due), a score, the environment and a second
// score: 1: 20 in band (+0.5), +2 -> 22 in band (+0.5); 2: 22 (+0.5), no environment,
// 22 (+0.5); 3: 22 (+0.5), -1 -> 21 (+0.5). TotBonus 1 + 6 x 0.5 = 4.
TEST_F(PeriodCycle, TimeDrivenRunWithoutSubmits) {
    PrepareTimeDrivenThreePeriods();
    frmHydrovat form(run);
    EXPECT_TRUE(RunScreenUntil([] { return false; }));

    const bool F = false, T = true;
    ExpectEvents({
        {"No User Effect", 1, 20, 0, 0, F, F, F, F, 1},
        {"After Cost Calculation", 1, 20, 0, 0, F, F, F, F, 1.5},
        {"Environment Effect", 1, 22, 0, 0, F, F, T, T, 1.5},
        {"After Cost Calculation", 1, 22, 0, 0, F, F, T, T, 2},
        {"No User Effect", 2, 22, 0, 0, F, F, T, T, 2},
        {"After Cost Calculation", 2, 22, 0, 0, F, F, T, T, 2.5},
        {"After Cost Calculation", 2, 22, 0, 0, F, F, T, T, 3},
        {"No User Effect", 3, 22, 0, 0, F, F, T, T, 3},
        {"After Cost Calculation", 3, 22, 0, 0, F, F, T, T, 3.5},
        {"Environment Effect", 3, 21, 0, 0, F, F, T, T, 3.5},
        {"After Cost Calculation", 3, 21, 0, 0, F, F, T, T, 4},
    });
    ExpectSummaries({{22, 2, 0}, {22, 3, 0}, {21, 4, 0}});
    EXPECT_TRUE(SubmitTrials().empty());
    ExpectEarnings(QStringLiteral("04.00"));
}

// The same time-driven run with two Submits between periods.
//   After period 1 (22, TotBonus 2): Submit 3 and 0. The order is due at once (delay 1):
//     +3 -> 25, no bonus; a participant's flow fell due, so both boxes show "0" again.
//   Period 2: the clock's user phase (nothing due; score 25: no bonus), then no environment
//     action; score 25: no bonus.
//   After period 2: Submit ".0" and an empty box: orders of 0, nothing due, the quiet
//     check clears the pending flow; the boxes keep ".0" and the "0" that the empty box got.
//   Period 3: user phase at 25 (no bonus), environment -1 -> 24 (no bonus). TotBonus 2.
TEST_F(PeriodCycle, TimeDrivenRunWithSubmits) {
    PrepareTimeDrivenThreePeriods();
    frmHydrovat form(run);

    SubmitAfterPeriod(form, 1, QStringLiteral("3"), QStringLiteral("0"));
    EXPECT_EQ(form.txtUsrInflowVal.text(), QStringLiteral("0"));
    EXPECT_EQ(form.txtUsrOutflowVal.text(), QStringLiteral("0"));
    SubmitAfterPeriod(form, 2, QStringLiteral(".0"), QString());
    EXPECT_EQ(form.txtUsrInflowVal.text(), QStringLiteral(".0"));
    EXPECT_EQ(form.txtUsrOutflowVal.text(), QStringLiteral("0"));
    EXPECT_TRUE(RunScreenUntil([] { return false; }));

    const bool F = false, T = true;
    ExpectEvents({
        {"No User Effect", 1, 20, 0, 0, F, F, F, F, 1},
        {"After Cost Calculation", 1, 20, 0, 0, F, F, F, F, 1.5},
        {"Environment Effect", 1, 22, 0, 0, F, F, T, T, 1.5},
        {"After Cost Calculation", 1, 22, 0, 0, F, F, T, T, 2},
        {"Submit Clicked", 1, 22, 0, 0, F, F, F, F, 2},
        {"No User Effect", 1, 22, 0, 0, F, F, F, F, 2},
        {"User Inflow", 1, 25, 0, 0, T, F, F, F, 2},
        {"After Cost Calculation", 1, 25, 0, 0, T, F, F, F, 2},
        {"No User Effect", 2, 25, 0, 0, F, F, F, F, 2},
        {"After Cost Calculation", 2, 25, 0, 0, F, F, F, F, 2},
        {"After Cost Calculation", 2, 25, 0, 0, F, F, T, T, 2},
        {"Submit Clicked", 2, 25, 0, 0, F, F, F, F, 2},
        {"No User Effect", 2, 25, 0, 0, F, F, F, F, 2},
        {"After Cost Calculation", 2, 25, 0, 0, F, F, F, F, 2},
        {"No User Effect", 3, 25, 0, 0, F, F, F, F, 2},
        {"After Cost Calculation", 3, 25, 0, 0, F, F, F, F, 2},
        {"Environment Effect", 3, 24, 0, 0, F, F, T, T, 2},
        {"After Cost Calculation", 3, 24, 0, 0, F, F, T, T, 2},
    });
    // Time-driven rows are completed with the period's stored order.
    ExpectSummaries({{25, 2, 3}, {25, 2, 0}, {24, 2, 0}});
    EXPECT_EQ(SubmitTrials(), (std::vector<int>{1, 2}));
    ExpectEarnings(QStringLiteral("02.00"));
}

// Time-driven: a fresh run takes no orders before the clock opens period 1 (they would be
// stored in period 0, where they never fall due); the boxes stay open for typing. A
// continued run stopped in a period that has had its order: it waits for the next one too.
TEST_F(PeriodCycle, TimeDrivenSubmitIsOfferedOncePeriodOneIsOpen) {
    Prepare(true, 3);
    run.setup.TimeBetweenEnvTries = 50;
    frmHydrovat fresh(run);
    EXPECT_FALSE(fresh.cmdNextTrial.isEnabled());
    EXPECT_TRUE(fresh.txtUsrInflowVal.isEnabled());
    EXPECT_TRUE(fresh.txtUsrOutflowVal.isEnabled());
    TypeKeys(fresh.txtUsrInflowVal, "5\r");
    EXPECT_EQ(fresh.Timer1.Enabled(), false) << "Enter submitted before period 1";
    ASSERT_FALSE(RunScreenUntil([&] { return run.state.CurrentTrial == 1; }));
    EXPECT_TRUE(fresh.cmdNextTrial.isEnabled());
    EXPECT_EQ(fresh.txtUsrInflowVal.text(), QStringLiteral("5")) << "what was typed stays";
    fresh.Timer2.setEnabled(false);

    Prepare(true, 3);
    run.state.CurrentTrial = 2;
    frmHydrovat continued(run);
    EXPECT_FALSE(continued.cmdNextTrial.isEnabled());
    ASSERT_FALSE(RunScreenUntil([&] { return run.state.CurrentTrial == 3; }));
    EXPECT_TRUE(continued.cmdNextTrial.isEnabled());
    continued.Timer2.setEnabled(false);
    EXPECT_TRUE(SubmitTrials().empty());
}

// Time-driven: one order a period. Two quick Submits in period 1 take the first; the
// second press finds Submit disabled, and Enter in a box does nothing either. Period 2
// offers Submit again. Delay 1: the order of 4 arrives in its period, once.
TEST_F(PeriodCycle, TimeDrivenTakesOneOrderAPeriod) {
    PrepareTimeDrivenThreePeriods();
    run.setup.MaxTrial = 2;
    run.setup.TimeBetweenEnvTries = 100;
    frmHydrovat form(run);
    ASSERT_FALSE(RunScreenUntil([&] { return run.state.CurrentTrial == 1; }));
    form.txtUsrInflowVal.setText(QStringLiteral("4"));
    form.cmdNextTrial.click();
    ASSERT_FALSE(RunScreenUntil([&] { return !form.Timer1.Enabled(); }));  // the order is taken
    form.txtUsrInflowVal.setText(QStringLiteral("9"));
    form.cmdNextTrial.click();
    TypeKeys(form.txtUsrInflowVal, "\r");
    ASSERT_FALSE(RunScreenUntil([&] { return PhaseTimersIdle(form); }));
    EXPECT_FALSE(form.cmdNextTrial.isEnabled());
    ASSERT_FALSE(RunScreenUntil([&] { return run.state.CurrentTrial == 2; }));
    EXPECT_TRUE(form.cmdNextTrial.isEnabled());
    EXPECT_TRUE(RunScreenUntil([] { return false; }));

    EXPECT_EQ(SubmitTrials(), (std::vector<int>{1}));
    const auto submits = database.rows(QStringLiteral(
        "select UserInFlow from datExperimentTrials where eventType='Submit Clicked'"));
    ASSERT_EQ(submits.size(), 1U);
    EXPECT_DOUBLE_EQ(submits[0].at("UserInFlow").toDouble(), 4);
    const auto inflows = database.rows(QStringLiteral(
        "select AmountInTank from datExperimentTrials where eventType='User Inflow'"));
    ASSERT_EQ(inflows.size(), 1U);
    // Period 1: 20 + 4 (the order) + 2 (the environment); period 2 has no environment action.
    EXPECT_DOUBLE_EQ(run.state.AmountInTank, 26);
    EXPECT_DOUBLE_EQ(run.state.TotalBackOrder, 0);
}

// What a participant-paced period shows in the tank view, phase by phase. Pauses of 200 ms
// leave time to look at each phase. Period 1 has rates 3 and 1 and an initial back order
// of 4 (delay 2) with an initial discharge of 0, which is still due.
TEST_F(PeriodCycle, PhasesShowTheirFlowsBesideThePipesAndAtTheDoors) {
    PrepareScreenRun(run, true);
    run.session.databasePath = database.path();
    run.asks = &dialogs;
    run.showsForms = &dialogs;
    run.setup.MaxTrial = 1;
    run.setup.AfterEveryNTrials = 1;
    run.setup.simTimeForTP = 1;
    run.setup.userDelay = run.setup.envDelay = 200;
    run.setup.UsrMv = run.setup.EnvMv = 200;
    run.state.SubjectName = QStringLiteral("O'Brien");
    run.state.UserInflowTP = run.state.UserOutflowTP = 2;
    for (auto* orders : {&run.state.UserInFlow, &run.state.UserOutFlow, &run.state.BackOrder,
                         &run.state.ForwardDischarge}) {
        SizeArray(*orders, 2);
    }
    run.state.BackOrder[1] = 4;
    run.state.TotalBackOrder = 4;
    SetRates({{3, 1}});
    frmHydrovat form(run);
    const QColor red(255, 0, 0), green(0, 192, 0), black(0, 0, 0);
    form.txtUsrInflowVal.setText(QStringLiteral("5"));
    form.cmdNextTrial.click();

    ASSERT_FALSE(RunScreenUntil([&] { return form.tmrEnvDelay.Enabled(); }));
    EXPECT_EQ(form.lblCurrTimePeriod.Caption(), QStringLiteral("1"));
    EXPECT_FALSE(form.cmdNextTrial.isEnabled());
    EXPECT_FALSE(form.txtUsrInflowVal.isEnabled());
    for (int pipe = 0; pipe < 4; ++pipe) EXPECT_EQ(form.Water0[pipe].Visible(), pipe >= 2);
    EXPECT_EQ(form.lblEnvInCon.Caption(), QStringLiteral("03.000"));
    EXPECT_EQ(form.lblEnvInCon.BackColor(), red);
    EXPECT_EQ(form.lblEnvOutCon.Caption(), QStringLiteral("01.000"));
    EXPECT_EQ(form.lblEnvOutCon.BackColor(), green);
    EXPECT_EQ(form.lblEnvInput[1].Caption(), QStringLiteral("ENV: 3"));
    EXPECT_EQ(form.lblEnvInput[1].BackColor(), red);
    EXPECT_EQ(form.lblEnvOutput[0].Caption(), QStringLiteral("ENV: 1"));
    EXPECT_EQ(form.lblEnvOutput[0].BackColor(), green);

    ASSERT_FALSE(RunScreenUntil([&] { return form.tmrEnvMv.Enabled(); }));
    EXPECT_EQ(form.lblEnvInCon.Caption(), QString());
    EXPECT_EQ(form.lblEnvInCon.BackColor(), black);
    EXPECT_EQ(form.lblEnvInput[1].Caption(), QStringLiteral("ENV: 3"));

    ASSERT_FALSE(RunScreenUntil([&] { return form.tmrUserDelay.Enabled(); }));
    EXPECT_EQ(form.lblEnvInput[1].Caption(), QString());
    EXPECT_EQ(form.lblEnvInput[1].BackColor(), black);
    for (int pipe = 0; pipe < 4; ++pipe) EXPECT_EQ(form.Water0[pipe].Visible(), pipe < 2);
    EXPECT_EQ(form.lblUsrInCon.Caption(), QStringLiteral("04.000"));
    EXPECT_EQ(form.lblUsrInCon.BackColor(), red);
    EXPECT_EQ(form.lblUsrOutCon.Caption(), QStringLiteral("00.000"));
    EXPECT_EQ(form.lblUsrOutCon.BackColor(), green);
    EXPECT_EQ(form.lblUserInput[1].Caption(), QStringLiteral("USER: 4"));
    EXPECT_EQ(form.lblUserOutput[0].Caption(), QStringLiteral("USER: 0"));

    // The flows act: 600 + 2 + 4 - 0; the read-outs show the model units.
    ASSERT_FALSE(RunScreenUntil([&] { return form.tmrUserMv.Enabled(); }));
    for (int pipe = 0; pipe < 4; ++pipe) EXPECT_FALSE(form.Water0[pipe].Visible());
    EXPECT_EQ(form.lblUsrInCon.Caption(), QString());
    EXPECT_EQ(form.lblUsrInCon.BackColor(), black);
    EXPECT_EQ(form.lblAmountStatusVal.Caption(), QStringLiteral("606.000"));
    EXPECT_EQ(form.lblInFlowStatusEnvVal.Caption(), QStringLiteral("03.000"));
    EXPECT_EQ(form.lblBackOrderVal.Caption(), QStringLiteral("05.000"));
    EXPECT_EQ(form.lblUserInput[1].Caption(), QStringLiteral("USER: 4"));

    EXPECT_TRUE(RunScreenUntil([] { return false; }));
    EXPECT_EQ(form.lblUserInput[1].Caption(), QString());
    EXPECT_EQ(form.lblUserInput[1].BackColor(), black);
    EXPECT_EQ(form.lblUserOutput[0].BackColor(), black);
    const auto rows = database.rows(QStringLiteral(
        "select AmountInTank from datTrialSummary where Subject='O''Brien' and Trial=1"));
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_DOUBLE_EQ(rows[0].at("AmountInTank").toDouble(), 606);
}

// What an entry box holds when Submit is processed, and the order stored for it.
struct EntryCase {
    const char* text;
    const char* shownAfter;  // the box once the orders are stored
    double order;
};

std::ostream& operator<<(std::ostream& out, const EntryCase& c) {
    return out << "'" << c.text << "'";
}

class PeriodCycleEntry : public PeriodCycle, public testing::WithParamInterface<EntryCase> {};

TEST_P(PeriodCycleEntry, BoxTextBecomesTheStoredOrder) {
    Prepare(false, 2);
    frmHydrovat form(run);
    form.txtUsrInflowVal.setText(QString::fromLatin1(GetParam().text));
    form.txtUsrOutflowVal.setText(QString::fromLatin1(GetParam().text));
    form.cmdNextTrial.click();
    ASSERT_FALSE(RunScreenUntil([&] { return run.state.EventID >= 1; }));
    form.StopCycleTimers();

    EXPECT_EQ(form.txtUsrInflowVal.text(), QString::fromLatin1(GetParam().shownAfter));
    EXPECT_DOUBLE_EQ(run.state.UserInFlow[1], GetParam().order);
    EXPECT_DOUBLE_EQ(run.state.UserOutFlow[1], GetParam().order);
    const auto rows =
        database.rows(QStringLiteral("select UserInFlow, UserOutFlow from datExperimentTrials "
                                     "where eventType='Submit Clicked'"));
    ASSERT_EQ(rows.size(), 1U);
    auto row = rows[0];
    EXPECT_DOUBLE_EQ(row["UserInFlow"].toDouble(), GetParam().order);
    EXPECT_DOUBLE_EQ(row["UserOutFlow"].toDouble(), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(Cases, PeriodCycleEntry,
                         testing::Values(EntryCase{"", "0", 0}, EntryCase{"12.5", "12.5", 12.5},
                                         EntryCase{".5", ".5", 0.5}, EntryCase{"1.2.3", "1.2.3", 0},
                                         EntryCase{"7x", "7x", 0}, EntryCase{"abc", "abc", 0}));

// The closing message stops the cycle: a time-driven clock whose phases are still armed
// writes nothing once the run has ended, even while the message is open.
TEST_F(PeriodCycle, NothingIsRecordedOnceTheRunHasEnded) {
    Prepare(true, 1);
    run.state.CurrentTrial = 1;
    frmHydrovat form(run);
    form.tmrUserDelay.arm(1);
    form.tmrEnvMv.arm(1);
    form.Timer2.setEnabled(false);
    EXPECT_THROW(form.onPeriodTimer(), runtime::ProgramEnded);
    for (const ui::FormTimer* timer : {&form.Timer1, &form.Timer2, &form.tmrUserDelay,
                                       &form.tmrUserMv, &form.tmrEnvDelay, &form.tmrEnvMv}) {
        EXPECT_FALSE(timer->Enabled());
    }
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 20) QCoreApplication::processEvents();
    EXPECT_TRUE(database.rows(QStringLiteral("select * from datExperimentTrials")).empty());
    ExpectEarnings(QStringLiteral("01.00"));
}

}  // namespace
