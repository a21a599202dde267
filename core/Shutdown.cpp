#include "core/Shutdown.h"

#include "core/Rounding.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "runtime/RuntimeError.h"

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

runtime::ExitStatus StatusOfEnding() {
    if (RunState.ExitConfirmed) return runtime::ExitStatus::EndedByExperimenter;
    if (RunState.QuitAtLogin) return runtime::ExitStatus::QuitAtLogin;
    return runtime::ExitStatus::Finished;
}

// Every row is stored whole as it is recorded, so what was recorded before the failure stays.
QString WhatIsKept() {
    if (RunState.SubjectName.isEmpty()) return QStringLiteral("Nothing had been recorded yet.");
    if (RunState.CurrentTrial <= 0)
        return QStringLiteral("No period of %1's run had been played yet.")
            .arg(RunState.SubjectName);
    if (RunState.LastCompletePeriod <= 0)
        return QStringLiteral("No period of %1's run had been completed yet.")
            .arg(RunState.SubjectName);
    return QStringLiteral("Everything of %1's run recorded up to period %2 is kept.")
        .arg(RunState.SubjectName)
        .arg(RunState.LastCompletePeriod);
}

}  // namespace

QString EarningsFigure(double totBonus) {
    return runtime::FormatNumber(RoundAwayFromZero(totBonus, 1), QStringLiteral("00.00"));
}

QString EarningsMessage() {
    return QStringLiteral("The game is over and you have earned ") +
           EarningsFigure(RunState.TotBonus) +
           QStringLiteral(
               " dollars. Thank you for your participation. Please call the experimenter for "
               "further instructions.");
}

void EndProgram() {
    QString shown;
    if (!RunState.ExitConfirmed && !RunState.QuitAtLogin) {
        shown = EarningsMessage();
        runtime::MsgBox(shown, runtime::vbOKOnly, QStringLiteral("Fluxmere"));
    }
    runtime::EndRun(StatusOfEnding(), shown);
}

void EndExperiment() {
    EndProgram();
}

QString DatabaseFailureTitle() {
    return QStringLiteral("Database problem");
}

QString DatabaseFailureMessage(const runtime::RuntimeError& error, const QString& status) {
    return QStringLiteral("The session has stopped: the experiment database could not be used.") +
           kLineBreak +
           QStringLiteral("Error %1: %2").arg(error.number()).arg(error.description()) +
           kLineBreak + QStringLiteral("Status was ") + status + kLineBreak + WhatIsKept() +
           kLineBreak + QStringLiteral("Please call the experimenter.");
}

void EndAfterDatabaseFailure(const runtime::RuntimeError& error, const QString& status) {
    const QString shown = DatabaseFailureMessage(error, status);
    runtime::MsgBox(shown, runtime::vbOKOnly + runtime::vbCritical, DatabaseFailureTitle());
    runtime::EndRun(runtime::ExitStatus::DatabaseFailure, shown);
}
