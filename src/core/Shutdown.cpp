#include "core/Shutdown.h"

#include <QCoreApplication>

#include "core/Rounding.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "runtime/RuntimeError.h"

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

runtime::ExitStatus StatusOfEnding(const Run& run) {
    if (run.state.ExitConfirmed) return runtime::ExitStatus::EndedByExperimenter;
    if (run.state.QuitAtLogin) return runtime::ExitStatus::QuitAtLogin;
    return runtime::ExitStatus::Finished;
}

// Every row is stored whole as it is recorded, so what was recorded before the failure stays.
QString WhatIsKept(const Run& run) {
    if (run.state.SubjectName.isEmpty())
        return QCoreApplication::translate("EndProgram", "Nothing had been recorded yet.");
    if (run.state.CurrentTrial <= 0)
        return QCoreApplication::translate("EndProgram",
                                           "No period of %1's run had been played yet.")
            .arg(run.state.SubjectName);
    if (run.state.LastCompletePeriod <= 0)
        return QCoreApplication::translate("EndProgram",
                                           "No period of %1's run had been completed yet.")
            .arg(run.state.SubjectName);
    return QCoreApplication::translate("EndProgram",
                                       "Everything of %1's run recorded up to period %2 is kept.")
        .arg(run.state.SubjectName)
        .arg(run.state.LastCompletePeriod);
}

}  // namespace

QString EarningsFigure(double totBonus) {
    return runtime::FormatNumber(RoundAwayFromZero(totBonus, 1), QStringLiteral("00.00"));
}

QString EarningsMessage(const Run& run) {
    return EarningsMessage(run.state.TotBonus);
}

QString EarningsMessage(double totBonus) {
    return QCoreApplication::translate("EndProgram",
                                       "The game is over and you have earned %1 dollars. Thank "
                                       "you for your participation. Please call the "
                                       "experimenter for further instructions.")
        .arg(EarningsFigure(totBonus));
}

void EndProgram(Run& run) {
    QString shown;
    if (!run.state.ExitConfirmed && !run.state.QuitAtLogin) {
        shown = EarningsMessage(run);
        run.ask(shown, runtime::Buttons::Ok, runtime::Icon::None, QStringLiteral("Fluxmere"));
    }
    runtime::EndRun(StatusOfEnding(run), shown);
}

void EndExperiment(Run& run) {
    EndProgram(run);
}

QString DatabaseFailureTitle() {
    return QCoreApplication::translate("EndProgram", "Database problem");
}

QString DatabaseFailureMessage(const Run& run, const runtime::RuntimeError& error,
                               const QString& status) {
    return QCoreApplication::translate(
               "EndProgram",
               "The session has stopped: the experiment database could not be used.") +
           kLineBreak +
           QCoreApplication::translate("EndProgram", "Error %1: %2")
               .arg(error.number())
               .arg(error.description()) +
           kLineBreak + QCoreApplication::translate("EndProgram", "Status was %1").arg(status) +
           kLineBreak + WhatIsKept(run) + kLineBreak +
           QCoreApplication::translate("EndProgram", "Please call the experimenter.");
}

void EndAfterDatabaseFailure(const Run& run, const runtime::RuntimeError& error,
                             const QString& status) {
    const QString shown = DatabaseFailureMessage(run, error, status);
    run.ask(shown, runtime::Buttons::Ok, runtime::Icon::Critical, DatabaseFailureTitle());
    runtime::EndRun(runtime::ExitStatus::DatabaseFailure, shown);
}
