#pragma once
// Every read and write of the experiment database goes through the run's own connection,
// opened at its first use and kept. The reaction to errors is owned here: retries with a
// growing, randomised pause that keeps the window responsive; questions to the user; ending
// the run.

#include <QString>
#include <chrono>
#include <memory>

#include "core/RunRecord.h"
#include "db/Engine.h"
#include "db/Rows.h"

// The station's own database: the program's folder followed by "/data/" and "Hydrovat.mdb".
QString DatabasePath();
// The run's own database, else the station's.
QString DatabasePath(const Run& run);

// The run's connection, opened now when it has none.
db::Connection& RunConnection(Run& run);
// Lets the run's connection go, unless a transaction is open on it: the run's next read or
// write opens it again.
void CloseRunConnection(Run& run);

// The rows of a query on the run's connection; status names the work in the questions.
db::Rows ReadRows(Run& run, const db::Query& query, const QString& status);

// A write on the run's connection begun: the write lock taken now, so that a conflict shows
// at once (a transaction the run holds already is joined). source names the table written.
std::unique_ptr<db::Transaction> BeginWrite(Run& run, const QString& source, const QString& status);

// Quotes a text for an SQL text: wrapped in single quotes, inner quotes doubled.
QString SqlText(const QString& value);

namespace db {

// What the table access does about an engine error while opening.
enum class ErrorReaction {
    BackOff,       // locking conflicts and the like: wait a growing, random time, then retry
    RepeatAtOnce,  // data changed under us: repeat without waiting or counting
    StartAgain,    // an object was not set: start once more from the path, errors to the caller
    AskUser,       // anything else: "Problems opening table", Yes repeats, No ends the program
};
ErrorReaction ReactionTo(int errorNumber);

// A conflict with another station that passes by itself (a lock, a row changed under us):
// waited for and tried again before the user is troubled.
bool PassesByItself(int errorNumber);

// Back-offs before the user is asked whether to go on retrying.
constexpr int RetriesBeforeQuestion = 10;
// Immediate repeats of a persisting "data changed" before the user is asked, so that a
// conflict that never clears cannot freeze the program in a tight loop.
constexpr int ImmediateRepeatsBeforeQuestion = 100;

// The wait before the given retry: 50 ms doubling with each retry up to a second, times a
// random factor of 0.5 to 1.5 from random in [0, 1), so that stations do not retry in step.
// Ten retries wait about six and a half seconds in all, longer than a neighbour's write or
// export holds the file.
std::chrono::milliseconds BackOffWait(int counter, double random);

// Waits that long in real time while the window keeps handling its events.
void WaitResponsively(std::chrono::microseconds wait);

// The growing pause between the tries of one operation, and when to ask the user instead.
class BackOff {
  public:
    // Counts one more failure; true once RetriesBeforeQuestion pauses have not helped.
    bool spent() { return ++count_ > RetriesBeforeQuestion; }
    // Counts on from this many failures (after the user chose to go on).
    void restartAt(int count) { count_ = count; }
    // Lets pending events run once, then waits the pause for the failures counted, through
    // the run's pause (a simulated clock in a test) or in real time.
    void wait(Run& run) const;

  private:
    int count_ = 0;
};

}  // namespace db
