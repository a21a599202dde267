#pragma once
// Experimenter accounts (tblPasswords), which guard leaving a running experiment.

#include <QString>
#include <QStringList>
#include <cstdio>

namespace db {
class Connection;
}

namespace tool {

// Adds the account, or sets the password of every row with that user name (compared as
// the program compares it, ignoring letter case); the password is stored as a salted hash. Returns
// true when the account is new.
bool SetExperimenterPassword(db::Connection& connection, const QString& user,
                             const QString& password);
bool SetExperimenterPassword(const QString& databasePath, const QString& user,
                             const QString& password);

// What was done: "added the experimenter account 'USER'" or "changed the password of 'USER'".
QString PasswordSetText(const QString& user, bool added);

// The user names of the accounts, in stored order; never their passwords.
QStringList ExperimenterAccounts(db::Connection& connection);

// Removes the account (every row with that user name, compared as the program compares it).
// Throws ToolError for a name without an account, and for the last account that can end a
// session.
void RemoveExperimenter(db::Connection& connection, const QString& user);

// The rules a new password keeps, typed twice: throws ToolError for an empty password or two
// that differ.
void RequireNewPassword(const QString& password, const QString& repeated);

// A new password: from a terminal without echo, typed twice; from a pipe or file, one line.
// prompts receives the questions. Throws ToolError for an empty password or a mismatch.
QString ReadNewPassword(std::FILE* input, std::FILE* prompts);

}  // namespace tool
