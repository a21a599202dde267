#pragma once
// What the login and start-up ask of the rule book before the simulation screen can show.

#include <QString>

#include "core/RunRecord.h"

// What start-up will need after the login, checked while the login can still refuse the
// version: asks the rule book about the version's labels and loads them (tank versions), and
// loads the environment scenario, which asks about its rows. Raises ConfigError naming the
// version and what is wrong.
void RequireRunnableVersion(Run& run);

// The period clock's interval: TimeBetweenEnvTries as whole milliseconds (halves to even),
// within what a timer takes (0 when there is no usable number).
int PeriodClockInterval(double timeBetweenEnvTries);
