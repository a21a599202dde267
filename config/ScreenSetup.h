#pragma once
// What the simulation screen needs of a version's setup before it can be shown.

#include <QString>

// Empty when the loaded setup can be shown; otherwise the message for the experimenter,
// naming the version and what to correct. Start-up asks before it shows the screen.
QString ScreenSetupProblem();

// What start-up will need after the login, checked while the login can still refuse the
// version: loads the axis labels (tank versions) and the environment scenario and asks
// ScreenSetupProblem. Raises ConfigError naming the version and what is wrong.
void RequireRunnableVersion();

// The period clock's interval: TimeBetweenEnvTries as whole milliseconds (halves to even),
// within what a timer takes (0 when there is no usable number).
int PeriodClockInterval(double timeBetweenEnvTries);
