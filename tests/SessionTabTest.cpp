// The lab window's Session tab: its monitor, which reads the recorded tables, starts only when
// the tab is first shown, and follows the chosen day from then on.
#include <gtest/gtest.h>

#include <QDateEdit>

#include "lab/SessionTab.h"
#include "tests/support/ExperimentDatabase.h"

namespace {

TEST(SessionTabTest, StartsItsMonitorWhenFirstShown) {
    ExperimentDatabase database;
    database.addVersion(QStringLiteral("A"));
    const lab::Study study(database.path());
    lab::SessionTab tab(study);
    EXPECT_EQ(tab.monitor(), nullptr);
    auto* since = tab.findChild<QDateEdit*>();
    ASSERT_NE(since, nullptr);
    since->setDate(QDate(2026, 1, 2));
    EXPECT_EQ(tab.monitor(), nullptr);
    tab.show();
    const tool::SessionMonitor* first = tab.monitor();
    ASSERT_NE(first, nullptr);
    tab.hide();
    tab.show();
    EXPECT_EQ(tab.monitor(), first);
    since->setDate(QDate(2026, 1, 3));
    EXPECT_NE(tab.monitor(), first);
    EXPECT_NE(tab.monitor(), nullptr);
}

}  // namespace
