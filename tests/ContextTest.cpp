// The process-wide context: scoped settings, the clock and generator it holds, and the answer
// a question gets when nobody can be asked.
#include <gtest/gtest.h>

#include <memory>

#include "runtime/Clock.h"
#include "runtime/Context.h"
#include "runtime/Questions.h"

namespace {

TEST(ContextTest, AScopeStartsFromTheContextInForceAndGivesItBack) {
    const QString before = runtime::CurrentContext().databasePath;
    {
        runtime::ScopedContext outer;
        outer->databasePath = QStringLiteral("/tmp/outer.mdb");
        runtime::ScopedContext inner;
        EXPECT_EQ(runtime::CurrentContext().databasePath, QStringLiteral("/tmp/outer.mdb"));
        inner->twipsPerPixel = 10;
        EXPECT_EQ(runtime::CurrentContext().twipsPerPixel, 10);
    }
    EXPECT_EQ(runtime::CurrentContext().databasePath, before);
    EXPECT_EQ(runtime::CurrentContext().twipsPerPixel, runtime::kDesignTwipsPerPixel);
}

TEST(ContextTest, ScopesEndingOutOfOrderLeaveTheLaterOneInForce) {
    auto first = std::make_unique<runtime::ScopedContext>();
    (*first)->databasePath = QStringLiteral("/tmp/first.mdb");
    runtime::ScopedContext second;
    second->twipsPerPixel = 12;
    first.reset();
    EXPECT_EQ(runtime::CurrentContext().twipsPerPixel, 12);
    EXPECT_EQ(runtime::CurrentContext().databasePath, QStringLiteral("/tmp/first.mdb"));
}

TEST(ContextTest, TheClockIsTheContexts) {
    runtime::ScopedContext context;
    context->now = [] { return QDateTime(QDate(2026, 12, 31), QTime(23, 59, 30)); };
    EXPECT_EQ(runtime::Today(), QDate(2026, 12, 31));
    EXPECT_EQ(runtime::TimeText(), QStringLiteral("23:59:30"));
}

TEST(ContextTest, WithNobodyToAskAYesNoQuestionIsAnsweredNo) {
    runtime::ScopedContext context;
    context->questions = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runtime::MsgBox(QStringLiteral("Retry?"), runtime::vbYesNo,
                              QStringLiteral("Problems opening table")),
              runtime::vbNo);
    EXPECT_EQ(runtime::MsgBox(QStringLiteral("Done")), runtime::vbOK);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("Problems opening table: Retry?"), std::string::npos);
    EXPECT_NE(written.find("Fluxmere: Done"), std::string::npos);
}

}  // namespace
