#pragma once
// A new start of the participant program on a test's database for a returning participant of
// version "V", who continues where the log stopped. The previous start is closed first, as the
// program closes it, so that nothing of it survives.

#include <QString>
#include <optional>

#include "app/Main.h"
#include "screens/common/Dialogs.h"
#include "tests/support/IntakeScripts.h"

inline void StartProgramAgain(std::optional<Program>& program, ui::ScriptedDialogs& dialogs,
                              const QString& databasePath, const QString& name) {
    ScriptLogin(dialogs, name, "V");
    ScriptRegistration(dialogs);
    dialogs.answerNext(runtime::Answer::Yes);  // continue where the log stopped
    if (program) program->CloseSession();
    program.emplace();
    program->SetSplashMilliseconds(5);
    program->run().session.databasePath = databasePath;
    program->run().asks = &dialogs;
    program->run().showsForms = &dialogs;
    program->Main();
}
