#pragma once
// The experimenter accounts that may end a running session: their names listed (never their
// passwords), an account added, its password changed, an account removed. The rules and the
// messages are those of fluxmere-db passwd; each change runs off the window's thread, as
// hashing a password takes a moment.

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include "lab/Study.h"
#include "lab/TaskRunner.h"

namespace lab {

class AccountsTab : public QWidget {
    Q_OBJECT

  public:
    AccountsTab(const Study& study, QWidget* parent = nullptr);

    // Adds the account or changes its password, with the password typed twice.
    void setPassword(const QString& user, const QString& password, const QString& repeated);
    // Removes the account without asking; the button asks first.
    void removeAccount(const QString& user);
    void refresh();

    TaskRunner& runner() { return runner_; }
    QStringList accounts() const;

  private:
    void typedPasswordSet();
    void askToRemove();
    void chosen(const QString& user);
    // Runs a change of the accounts, all or nothing, then lists them as they are; without a
    // change, only lists them.
    void change(const QString& title,
                std::function<QString(db::Connection& connection)> changeAccounts);
    void list(const QStringList& names);

    Study study_;
    QListWidget accounts_;
    QLineEdit user_;
    QLineEdit password_;
    QLineEdit repeated_;
    QPushButton set_;
    QPushButton remove_;
    TaskRunner runner_;
};

}  // namespace lab
