#pragma once
// A lab session as the recorded tables show it: per participant the station, the period
// reached, the amount against the goal, the bonus so far, when the station was last heard of
// and the run's state. Read only, in short slices, so that a station recording at the same
// time is never held up for long; a reader kept between reads takes only what is new.

#include <QDateTime>
#include <QString>
#include <map>
#include <vector>

namespace db {
class Connection;
}

namespace tool {

enum class RunCondition { Running, Waiting, Finished, Stalled, Resumed };

// "running", "waiting for the participant", "finished", "stalled", "resumed".
QString ConditionText(RunCondition condition);

// What a version's timers allow between two events of a run that goes on normally.
struct Pacing {
    bool timeDriven = false;
    double periodClockMs = 0;  // TimeBetweenEnvTries
    double pausesMs = 0;       // envDelay + EnvMv + userDelay + UsrMv, each at least 1 ms

    // The longest silence this pacing explains, with room for the stations' whole-second
    // times and their back-off while the file is busy. A participant-paced run waiting for
    // Submit is silent for as long as the participant thinks; that is not counted here.
    qint64 explainedSilenceSeconds() const;
};

// A station's heartbeat counts as stopped after this long without a beat.
constexpr qint64 kHeartbeatLapseSeconds = 30;

struct SessionRun {
    QString station;  // where the participant registered, else the station that took the run
    QString subject;
    QString version;
    bool simulated = false;
    int maxTrial = 0;
    Pacing pacing;

    bool hasEvents = false;
    long long lastEventId = 0;
    int trial = 0;
    QString lastEventType;
    double amount = 0;
    double goal = 0;
    double lowerBound = 0;
    double upperBound = 0;
    double totBonus = 0;
    double startAmount = 0;             // the amount of the first event
    std::map<int, double> amountAfter;  // per period, the amount of its last event

    QDateTime registered;  // station's local time
    QDateTime lastEvent;   // station's local time; invalid without events
    QDateTime lastSeen;    // the latest heartbeat of a live claim; invalid without claims
    int claims = 0;        // logins that took the run and did not give it up
    int givenUp = 0;       // logins that took the run and gave it up (cancelled, or it ended)

    bool finished() const;
    // The last sign of life that the event log or the heartbeat gives.
    QDateTime lastActivity() const;
    qint64 secondsSinceEvent(const QDateTime& now) const;
    RunCondition conditionAt(const QDateTime& now) const;
};

class SessionReader {
  public:
    // Participants active since that moment: registered or recording since then.
    SessionReader(QDateTime since, bool withSimulated);

    // Reads what is new in at most `sliceBudget` slices of events; true once everything
    // recorded so far has been read. The participants' table, the claims and the versions'
    // settings are small and read whole each time.
    bool read(db::Connection& connection, int sliceBudget = 1000000);

    // The session's runs by station, then participant.
    std::vector<SessionRun> runs() const;

  private:
    SessionRun& runOf(const QString& subject, const QString& version);
    void readSetups(db::Connection& connection);
    void applySetups();
    void readRegistrations(db::Connection& connection);
    void readClaims(db::Connection& connection);
    bool readEventSlice(db::Connection& connection);

    QDateTime since_;
    bool withSimulated_;
    long long lastEventKey_ = 0;
    std::map<QString, SessionRun> runs_;                // by lower-case subject and version
    std::map<QString, std::pair<int, Pacing>> setups_;  // by version: MaxTrial, pacing
};

// The moment a --since value names: "today", yyyy-MM-dd or yyyy-MM-ddThh:mm[:ss] in local
// time; an invalid QDateTime when it is none of those.
QDateTime SessionStart(const QString& since, const QDate& today);

// A number as the session views write it: at most three decimals, no trailing zeros.
QString SessionNumber(double value);

}  // namespace tool
