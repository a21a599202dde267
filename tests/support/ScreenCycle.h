#pragma once
// Letting the simulation screen's own timers run a period cycle inside a test.

#include <functional>

class frmHydrovat;

// Runs the screen's events until done() holds; true when the program ended on the way
// (the earnings message). A cycle that stalls fails the test after 30 seconds.
bool RunScreenUntil(const std::function<bool()>& done);

// No phase of a period is under way: every timer but the period clock is idle.
bool PhaseTimersIdle(const frmHydrovat& form);
