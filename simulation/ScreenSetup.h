#pragma once
// What the simulation screen needs of a version's setup before it can be shown.

#include <QString>

// Empty when the loaded setup can be shown; otherwise the message for the experimenter,
// naming the version and what to correct. Start-up asks before it shows the screen.
QString ScreenSetupProblem();

// The period clock's interval: TimeBetweenEnvTries as whole milliseconds (halves to even),
// within what a timer takes (0 when there is no usable number).
int PeriodClockInterval(double timeBetweenEnvTries);
