// The process-wide context: scoped settings, and the answer a question gets when nobody can be
// asked.
#include <gtest/gtest.h>

#include <memory>

#include "runtime/Context.h"
#include "runtime/Questions.h"

namespace {

TEST(ContextTest, AScopeStartsFromTheContextInForceAndGivesItBack) {
    {
        runtime::ScopedContext outer;
        outer->twipsPerPixel = 12;
        runtime::ScopedContext inner;
        EXPECT_EQ(runtime::CurrentContext().twipsPerPixel, 12);
        inner->twipsPerPixel = 10;
        EXPECT_EQ(runtime::CurrentContext().twipsPerPixel, 10);
    }
    EXPECT_EQ(runtime::CurrentContext().twipsPerPixel, runtime::kDesignTwipsPerPixel);
}

TEST(ContextTest, ScopesEndingOutOfOrderLeaveTheLaterOneInForce) {
    auto first = std::make_unique<runtime::ScopedContext>();
    (*first)->twipsPerPixel = 12;
    runtime::ScopedContext second;
    second->twipsPerPixel = 11;
    first.reset();
    EXPECT_EQ(runtime::CurrentContext().twipsPerPixel, 11);
}

TEST(ContextTest, WithNobodyToAskAYesNoQuestionIsAnsweredNo) {
    runtime::UnattendedQuestions nobody;
    testing::internal::CaptureStderr();
    EXPECT_EQ(nobody.ask({QStringLiteral("Retry?"), QStringLiteral("Problems opening table"),
                          runtime::Buttons::YesNo}),
              runtime::Answer::No);
    EXPECT_EQ(nobody.ask({QStringLiteral("Done"), QStringLiteral("Fluxmere")}),
              runtime::Answer::Ok);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("Problems opening table: Retry?"), std::string::npos);
    EXPECT_NE(written.find("Fluxmere: Done"), std::string::npos);
}

}  // namespace
