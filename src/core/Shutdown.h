#pragma once
#include <QString>

#include "core/RunRecord.h"

namespace runtime {
class RuntimeError;
}

// The money the closing message names for a bonus total: RoundAwayFromZero(totBonus, 1) as
// "00.00". The payment sheet shows the same text.
QString EarningsFigure(double totBonus);

// The closing message with the earnings of run.state.TotBonus.
QString EarningsMessage(const Run& run);
QString EarningsMessage(double totBonus);

// Shows the closing message unless ExitConfirmed or QuitAtLogin is set, then ends the run
// (raises runtime::ProgramEnded). Never returns. The exit status says which ending it was:
// finished, ended by the experimenter, or quit at the login.
[[noreturn]] void EndProgram(Run& run);

// Called by the period cycle after the last period.
[[noreturn]] void EndExperiment(Run& run);

// The database stopped the session: what failed, what of the run is kept and that the
// experimenter is needed. Never the earnings: the experiment did not finish.
QString DatabaseFailureTitle();
QString DatabaseFailureMessage(const Run& run, const runtime::RuntimeError& error,
                               const QString& status);

// Shows that message and ends the run with the database-failure status.
[[noreturn]] void EndAfterDatabaseFailure(const Run& run, const runtime::RuntimeError& error,
                                          const QString& status);
