#pragma once
// How a run ends before its code returns: the code that decides it raises ProgramEnded, which
// carries the exit status and the message shown, up to the caller that runs the run. Only the
// programs' main turns it into the process's end. Qt's event dispatch must not be unwound: the
// handlers the event loop calls run through HandleEvent, which keeps the end, quits the event
// loops run through ExecUntilEnd, and those raise it again once they have returned.

#include <QString>
#include <functional>

class QEventLoop;

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
    QString message;  // what the user was shown as it ended; empty when nothing was
};

// Raises ProgramEnded; never returns.
[[noreturn]] void EndRun(ExitStatus status, const QString& message = QString());

// Runs a handler that the event loop called (a slot, a timer, a key or close event). An end it
// raises is kept and quits every loop of ExecUntilEnd; false then, and while an end is kept
// no handler runs.
bool HandleEvent(const std::function<void()>& handler);

// The same as a callable for connect().
template <typename Handler>
auto EventHandler(Handler handler) {
    return [handler = std::move(handler)] { HandleEvent(handler); };
}
template <typename Object>
auto EventHandler(Object* object, void (Object::*member)()) {
    return EventHandler([object, member] { (object->*member)(); });
}

// Runs the loop until it quits or an end kept by HandleEvent quits it, and raises that end.
void ExecUntilEnd(QEventLoop& loop);

// Runs an event loop that quit() makes return (the application's own, a dialog's), as
// ExecUntilEnd does.
void RunUntilEnd(const std::function<void()>& run, const std::function<void()>& quit);

// Raises the end that HandleEvent kept, if any, for a caller that let events run itself.
void RaiseKeptEnd();

}  // namespace runtime
