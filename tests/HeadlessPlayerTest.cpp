// The period cycle without any widget: the driver on a simulated clock records exactly the
// rows the simulation screen records on its real timers, in both pacing modes.
#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "core/RunRecord.h"
#include "db/Schema.h"
#include "runtime/ProgramEnd.h"
#include "simulation/HeadlessPlayer.h"
#include "simulation/SimulatedClock.h"
#include "simulation/frmHydrovat.h"
#include "tests/frmHydrovatFixture.h"
#include "tests/support/ExperimentDatabase.h"
#include "tests/support/ScreenCycle.h"
#include "ui/Dialogs.h"

namespace {

using period::Step;

// The moment of a period at which the participant presses Submit.
enum class Moment {
    UserPause,  // while the clock's user phase pauses: the Submit's phase joins it
    EnvPause,   // while the environment phase pauses: two chains interleave
    AfterChain  // once the period's steps have run, before the clock opens the next
};

struct Press {
    int period;
    Moment moment;
    const char* inflow;
    const char* outflow;
};

// A station that plays a run: the simulation screen, or the headless player.
class Station {
  public:
    virtual ~Station() = default;
    // Plays until done() holds; true when the run ended on the way.
    virtual bool playUntil(const std::function<bool()>& done) = 0;
    virtual bool armed(Step step) const = 0;
    virtual bool submitOffered() const = 0;
    virtual void press(const QString& inflow, const QString& outflow) = 0;

    bool phasesIdle() const {
        for (const Step step : period::kAllSteps) {
            if (step != Step::Timer2 && armed(step)) return false;
        }
        return true;
    }
};

class ScreenStation : public Station {
  public:
    bool playUntil(const std::function<bool()>& done) override { return RunScreenUntil(done); }
    bool armed(Step step) const override { return Timer(step).Enabled(); }
    bool submitOffered() const override { return form_.cmdNextTrial.isEnabled(); }
    void press(const QString& inflow, const QString& outflow) override {
        form_.txtUsrInflowVal.setText(inflow);
        form_.txtUsrOutflowVal.setText(outflow);
        form_.cmdNextTrial.click();
    }

  private:
    const ui::FormTimer& Timer(Step step) const {
        const ui::FormTimer* timers[] = {&form_.Timer1,    &form_.Timer2,      &form_.tmrUserDelay,
                                         &form_.tmrUserMv, &form_.tmrEnvDelay, &form_.tmrEnvMv};
        return *timers[static_cast<int>(step)];
    }

    frmHydrovat form_;
};

class HeadlessStation : public Station {
  public:
    bool playUntil(const std::function<bool()>& done) override {
        player_.playUntil(done);
        return player_.ended();
    }
    bool armed(Step step) const override { return player_.armed(step); }
    bool submitOffered() const override { return player_.submitOffered(); }
    void press(const QString& inflow, const QString& outflow) override {
        player_.type(inflow, outflow);
        player_.submit();
    }

  private:
    period::HeadlessPlayer player_;
};

// Columns that hold the moment of recording, which real and simulated time do not share, and
// the key made anew for each write.
const QStringList kMomentColumns = {
    "Subject", "Date", "Time", "startTime", "endTime", "SubmitClickTime", db::kWriteKeyColumn};

class HeadlessPlayerTest : public ScreenTest {
  protected:
    // A discrete run of five periods: amount 20, goal 20 with the band 18 to 22, an inflow
    // delay of 1 and an outflow delay of 2 with an initial discharge of 3 in period 1.
    void Prepare(const QString& subject, bool timeDriven) {
        PrepareScreenRun(false);
        ExperimentSetupRecord& setup = ExperimentSetup;
        RunStateRecord& run = RunState;
        run.SubjectName = subject;
        setup.IsTimeDriven = timeDriven;
        setup.MaxTrial = 5;
        setup.AfterEveryNTrials = 1;
        setup.simTimeForTP = 1;
        setup.GoalLinePosition = setup.InitialAmountInTank = 20;
        setup.LowerBoundFromGoal = setup.UpperBoundFromGoal = 2;
        setup.BonusAmount = 0.5;
        setup.BaseMoney = 1;
        // Pauses far longer than the 1 ms in which a Submit's orders are taken, and the
        // environment's and the clock's far longer than a Submit's own steps, so that a busy
        // machine, late by tens of milliseconds, keeps the order of the steps.
        setup.userDelay = setup.UsrMv = 60;
        setup.envDelay = setup.EnvMv = 150;
        setup.TimeBetweenEnvTries = 400;
        run.TotBonus = setup.BaseMoney;
        run.UserInflowTP = 1;
        run.UserOutflowTP = 2;
        for (auto* values :
             {&run.UserInFlow, &run.UserOutFlow, &run.BackOrder, &run.ForwardDischarge}) {
            SizeArray(*values, setup.MaxTrial + 1);
        }
        run.ForwardDischarge[1] = 3;
        run.TotalForwardDischarge = 3;
        const double rates[][2] = {{2, 0}, {-1, -1}, {0, 3}, {1, 1}, {4, 0}};
        for (int trial = 1; trial <= 5; ++trial) {
            run.EnvInFlow[trial] = rates[trial - 1][0];
            run.EnvOutFlow[trial] = rates[trial - 1][1];
        }
    }

