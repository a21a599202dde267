// Time-driven runs under many seeded random Submit schedules, played headless on the
// simulated clock: no Submit, one, or several quick presses in a period, at any moment of
// it, with delays that rise and fall. Whatever the schedule, every amount that falls due
// reaches the stock once, the on-order figures of every recorded row are what was ordered
// and has not yet fallen due, and a period takes at most one order.
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <cmath>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <vector>

#include "core/RunRecord.h"
#include "runtime/NumberText.h"
#include "task/HeadlessPlayer.h"
#include "tests/support/ExperimentDatabase.h"

namespace {

constexpr int kSchedulesPerShard = 100;
constexpr int kShards = 10;

// One of the participant's two flows as the schedule sets it up, and what the test expects
// of it, worked out apart from the program.
struct Flow {
    double initial = 0;              // on order before period 1
    int startingDelay = 1;           // periods
    std::vector<std::int16_t> ends;  // the delay schedule: a period ending a segment...
    std::vector<double> values;      // ...takes the next segment's value
    std::map<int, double> orders;    // by period, as Submit took them

    int DelayIn(int period, int delayBefore, int maxTrial) const {
        for (std::size_t i = 0; i < ends.size(); ++i) {
            if (period == ends[i] && period != maxTrial) delayBefore = int(values[i + 1]);
        }
        return delayBefore;
    }
    // The initial orders spread over the first periods of the starting delay.
    double PipelineEntry(int period) const {
        if (startingDelay <= 1) return period == 1 ? initial : 0;
        return period < startingDelay ? initial / (startingDelay - 1) : 0;
    }
};

struct Schedule {
    int maxTrial = 0;
    double simTime = 1;
    std::vector<std::pair<double, double>> rates;  // by period, from 1
    Flow in, out;
    int pauses[4] = {};  // userDelay, UsrMv, envDelay, EnvMv
    int clock = 0;
    // Presses, each at a moment (ms after its period opened) with the typed orders.
    struct Press {
        int period;
        int moment;
        QString inflow, outflow;
    };
    std::vector<Press> presses;
};

QString RandomOrderText(std::mt19937& random) {
    const int kind = std::uniform_int_distribution<int>(0, 5)(random);
    if (kind == 0) return QString();  // an empty box orders 0
    const double value = std::uniform_int_distribution<int>(0, 12)(random) / 2.0;
    return runtime::Plain(value);
}

void RandomDelays(std::mt19937& random, Flow& flow, int maxTrial) {
    auto delay = [&] { return std::uniform_int_distribution<int>(1, 4)(random); };
    flow.startingDelay = delay();
    flow.initial = std::uniform_int_distribution<int>(0, 8)(random);
    flow.values = {double(flow.startingDelay)};
    const int changes = std::uniform_int_distribution<int>(0, 2)(random);
    int end = 0;
    for (int i = 0; i < changes && end < maxTrial; ++i) {
        end = std::uniform_int_distribution<int>(end + 1, maxTrial)(random);
        flow.ends.push_back(std::int16_t(end));
        flow.values.push_back(delay());
    }
    flow.ends.push_back(std::int16_t(maxTrial + 10));  // the last segment outlasts the run
    flow.values.push_back(0);
}

Schedule RandomSchedule(unsigned seed) {
    std::mt19937 random(seed);
    Schedule s;
    s.maxTrial = std::uniform_int_distribution<int>(2, 6)(random);
    s.simTime = std::uniform_int_distribution<int>(1, 2)(random);
    for (int trial = 1; trial <= s.maxTrial; ++trial) {
        auto rate = [&] { return std::uniform_int_distribution<int>(-1, 4)(random); };
        s.rates.emplace_back(rate(), rate());
    }
    RandomDelays(random, s.in, s.maxTrial);
    RandomDelays(random, s.out, s.maxTrial);
    for (int& pause : s.pauses) pause = std::uniform_int_distribution<int>(1, 40)(random);
    s.clock = std::uniform_int_distribution<int>(1, 120)(random);
    const int periodLength = s.pauses[0] + s.pauses[1] + s.pauses[2] + s.pauses[3] + s.clock;
    // Period 0 stands for the wait before the clock opens period 1.
    for (int period = 0; period <= s.maxTrial; ++period) {
        const int count = std::uniform_int_distribution<int>(0, 3)(random);
        std::vector<int> moments;
        for (int i = 0; i < count; ++i) {
            // Often within a few milliseconds of each other: quick double clicks.
            moments.push_back(i > 0 && random() % 2 ? moments.back() + int(random() % 3)
                                                    : int(random() % periodLength));
        }
        std::sort(moments.begin(), moments.end());
        for (int moment : moments) {
            s.presses.push_back({period, moment, RandomOrderText(random), RandomOrderText(random)});
        }
    }
    return s;
}

void SetUpFlow(const Flow& flow, std::int16_t& delay, std::int16_t& count,
               std::vector<std::int16_t>& ends, std::vector<double>& values,
               std::vector<double>& pipeline, double& total) {
    delay = std::int16_t(flow.startingDelay);
    count = std::int16_t(flow.ends.size());
    ends = flow.ends;
    values = flow.values;
    for (std::size_t period = 1; period < pipeline.size(); ++period) {
        pipeline[period] = flow.PipelineEntry(int(period));
    }
    total = flow.initial;
}

// The run record of a fresh time-driven run in the store view, as start-up leaves it.
void Prepare(::Run& run, const Schedule& s, const QString& subject) {
    ExperimentSetupRecord& setup = run.setup;
    RunStateRecord& state = run.state;
    state.SubjectName = subject;
    state.Version = QStringLiteral("V");
    setup.IsTimeDriven = true;
    setup.MaxTrial = s.maxTrial;
    setup.MaxNumberOfAScenarioType = std::int16_t(s.maxTrial);
    setup.AfterEveryNTrials = 1;
    setup.simTimeForTP = s.simTime;
    setup.InitialAmountInTank = setup.GoalLinePosition = 20;
    setup.LowerBoundFromGoal = setup.UpperBoundFromGoal = 3;
    setup.BonusAmount = 0.5;
    setup.userDelay = s.pauses[0];
    setup.UsrMv = s.pauses[1];
    setup.envDelay = s.pauses[2];
    setup.EnvMv = s.pauses[3];
    setup.TimeBetweenEnvTries = s.clock;
    for (auto* values : {&state.UserInFlow, &state.UserOutFlow, &state.BackOrder,
                         &state.ForwardDischarge, &state.EnvInFlow, &state.EnvOutFlow}) {
        SizeArray(*values, s.maxTrial + 1);
    }
    for (int trial = 1; trial <= s.maxTrial; ++trial) {
        state.EnvInFlow[trial] = s.rates[trial - 1].first;
        state.EnvOutFlow[trial] = s.rates[trial - 1].second;
    }
    SetUpFlow(s.in, state.UserInflowTP, state.InflowDelayCount, state.InflowDelayEnd,
              state.InflowDelayValue, state.BackOrder, state.TotalBackOrder);
    SetUpFlow(s.out, state.UserOutflowTP, state.OutflowDelayCount, state.OutflowDelayEnd,
              state.OutflowDelayValue, state.ForwardDischarge, state.TotalForwardDischarge);
}

// Plays the schedule; the orders Submit took go into the schedule's flows.
void Play(::Run& run, Schedule& s) {
    period::HeadlessPlayer player(run);
    std::map<int, std::int64_t> opened = {{0, 0}};  // when the clock opened each period
    for (const Schedule::Press& press : s.presses) {
        player.playUntil([&] { return run.state.CurrentTrial >= press.period; });
        opened.emplace(run.state.CurrentTrial, player.now());
        if (run.state.CurrentTrial != press.period) continue;
        player.playTo(opened[press.period] + press.moment);
        if (player.ended() || run.state.CurrentTrial != press.period) continue;
        const bool taken = player.submitOffered();
        player.type(press.inflow, press.outflow);  // unless the boxes are disabled
        player.submit();
        // The order goes to the period in which Submit takes it (the clock may open the
        // next one in the millisecond before), except in the last, which stores none.
        player.playUntil([&] { return !player.armed(period::Step::Timer1); });
        const int trial = run.state.CurrentTrial;
        if (taken && trial < s.maxTrial) {
            s.in.orders[trial] = run.state.UserInFlow[std::size_t(trial)];
            s.out.orders[trial] = run.state.UserOutFlow[std::size_t(trial)];
        }
    }
    player.playToEnd();
    ASSERT_TRUE(player.ended());
}

// What the test expects of one flow, walking the recorded events: an order falls due in
// the first period whose delay reaches back to it, once; the initial pipeline's entry of
// a period falls due in its period while the delay reaches back before period 1, and the
// entries not yet due fall due together when it first reaches back to period 1 or later.
class FlowLedger {
  public:
    FlowLedger(const Flow& flow, int maxTrial) : flow_(flow), maxTrial_(maxTrial) {
        onOrder_ = flow.initial;
    }

