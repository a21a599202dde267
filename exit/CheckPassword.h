#pragma once
// The experimenter's check before the experiment may be left: is the pair of user name and
// password one of the rows of tblPasswords?

#include <QString>

// Looks the user name up as the database compares text (letter case ignored) and sets
// RunState.PasswordMatched when one of its rows holds exactly that password (every
// character and its case count). A row without a password, or an empty one, matches nothing.
// RunState.ExpectedPassword is the password of the matching row, else of the first row
// found. Errors that the table access passes on reach the caller, the database closed.
void CheckPassword(const QString& username, const QString& password);
