#pragma once
// What a participant does on the login and registration forms, scripted for the next
// modal showing of each.

#include <QString>

#include "screens/common/Dialogs.h"

// The next registration form: age, gender and major filled in, then Begin.
void ScriptRegistration(ui::ScriptedDialogs& dialogs);
// The next login form: the name and version typed, then Start.
void ScriptLogin(ui::ScriptedDialogs& dialogs, const QString& name, const QString& version);