    double onOrder() const { return onOrder_; }
    double arrived() const { return arrived_; }

    // The announcement of a user phase in `period`; `ownOrder` is the order its Submit took.
    void Announce(int period, const double* ownOrder) {
        while (delayPeriod_ < period) {
            ++delayPeriod_;
            delay_ = flow_.DelayIn(delayPeriod_, delay_, maxTrial_);
        }
        if (ownOrder) {
            placed_[period] = *ownOrder;
            onOrder_ += *ownOrder;
        }
        const int k = period - (delay_ - 1);
        if (k <= 0) {
            // An entry that came with the rest of the pipeline does not come again.
            if (pipelineDone_.insert(period).second)
                FallsDue(restTaken_ ? 0 : flow_.PipelineEntry(period));
            return;
        }
        if (!restTaken_) {
            restTaken_ = true;
            const int last = pipelineDone_.empty() ? 0 : *pipelineDone_.rbegin();
            for (int entry = last + 1; entry <= maxTrial_ + 1; ++entry)
                FallsDue(flow_.PipelineEntry(entry));
        }
        for (const auto& [orderPeriod, amount] : placed_) {
            if (orderPeriod <= k && amount > 0 && ordersDone_.insert(orderPeriod).second) {
                FallsDue(amount);
            }
        }
    }

