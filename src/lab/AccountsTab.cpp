#include "lab/AccountsTab.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <memory>

#include "tool/common/Counted.h"
#include "tool/common/Progress.h"
#include "tool/data/Passwd.h"

namespace lab {

AccountsTab::AccountsTab(const Study& study, QWidget* parent)
    : QWidget(parent),
      study_(study),
      set_(tr("Set the &password")),
      remove_(tr("Re&move the account…")),
      runner_(this) {
    auto* listLabel = new QLabel(tr("Experimenter a&ccounts, which can end a running session:"));
    listLabel->setBuddy(&accounts_);
    password_.setEchoMode(QLineEdit::Password);
    repeated_.setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(tr("&User name:"), &user_);
    form->addRow(tr("&New password:"), &password_);
    form->addRow(tr("&Repeat the password:"), &repeated_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(&set_);
    buttons->addWidget(&remove_);
    buttons->addStretch();
    form->addRow(buttons);
    auto* box = new QGroupBox(tr("Add an experimenter, or change a password"));
    box->setLayout(form);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(&accounts_, 1);
    layout->addWidget(box);
    layout->addWidget(&runner_);

    connect(&accounts_, &QListWidget::currentTextChanged, this, &AccountsTab::chosen);
    connect(&set_, &QPushButton::clicked, this, &AccountsTab::typedPasswordSet);
    connect(&user_, &QLineEdit::returnPressed, &password_, qOverload<>(&QWidget::setFocus));
    connect(&password_, &QLineEdit::returnPressed, &repeated_, qOverload<>(&QWidget::setFocus));
    connect(&repeated_, &QLineEdit::returnPressed, this, &AccountsTab::typedPasswordSet);
    connect(&remove_, &QPushButton::clicked, this, &AccountsTab::askToRemove);
    connect(&runner_, &TaskRunner::busyChanged, this, [this](bool busy) {
        set_.setEnabled(!busy);
        remove_.setEnabled(!busy);
    });
    refresh();
}

QStringList AccountsTab::accounts() const {
    QStringList names;
    for (int row = 0; row < accounts_.count(); ++row) names << accounts_.item(row)->text();
    return names;
}

void AccountsTab::refresh() {
    change(tr("Accounts"), {});
}

void AccountsTab::setPassword(const QString& user, const QString& password,
                              const QString& repeated) {
    change(tr("Password"), [user, password, repeated](db::Connection& connection) {
        tool::RequireNewPassword(password, repeated);
        const bool added = tool::SetExperimenterPassword(connection, user, password);
        return tool::PasswordSetText(user, added);
    });
}

void AccountsTab::removeAccount(const QString& user) {
    change(tr("Removal"), [user](db::Connection& connection) {
        tool::RemoveExperimenter(connection, user);
        return tr("removed the experimenter account '%1'").arg(user.trimmed());
    });
}

void AccountsTab::typedPasswordSet() {
    setPassword(user_.text(), password_.text(), repeated_.text());
    // Typed passwords stay no longer than they are needed.
    password_.clear();
    repeated_.clear();
}

void AccountsTab::askToRemove() {
    const QString user = user_.text().trimmed();
    if (user.isEmpty()) return;
    const auto answer = QMessageBox::question(
        this, tr("Remove the account"),
        tr("Remove the experimenter account '%1'? It can no longer end a session.").arg(user));
    if (answer == QMessageBox::Yes) removeAccount(user);
}

void AccountsTab::chosen(const QString& user) {
    if (!user.isEmpty()) user_.setText(user);
}

void AccountsTab::change(const QString& title,
                         std::function<QString(db::Connection& connection)> changeAccounts) {
    auto names = std::make_shared<QStringList>();
    auto said = std::make_shared<QString>();
    runner_.start(
        title,
        [study = study_, changeAccounts, names, said](tool::Progress& progress) {
            progress.start(QObject::tr("reading the accounts"), 0);
            if (!changeAccounts) {
                *names = tool::ExperimenterAccounts(*study.open(db::OpenMode::ReadOnly));
                return;
            }
            auto connection = study.open(db::OpenMode::ReadWrite);
            db::Transaction transaction(*connection);
            *said = changeAccounts(*connection);
            progress.stopIfCancelled();
            transaction.commit();
            *names = tool::ExperimenterAccounts(*connection);
        },
        [this, names, said] {
            list(*names);
            return said->isEmpty() ? tool::Counted(names->size(), "experimenter account",
                                                   "experimenter accounts")
                                   : *said;
        });
}

void AccountsTab::list(const QStringList& names) {
    const QString user = user_.text().trimmed();
    accounts_.clear();
    accounts_.addItems(names);
    const auto same = accounts_.findItems(user, Qt::MatchFixedString);
    if (!same.isEmpty()) accounts_.setCurrentItem(same.front());
}

}  // namespace lab
