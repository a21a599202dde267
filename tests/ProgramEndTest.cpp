// An end raised in a handler the event loop called never unwinds Qt's dispatch: it is kept,
// quits the loops, and comes out of the code that ran them, with its status and message.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <optional>

#include "runtime/ProgramEnd.h"

namespace {

using runtime::ExitStatus;
using runtime::ProgramEnded;

// Arms a real timer whose handler runs through the event boundary.
void After(int milliseconds, std::function<void()> handler) {
    QTimer::singleShot(milliseconds, runtime::EventHandler(std::move(handler)));
}

std::optional<ProgramEnded> EndOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ProgramEnded& end) {
        return end;
    }
    return std::nullopt;
}

// A loop that would run for long unless the end quits it.
void RunLoop() {
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    runtime::ExecUntilEnd(loop);
}

TEST(ProgramEndTest, AnEndInATimerQuitsTheLoopAndComesOutOfItWithItsStatusAndMessage) {
    After(1, [] { runtime::EndRun(ExitStatus::DatabaseFailure, QStringLiteral("stopped")); });
    const auto end = EndOf(RunLoop);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, ExitStatus::DatabaseFailure);
    EXPECT_EQ(end->message, QStringLiteral("stopped"));
}

TEST(ProgramEndTest, AnEndInANestedLoopQuitsEveryLoopAndNoHandlerRunsAfterIt) {
    int handledAfterTheEnd = 0;
    bool outerCodeRanOn = false;
    After(1, [&] {
        After(1, [] { runtime::EndRun(ExitStatus::EndedByExperimenter); });
        After(2, [&] { ++handledAfterTheEnd; });
        RunLoop();  // as a modal form's loop inside a key handler
        outerCodeRanOn = true;
    });
    const auto end = EndOf(RunLoop);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, ExitStatus::EndedByExperimenter);
    EXPECT_FALSE(outerCodeRanOn);
    EXPECT_EQ(handledAfterTheEnd, 0);
}

TEST(ProgramEndTest, AfterAnEndIsRaisedTheNextLoopAndItsHandlersRunAsUsual) {
    After(1, [] { runtime::EndRun(ExitStatus::QuitAtLogin); });
    ASSERT_TRUE(EndOf(RunLoop));
    bool handled = false;
    QEventLoop loop;
    After(1, [&] {
        handled = true;
        loop.quit();
    });
    EXPECT_FALSE(EndOf([&] { runtime::ExecUntilEnd(loop); }));
    EXPECT_TRUE(handled);
}

TEST(ProgramEndTest, AHandlerThatDoesNotEndReportsThatTheRunGoesOn) {
    bool ran = false;
    EXPECT_TRUE(runtime::HandleEvent([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(runtime::HandleEvent([] { runtime::EndRun(ExitStatus::Finished); }));
    const auto end = EndOf(runtime::RaiseKeptEnd);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->status, ExitStatus::Finished);
    EXPECT_FALSE(EndOf(runtime::RaiseKeptEnd));
}

}  // namespace
