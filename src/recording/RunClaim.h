#pragma once
// One program per participant. While a participant's run is open, the program playing it
// holds a claim on it (a row of datRunClaims) and refreshes the claim's LastSeen every few
// seconds; any other login with the same name and version is refused while the claim lives,
// on another station as on this computer. The claim is given up however the run ends. A
// claim left by a program that was killed is dead at once for a copy of the program on the
// same running system, which sees that its holder is gone; elsewhere it falls silent and
// lapses, so a continuation on another station waits no longer than that.

#include <QDateTime>
#include <QString>
#include <chrono>
#include <optional>

#include "core/RunRecord.h"
#include "recording/ClaimHolder.h"

namespace db {
class Connection;
}

namespace claims {
constexpr std::chrono::seconds kRefreshEvery{5};
// Station clocks are taken to agree within this too.
constexpr std::chrono::seconds kLapsesAfter{30};
// Giving a claim up outlasts a neighbour's write; a claim still not given up then lapses.
constexpr std::chrono::seconds kReleaseWaits{2};
}  // namespace claims

// The station the run is recorded from, as people know it: the run's station name, else the
// computer's host name.
QString StationName(const Run& run);

// The program that holds the run.
struct RunHolder {
    QString station;
    QDateTime lastSeen;
};

// One run's claim as its program makes it.
struct ClaimRequest {
    QString subject;
    QString version;
    QString station;
    QString key;  // made for this run
    ClaimHolder holder;
    QDateTime now;
};

// Claims the run on the connection unless another run's live claim holds it, which is then
// returned. Open claims whose holder has stopped are taken over first; the claim itself is one
// insert that the key on open claims lets only one of two programs make at the same moment.
std::optional<RunHolder> TakeRun(db::Connection& connection, const ClaimRequest& claim);

// Brings a database made by an earlier program up to the claims of this one: the table, its
// columns, and the key that keeps one open claim a run. Of several open claims on one run
// that earlier programs left, the latest stays open and the others count as taken over.
void PrepareRunClaims(db::Connection& connection);

// Claims the run of its SubjectName in its Version for this program, keeps the claim alive from
// then on and gives it up however the program ends. When another run holds a live claim, nothing is
// claimed and its holder is returned. A conflict with another station's write is waited out; a
// database that keeps refusing is raised.
std::optional<RunHolder> ClaimRun(Run& run);

// Gives this program's claim up (the login was cancelled, the run ended); quiet if it cannot
// be written, as the claim then lapses.
void ReleaseRun(Run& run);

// Writes LastSeen now. A beat the database cannot take at once is skipped, never waited for:
// it must not hold up the window or the period cycle.
void RefreshRunClaim(const Run& run);

// The login's refusal, naming the station that plays the run.
QString RunHeldMessage(const Run& run, const RunHolder& holder);
