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
#include "screens/common/Dialogs.h"
#include "screens/simulation/frmHydrovat.h"
#include "task/HeadlessPlayer.h"
#include "task/SimulatedClock.h"
#include "tests/frmHydrovatFixture.h"
#include "tests/support/ExperimentDatabase.h"
#include "tests/support/ScreenCycle.h"

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
    explicit ScreenStation(::Run& run) : form_(run) {}
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
    explicit HeadlessStation(::Run& run) : player_(run) {}
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
    void Prepare(::Run& run, const QString& subject, bool timeDriven) {
        PrepareScreenRun(run, false);
        run.session.databasePath = database.path();
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        ExperimentSetupRecord& setup = run.setup;
        RunStateRecord& state = run.state;
        state.SubjectName = subject;
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
        state.TotBonus = setup.BaseMoney;
        state.UserInflowTP = 1;
        state.UserOutflowTP = 2;
        for (auto* values :
             {&state.UserInFlow, &state.UserOutFlow, &state.BackOrder, &state.ForwardDischarge}) {
            SizeArray(*values, setup.MaxTrial + 1);
        }
        state.ForwardDischarge[1] = 3;
        state.TotalForwardDischarge = 3;
        const double rates[][2] = {{2, 0}, {-1, -1}, {0, 3}, {1, 1}, {4, 0}};
        for (int trial = 1; trial <= 5; ++trial) {
            state.EnvInFlow[trial] = rates[trial - 1][0];
            state.EnvOutFlow[trial] = rates[trial - 1][1];
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
    void PlayTimeDriven(::Run& run, Station& station, const std::vector<Press>& presses) {
        for (const Press& p : presses) {
            const bool ended = station.playUntil([&] {
                if (run.state.CurrentTrial != p.period || !station.submitOffered()) return false;
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
            ::Run run;
            Prepare(run, QString::fromLatin1(subject), timeDriven);
            std::unique_ptr<Station> station;
            if (subject == QStringLiteral("Screen")) {
                station = std::make_unique<ScreenStation>(run);
            } else {
                station = std::make_unique<HeadlessStation>(run);
            }
            if (timeDriven) {
                PlayTimeDriven(run, *station, presses);
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
    ui::ScriptedDialogs dialogs;
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
        Prepare(run, QStringLiteral("Headless"), timeDriven);
        period::HeadlessPlayer player(run);
        EXPECT_EQ(run.state.LastCompletePeriod, 0);
        for (int period = 1; period <= 3; ++period) {
            if (!timeDriven) player.submit();
            player.playUntil(
                [&] { return run.state.CurrentTrial == period && player.armed(Step::UserDelay); });
            EXPECT_EQ(run.state.LastCompletePeriod, period - 1) << "period " << period << " begun";
            player.playUntil([&] { return run.state.LastCompletePeriod == period; });
            EXPECT_EQ(run.state.CurrentTrial, period);
            if (timeDriven) {
                EXPECT_FALSE(player.armed(Step::EnvMove)) << "period " << period;
            }
        }
    }
}

// A long run costs only its computations and recordings: forty time-driven periods with
// pauses of seconds end at once on the simulated clock, which has moved on by all of them.
TEST_F(HeadlessPlayerTest, SimulatedClockRunsPausesWithoutWaiting) {
    Prepare(run, QStringLiteral("Headless"), true);
    run.setup.MaxTrial = 40;
    for (auto* values :
         {&run.state.UserInFlow, &run.state.UserOutFlow, &run.state.BackOrder,
          &run.state.ForwardDischarge, &run.state.EnvInFlow, &run.state.EnvOutFlow}) {
        values->resize(42);
    }
    run.setup.userDelay = run.setup.UsrMv = 1000;
    run.setup.envDelay = run.setup.EnvMv = 1000;
    run.setup.TimeBetweenEnvTries = 5000;
    period::HeadlessPlayer player(run);
    EXPECT_FALSE(player.submitOffered()) << "a fresh time-driven run waits for period 1";
    player.playToEnd();
    EXPECT_TRUE(player.ended());
    EXPECT_EQ(run.state.CurrentTrial, 40);
    // Each period: its clock, two pauses and two movements; then the clock that ends the run.
    EXPECT_EQ(player.now(), 41 * 5000 + 40 * 4 * 1000);
    EXPECT_EQ(dialogs.shown().size(), 0U) << "a headless run shows nothing";
}

// A participant who plays one step at a time, so that two runs can take turns: types the
// period's orders and presses Submit once it is offered in that period, else lets the next
// step of the run happen. Its run reads the time from the player's simulated clock, which
// starts at the same moment for every participant.
class SteppedParticipant {
  public:
    SteppedParticipant(::Run& run, std::vector<std::pair<const char*, const char*>> orders)
        : run_(run), player_(run, kStart), orders_(std::move(orders)) {}

    bool ended() const { return player_.ended(); }

    void step() {
        const int period = run_.state.CurrentTrial + (run_.setup.IsTimeDriven ? 0 : 1);
        if (player_.submitOffered() && period >= 1 && period > submitted_ &&
            period <= static_cast<int>(orders_.size())) {
            const auto& [inflow, outflow] = orders_[static_cast<std::size_t>(period - 1)];
            player_.type(QString::fromLatin1(inflow), QString::fromLatin1(outflow));
            player_.submit();
            submitted_ = period;
            return;
        }
        const long before = player_.stepsPlayed();
        player_.playUntil([&] { return player_.stepsPlayed() > before; });
    }

    void playAlone() {
        while (!ended()) step();
    }

  private:
    static inline const QDateTime kStart{QDate(2026, 3, 2), QTime(10, 0), Qt::UTC};
    ::Run& run_;
    period::HeadlessPlayer player_;
    std::vector<std::pair<const char*, const char*>> orders_;
    int submitted_ = 0;
};

// Two runs live in one process at once, each with its own state, clock and database session:
// a participant-paced and a clock-paced run played step by step in turn record the same rows
// as each played alone.
TEST_F(HeadlessPlayerTest, RunsPlayedInTurnInOneProcessRecordWhatEachRecordsAlone) {
    const std::vector<std::pair<const char*, const char*>> paced = {
        {"2", "0"}, {"0", "1"}, {"3", "2"}, {"1", "0"}, {"0", "4"}};
    const std::vector<std::pair<const char*, const char*>> clocked = {
        {"1", "2"}, {"4", "0"}, {"0", "0"}, {"2", "3"}, {"1", "1"}};
    for (const bool timeDriven : {false, true}) {
        ::Run alone;
        Prepare(alone, QString::fromLatin1(timeDriven ? "ClockAlone" : "PacedAlone"), timeDriven);
        SteppedParticipant(alone, timeDriven ? clocked : paced).playAlone();
    }
    ::Run pacedRun;
    ::Run clockedRun;
    Prepare(pacedRun, QStringLiteral("PacedInTurn"), false);
    Prepare(clockedRun, QStringLiteral("ClockInTurn"), true);
    SteppedParticipant pacedParticipant(pacedRun, paced);
    SteppedParticipant clockedParticipant(clockedRun, clocked);
    while (!pacedParticipant.ended() || !clockedParticipant.ended()) {
        if (!pacedParticipant.ended()) pacedParticipant.step();
        if (!clockedParticipant.ended()) clockedParticipant.step();
    }

    for (const char* table : {"datExperimentTrials", "datTrialSummary", "datUserTimesSummary"}) {
        for (const auto& [aloneName, inTurnName] :
             {std::pair{"PacedAlone", "PacedInTurn"}, std::pair{"ClockAlone", "ClockInTurn"}}) {
            const auto alone = Recorded(table, aloneName);
            const auto inTurn = Recorded(table, inTurnName);
            ASSERT_FALSE(alone.empty()) << table << " " << aloneName;
            ASSERT_EQ(inTurn.size(), alone.size()) << table << " " << inTurnName;
            for (std::size_t i = 0; i < alone.size(); ++i) {
                for (const auto& [column, value] : alone[i]) {
                    // The name and the key made anew for each write differ; the moments agree.
                    if (column == QLatin1String("Subject") ||
                        column == QLatin1String(db::kWriteKeyColumn))
                        continue;
                    EXPECT_EQ(inTurn[i].at(column).toString().toStdString(),
                              value.toString().toStdString())
                        << table << " " << inTurnName << " row " << i + 1 << " column "
                        << column.toStdString();
                }
            }
        }
    }
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