  private:
    void FallsDue(double amount) {
        onOrder_ -= amount;
        arrived_ += amount;
    }

    const Flow& flow_;
    int maxTrial_;
    int delay_ = flow_.startingDelay;
    int delayPeriod_ = 0;
    double onOrder_ = 0;
    double arrived_ = 0;
    std::map<int, double> placed_;
    std::set<int> pipelineDone_;
    bool restTaken_ = false;
    std::set<int> ordersDone_;
};

class TimeDrivenScheduleTest : public ::testing::TestWithParam<int> {
  protected:
    // A RAM disk when there is one: a schedule records a few dozen rows.
    ExperimentDatabase database{
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QString()};

    void Check(unsigned seed) {
        Schedule s = RandomSchedule(seed);
        const QString subject = QStringLiteral("S%1").arg(seed);
        ::Run run;
        run.session.databasePath = database.path();
        Prepare(run, s, subject);
        Play(run, s);
        const auto rows = database.rows(
            QStringLiteral("select * from datExperimentTrials where Subject='%1' order by EventID")
                .arg(subject));
        ASSERT_FALSE(rows.empty());

        FlowLedger in(s.in, s.maxTrial), out(s.out, s.maxTrial);
        std::map<int, int> submitsPerPeriod;
        bool afterSubmit = false;
        for (const auto& row : rows) {
            const QString type = row.at("eventType").toString();
            const int period = row.at("Trial").toInt();
            SCOPED_TRACE(testing::Message() << "event " << row.at("EventID").toInt() << " "
                                            << type.toStdString() << " of period " << period);
            ASSERT_NEAR(row.at("TotalBackOrder").toDouble(), in.onOrder(), 1e-9);
            ASSERT_NEAR(row.at("TotalForwardDischarge").toDouble(), out.onOrder(), 1e-9);
            ASSERT_GE(in.onOrder(), -1e-9);
            ASSERT_GE(out.onOrder(), -1e-9);
            if (type == QStringLiteral("Submit Clicked")) ++submitsPerPeriod[period];
            if (type == QStringLiteral("No User Effect")) {
                // Right after this row the user phase announces what falls due.
                in.Announce(period, afterSubmit ? &s.in.orders.at(period) : nullptr);
                out.Announce(period, afterSubmit ? &s.out.orders.at(period) : nullptr);
            }
            afterSubmit = type == QStringLiteral("Submit Clicked");
        }

        // At most one order a period, and every order Submit took recorded once.
        for (const auto& [period, count] : submitsPerPeriod) EXPECT_EQ(count, 1) << period;
        EXPECT_EQ(submitsPerPeriod.size(), s.in.orders.size());

        // The stock: the initial amount, every environment effect, every amount that fell
        // due, once.
        const FlowArrivals& inflowLeft = run.state.InflowArrivals;
        const FlowArrivals& outflowLeft = run.state.OutflowArrivals;
        double expected = 20;
        for (const auto& [rateIn, rateOut] : s.rates) {
            if (!(rateIn < 0 && rateOut < 0)) expected += (rateIn - rateOut) * s.simTime;
        }
        // What fell due as the clock ended the run was on its way, not yet in the stock.
        expected += in.arrived() - inflowLeft.pendingAmount;
        expected -= out.arrived() - outflowLeft.pendingAmount;
        EXPECT_NEAR(run.state.AmountInTank, expected, 1e-9);
        EXPECT_NEAR(rows.back().at("AmountInTank").toDouble(), expected, 1e-9);
    }
};

TEST_P(TimeDrivenScheduleTest, EveryAmountArrivesOnceAndOnOrderFiguresStayTrue) {
    for (int i = 0; i < kSchedulesPerShard && !HasFatalFailure(); ++i) {
        const unsigned seed = unsigned(GetParam() * kSchedulesPerShard + i);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Check(seed);
        if (HasFailure()) break;  // one schedule's report is enough to work from
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, TimeDrivenScheduleTest, ::testing::Range(0, kShards));

}  // namespace
