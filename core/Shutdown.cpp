#include "core/Shutdown.h"

#include "core/Rounding.h"
#include "core/RunRecord.h"
#include "runtime/Questions.h"
#include "runtime/NumberText.h"
#include "runtime/ProgramEnd.h"

QString EarningsMessage() {
    return QStringLiteral("The game is over and you have earned ") +
           runtime::FormatNumber(RoundAwayFromZero(RunState.TotBonus, 1), QStringLiteral("00.00")) +
           QStringLiteral(
               " dollars. Thank you for your participation. Please call the experimenter for "
               "further instructions.");
}

void EndProgram() {
    if (!RunState.ExitConfirmed && !RunState.QuitAtLogin) {
        runtime::MsgBox(EarningsMessage(), runtime::vbOKOnly, QStringLiteral("Fluxmere"));
    }
    runtime::TerminateProgram();
}

void EndExperiment() {
    EndProgram();
}
