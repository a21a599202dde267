#pragma once
#include <QString>

// The closing message: the earnings, RoundAwayFromZero(TotBonus, 1) as "00.00".
QString EarningsMessage();

// Shows the closing message unless ExitConfirmed or QuitAtLogin is set, then ends the
// program at once. Never returns.
[[noreturn]] void EndProgram();

// Called by the period cycle after the last period.
[[noreturn]] void EndExperiment();
