#pragma once
// One station per participant. While a participant's run is open on a station, the station
// holds a claim on it (a row of datRunClaims) and refreshes the claim's LastSeen every few
// seconds while the program runs; another station's login with the same name and version is
// refused while the claim lives. A claim left by a station that crashed falls silent and
// lapses, so a continuation on another station waits no longer than that.

#include <QDateTime>
#include <QString>
#include <chrono>
#include <optional>

namespace claims {
constexpr std::chrono::seconds kRefreshEvery{5};
// Station clocks are taken to agree within this too.
constexpr std::chrono::seconds kLapsesAfter{30};
}  // namespace claims

// This station as claims name it: the computer's host name.
QString StationName();

// Another station that holds the run.
struct RunHolder {
    QString station;
    QDateTime lastSeen;
};

// Claims the run of SubjectName in Version for this station and keeps the claim alive from
// then on. When another station holds a live claim, nothing is claimed and that station is
// returned. The check and the claim are one write, so two stations cannot both pass.
std::optional<RunHolder> ClaimRun();

// Gives this station's claim up (the login was cancelled); quiet if it cannot be written,
// as the claim then lapses.
void ReleaseRun();

// Writes LastSeen now. A beat the database cannot take at once is skipped, never waited for:
// it must not hold up the window or the period cycle.
void RefreshRunClaim();

// The login's refusal, naming the station that plays the run.
QString RunHeldMessage(const RunHolder& holder);
