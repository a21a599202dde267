#pragma once
// The experimenter's check before the experiment may be left: is the pair of user name and
// password one of the rows of tblPasswords?

#include <QString>

#include "accounts/StoredPassword.h"
#include "core/RunRecord.h"

// Looks the user name up as the database compares text (letter case ignored) and sets
// run.state.PasswordMatched when one of its rows opens with that password: a salted hash, or
// the password itself in files of earlier programs (every character and its case count). A
// row without a password, or an empty one, matches nothing. run.state.ExpectedPassword is the
// stored value of the matching row, else of the first row found. The slow hash is computed
// off the window's thread, the window answering meanwhile. Errors that the table access
// passes on reach the caller, the database closed; accounts::PasswordError when no row
// matched and one of them could not be read, naming the account.
// On a lab server the station never sees the stored values: the server gives each account's
// scheme, iterations and salt, and says whether the typed password, hashed the same way, is
// the stored value.
void CheckPassword(Run& run, const QString& username, const QString& password);
