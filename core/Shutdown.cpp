#include "core/Shutdown.h"

#include "core/Rounding.h"
#include "core/RunRecord.h"
#include "ui/Dialogs.h"
#include "ui/NumberText.h"
#include "ui/ProgramEnd.h"

QString EarningsMessage() {
    return QStringLiteral("The game is over and you have earned ") +
           ui::FormatNumber(RoundAwayFromZero(RunState.TotBonus, 1), QStringLiteral("00.00")) +
           QStringLiteral(
               " dollars. Thank you for your participation. Please call the experimenter for "
               "further instructions.");
}

void EndProgram() {
    if (!RunState.ExitConfirmed && !RunState.QuitAtLogin) {
        ui::MsgBox(EarningsMessage(), ui::vbOKOnly, QStringLiteral("Fluxmere"));
    }
    ui::TerminateProgram();
}

void EndExperiment() {
    EndProgram();
}
