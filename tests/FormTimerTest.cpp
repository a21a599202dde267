#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "screens/common/FormTimer.h"

namespace {

// Runs the event loop until the condition holds or a generous limit passes.
template <typename Condition>
bool RunUntil(Condition condition, int limitMs = 5000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition() && elapsed.elapsed() < limitMs) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return condition();
}

TEST(FormTimerTest, RepeatsWhileEnabledAndStopsWhenDisabled) {
    ui::FormTimer timer;
    int fired = 0;
    QObject::connect(&timer, &ui::FormTimer::Timer, [&] {
        if (++fired == 3) timer.setEnabled(false);
    });
    timer.arm(2);
    ASSERT_TRUE(RunUntil([&] { return fired >= 3; }));
    RunUntil([] { return false; }, 30);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer.Enabled());
}

TEST(FormTimerTest, OneMillisecondTimerFiresAfterTheCurrentHandlerReturns) {
    ui::FormTimer first;
    ui::FormTimer second;
    std::vector<std::string> order;
    QObject::connect(&first, &ui::FormTimer::Timer, [&] {
        first.setEnabled(false);
        second.arm(1);
        order.push_back("handler end");
    });
    QObject::connect(&second, &ui::FormTimer::Timer, [&] {
        second.setEnabled(false);
        order.push_back("second");
    });
    first.arm(1);
    ASSERT_TRUE(RunUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"handler end", "second"}));
}

TEST(FormTimerTest, ReArmingARunningTimerRestartsItsCountdown) {
    ui::FormTimer timer;
    bool fired = false;
    QObject::connect(&timer, &ui::FormTimer::Timer, [&] {
        timer.setEnabled(false);
        fired = true;
    });
    timer.arm(60);
    // Keep restarting before the countdown can run out; it must not fire meanwhile.
    for (int i = 0; i < 5; ++i) {
        RunUntil([] { return false; }, 20);
        EXPECT_FALSE(fired);
        timer.setInterval(60);
    }
    EXPECT_TRUE(RunUntil([&] { return fired; }));
}

TEST(FormTimerTest, DisabledTimerNeverFires) {
    ui::FormTimer timer;
    bool fired = false;
    QObject::connect(&timer, &ui::FormTimer::Timer, [&] { fired = true; });
    timer.setInterval(1);
    RunUntil([] { return false; }, 20);
    EXPECT_FALSE(fired);
    EXPECT_FALSE(timer.Enabled());
}

}  // namespace