    // Participant-paced: the orders typed before each Submit.
    static void PlayPaced(Station& station, const std::vector<Press>& presses) {
        for (const Press& p : presses) {
            station.press(QString::fromLatin1(p.inflow), QString::fromLatin1(p.outflow));
            station.playUntil([&] { return station.submitOffered() && station.phasesIdle(); });
        }
    }

    // Time-driven: each Submit at its moment of its period, then the clock to the end.
    static void PlayTimeDriven(Station& station, const std::vector<Press>& presses) {
        for (const Press& p : presses) {
            const bool ended = station.playUntil([&] {
                if (RunState.CurrentTrial != p.period || !station.submitOffered()) return false;
                switch (p.moment) {
                    case Moment::UserPause:
                        return station.armed(Step::UserDelay);
                    case Moment::EnvPause:
                        return station.armed(Step::EnvDelay);
                    case Moment::AfterChain:
                        return station.phasesIdle();
                }
                return false;
            });
            ASSERT_FALSE(ended) << "no moment for the Submit of period " << p.period;
            station.press(QString::fromLatin1(p.inflow), QString::fromLatin1(p.outflow));
        }
        EXPECT_TRUE(station.playUntil([] { return false; }));
    }

    // The same run played on the screen and headless.
    void PlayOnBoth(bool timeDriven, const std::vector<Press>& presses) {
        for (const char* subject : {"Screen", "Headless"}) {
            Prepare(QString::fromLatin1(subject), timeDriven);
            std::unique_ptr<Station> station;
            if (subject == QStringLiteral("Screen")) {
                station = std::make_unique<ScreenStation>();
            } else {
                station = std::make_unique<HeadlessStation>();
            }
            if (timeDriven) {
                PlayTimeDriven(*station, presses);
            } else {
                PlayPaced(*station, presses);
            }
        }
    }

    std::vector<ExperimentDatabase::Row> Recorded(const char* table, const char* subject) const {
        return database.storedRows(
            QStringLiteral("select * from %1 where Subject='%2'")
                .arg(QString::fromLatin1(table), QString::fromLatin1(subject)));
    }

    void ExpectSameRows(const char* table) const {
        const auto screen = Recorded(table, "Screen");
        const auto headless = Recorded(table, "Headless");
        ASSERT_FALSE(screen.empty()) << table;
        ASSERT_EQ(headless.size(), screen.size()) << table;
        for (std::size_t i = 0; i < screen.size(); ++i) {
            for (const auto& [column, value] : screen[i]) {
                if (kMomentColumns.contains(column)) continue;
                EXPECT_EQ(headless[i].at(column).toString().toStdString(),
                          value.toString().toStdString())
                    << table << " row " << i + 1 << " column " << column.toStdString();
            }
        }
    }

    void ExpectSameTables() const {
        for (const char* table :
             {"datExperimentTrials", "datTrialSummary", "datUserTimesSummary"}) {
            ExpectSameRows(table);
        }
        EXPECT_EQ(dialogs.shown().size(), 1U) << "the screen's earnings message, none headless";
    }

