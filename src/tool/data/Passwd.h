#pragma once
// Experimenter accounts (tblPasswords), which guard leaving a running experiment.

#include <QString>
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

// A new password: from a terminal without echo, typed twice; from a pipe or file, one line.
// prompts receives the questions. Throws ToolError for an empty password or a mismatch.
QString ReadNewPassword(std::FILE* input, std::FILE* prompts);

}  // namespace tool
