// Fluxmere Lab's Accounts tab: the accounts listed by name only; a password set, changed or
// refused by the rules and with the messages of fluxmere-db passwd; an account removed,
// never the last one that can end a session.
#include <gtest/gtest.h>

#include "accounts/StoredPassword.h"
#include "lab/AccountsTab.h"
#include "lab/Study.h"
#include "tests/support/LabTasks.h"
#include "tests/support/ToolFixtures.h"

namespace {

QString Finish(lab::AccountsTab& tab) {
    return FinishTask(tab.runner());
}

struct PasswordCase {
    const char* user;
    const char* password;
    const char* repeated;
    const char* said;
    QStringList accounts;
};

void PrintTo(const PasswordCase& c, std::ostream* out) {
    *out << "'" << c.user << "' '" << c.password << "' '" << c.repeated << "'";
}

class LabAccountsTabTest : public ::testing::TestWithParam<PasswordCase> {
  protected:
    // The stored password of the account, as the program reads it.
    QString stored(const QString& user) const {
        const QStringList values =
            Column(demo.path(), QStringLiteral("SELECT password FROM tblPasswords WHERE "
                                               "username = '%1'")
                                    .arg(QString(user).replace("'", "''")));
        return values.value(0);
    }

    DemoDatabase demo;
    lab::Study study{demo.path()};
};

const QStringList kDemoAccounts{"experimenter"};

INSTANTIATE_TEST_SUITE_P(
    Rules, LabAccountsTabTest,
    ::testing::Values(
        PasswordCase{"lab",
                     "Zebra-42",
                     "Zebra-42",
                     "added the experimenter account 'lab'",
                     {"experimenter", "lab"}},
        PasswordCase{"experimenter", "new one", "new one", "changed the password of 'experimenter'",
                     kDemoAccounts},
        PasswordCase{"EXPERIMENTER", "new one", "new one", "changed the password of 'EXPERIMENTER'",
                     kDemoAccounts},
        PasswordCase{" O'Brien ",
                     "x",
                     "x",
                     "added the experimenter account 'O'Brien'",
                     {"experimenter", "O'Brien"}},
        PasswordCase{"lab", "", "", "the password is empty; nothing was changed", kDemoAccounts},
        PasswordCase{"lab", "Zebra-42", "zebra-42", "the two passwords differ; nothing was changed",
                     kDemoAccounts},
        PasswordCase{"lab", "Zebra-42", "", "the two passwords differ; nothing was changed",
                     kDemoAccounts},
        PasswordCase{"  ", "Zebra-42", "Zebra-42", "the user name is empty", kDemoAccounts}));

TEST_P(LabAccountsTabTest, APasswordIsSetOrRefusedAsPasswdDoes) {
    const PasswordCase& c = GetParam();
    lab::AccountsTab tab(study);
    Finish(tab);
    EXPECT_EQ(tab.accounts(), kDemoAccounts);
    const QString before = stored("experimenter");

    tab.setPassword(c.user, c.password, c.repeated);
    EXPECT_EQ(Finish(tab).toStdString(), c.said);
    EXPECT_EQ(tab.accounts(), c.accounts);

    const bool changed =
        QString(c.said).startsWith("added") || QString(c.said).startsWith("changed");
    const QString user = QString(c.user).trimmed();
    if (changed) {
        EXPECT_EQ(accounts::Verify(stored(user), c.password), accounts::Verdict::Matches);
    } else {
        EXPECT_EQ(stored("experimenter"), before);
    }
    for (const QString& name : tab.accounts()) EXPECT_FALSE(name.contains("pbkdf2"));
}

TEST(LabAccountsRemovalTest, AnAccountIsRemovedButNeverTheLastThatCanEndASession) {
    DemoDatabase demo;
    const lab::Study study(demo.path());
    lab::AccountsTab tab(study);
    Finish(tab);
    tab.removeAccount("experimenter");
    EXPECT_EQ(Finish(tab).toStdString(),
              "'experimenter' is the last account that can end a session; add another one first");
    tab.removeAccount("nobody");
    EXPECT_EQ(Finish(tab).toStdString(), "there is no experimenter account 'nobody'");
    EXPECT_EQ(tab.accounts(), kDemoAccounts);

    tab.setPassword("lab", "Zebra-42", "Zebra-42");
    Finish(tab);
    tab.removeAccount("Experimenter");
    EXPECT_EQ(Finish(tab).toStdString(), "removed the experimenter account 'Experimenter'");
    EXPECT_EQ(tab.accounts(), QStringList{"lab"});
    EXPECT_EQ(Column(demo.path(), "SELECT username FROM tblPasswords"), QStringList{"lab"});
}

}  // namespace
