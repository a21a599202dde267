#pragma once
// Ending the process. The program ends at once: no further event runs. A test puts an end
// handler into its context that throws ProgramEnded instead, so it can observe the end and
// that nothing in the caller ran after it.

#include "runtime/Context.h"

namespace runtime {

// How the program ended, as the process's exit status, so a launch script can tell a finished
// session from one that needs the experimenter.
enum class ExitStatus : int {
    Finished = 0,             // the participant's last period is over; the earnings were shown
    StartUpRefused = 2,       // the database or the version cannot be used; nothing was played
    DatabaseFailure = 3,      // the database failed during the session and retrying was declined
    EndedByExperimenter = 4,  // the experimenter's password ended the session early
    QuitAtLogin = 5,          // Quit (or the window closed) at the login; nothing was recorded
};

struct ProgramEnded {
    ExitStatus status;
};

// Ends the program with that status; never returns.
[[noreturn]] void TerminateProgram(ExitStatus status);

// While alive, TerminateProgram throws ProgramEnded.
class ScopedEndObserver {
  public:
    ScopedEndObserver();

  private:
    ScopedContext context_;
};

}  // namespace runtime