    ExperimentDatabase database;
    ui::ScopedScriptedDialogs dialogs;
};

TEST_F(HeadlessPlayerTest, ParticipantPacedRunRecordsWhatTheScreenRecords) {
    PlayOnBoth(false, {{1, Moment::AfterChain, "5", "1"},
                       {2, Moment::AfterChain, "", "2"},
                       {3, Moment::AfterChain, "0", "0"},
                       {4, Moment::AfterChain, "2.5", ""},
                       {5, Moment::AfterChain, "1", "4"}});
    ExpectSameTables();
}

TEST_F(HeadlessPlayerTest, TimeDrivenRunRecordsWhatTheScreenRecords) {
    PlayOnBoth(true, {{1, Moment::UserPause, "3", "1"},
                      {2, Moment::EnvPause, "2", "0"},
                      {4, Moment::AfterChain, "0", "2"},
                      {5, Moment::EnvPause, "", "1"}});
    ExpectSameTables();
}

// What a database failure says is kept: the last period whose every phase was scored. A
// period whose Submit was taken but whose user phase (participant-paced) or environment phase
// (time-driven) is not yet scored does not count.
TEST_F(HeadlessPlayerTest, TheLastCompletePeriodFollowsThePhasesScored) {
    for (const bool timeDriven : {false, true}) {
        SCOPED_TRACE(timeDriven ? "time-driven" : "participant-paced");
        Prepare(QStringLiteral("Headless"), timeDriven);
        period::HeadlessPlayer player;
        EXPECT_EQ(RunState.LastCompletePeriod, 0);
        for (int period = 1; period <= 3; ++period) {
            if (!timeDriven) player.submit();
            player.playUntil(
                [&] { return RunState.CurrentTrial == period && player.armed(Step::UserDelay); });
            EXPECT_EQ(RunState.LastCompletePeriod, period - 1) << "period " << period << " begun";
            player.playUntil([&] { return RunState.LastCompletePeriod == period; });
            EXPECT_EQ(RunState.CurrentTrial, period);
            if (timeDriven) {
                EXPECT_FALSE(player.armed(Step::EnvMove)) << "period " << period;
            }
        }
    }
}

// A long run costs only its computations and recordings: forty time-driven periods with
// pauses of seconds end at once on the simulated clock, which has moved on by all of them.
TEST_F(HeadlessPlayerTest, SimulatedClockRunsPausesWithoutWaiting) {
    Prepare(QStringLiteral("Headless"), true);
    ExperimentSetup.MaxTrial = 40;
    for (auto* values : {&RunState.UserInFlow, &RunState.UserOutFlow, &RunState.BackOrder,
                         &RunState.ForwardDischarge, &RunState.EnvInFlow, &RunState.EnvOutFlow}) {
        values->resize(42);
    }
    ExperimentSetup.userDelay = ExperimentSetup.UsrMv = 1000;
    ExperimentSetup.envDelay = ExperimentSetup.EnvMv = 1000;
    ExperimentSetup.TimeBetweenEnvTries = 5000;
    period::HeadlessPlayer player;
    EXPECT_FALSE(player.submitOffered()) << "a fresh time-driven run waits for period 1";
    player.playToEnd();
    EXPECT_TRUE(player.ended());
    EXPECT_EQ(RunState.CurrentTrial, 40);
    // Each period: its clock, two pauses and two movements; then the clock that ends the run.
    EXPECT_EQ(player.now(), 41 * 5000 + 40 * 4 * 1000);
    EXPECT_EQ(dialogs.shown().size(), 0U) << "a headless run shows nothing";
}

TEST(SimulatedClock, FiresInOrderOfDueTimeThenOfArming) {
    period::SimulatedClock clock;
    clock.arm(Step::EnvDelay, 20);
    clock.arm(Step::UserDelay, 10);
    clock.arm(Step::Timer1, 10);
    clock.arm(Step::UserMove, 0);  // no pause runs as 1 ms
    clock.arm(Step::EnvMove, 30);
    clock.arm(Step::EnvMove, 5);  // arming again restarts the countdown
    clock.stop(Step::EnvDelay);
    EXPECT_TRUE(clock.armed(Step::Timer1));
    EXPECT_FALSE(clock.armed(Step::EnvDelay));

    std::vector<std::pair<Step, std::int64_t>> fired;
    while (clock.fireNext([&](Step step) { fired.emplace_back(step, clock.now()); })) {
    }
    const std::vector<std::pair<Step, std::int64_t>> expected = {
        {Step::UserMove, 1}, {Step::EnvMove, 5}, {Step::UserDelay, 10}, {Step::Timer1, 10}};
    EXPECT_EQ(fired, expected);
    EXPECT_FALSE(clock.nextDue().has_value());
    clock.advanceTo(4);
    EXPECT_EQ(clock.now(), 10) << "the clock never goes back";
}

}  // namespace
