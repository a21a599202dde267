#pragma once
// The program's start-up: the splash screen, the login, the preparation of the run and the
// simulation screen, which then lives on its own events.

#include <QString>

class frmHydrovat;

// Runs once when the program starts and returns once the simulation screen is shown.
// Anything that stops the start-up ends the run (raises runtime::ProgramEnded) with a message
// naming what is wrong.
void Main();

// Once the run has ended, however it did: gives the run's claim up and closes its windows,
// which must go before the application.
void CloseSession();

// How long the splash screen stays up, in milliseconds (tests shorten it).
void SetSplashMilliseconds(int milliseconds);

// The simulation screen Main showed, or null; UnloadSimulationScreen destroys it.
frmHydrovat* SimulationScreen();
void UnloadSimulationScreen();

// Empty when the experiment database can be opened for writing with the program's key and
// holds the versions table; otherwise a message naming the file and what is wrong.
QString DatabaseProblem();
