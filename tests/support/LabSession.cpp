#include "tests/support/LabSession.h"

#include "core/Shutdown.h"
#include "tool/simulated/Simulate.h"

const QDate LabSession::kDay(2026, 3, 2);
const QDateTime LabSession::kNow(LabSession::kDay, QTime(10, 5, 3));

struct LabStation {
    const char* host;
    const char* subject;  // as recorded by simulate: PREFIX-heuristic-1
    int stoppedIn;        // the period whose environment effect was the last event; 0: none
    const char* lastEvent;
    const char* lastSeen;  // UTC, as claims write it
};

namespace {

// Finished at 09:50; mid-run, its last event two seconds ago; killed five minutes ago.
const LabStation kStations[] = {
    {"lab-01", "done-heuristic-1", 0, "09:50:00", "2026-03-02T09:50:01Z"},
    {"lab-02", "busy-heuristic-1", 2, "10:05:01", "2026-03-02T10:05:00Z"},
    {"lab-03", "gone-heuristic-1", 3, "10:00:00", "2026-03-02T10:00:02Z"},
};

}  // namespace

LabSession::LabSession(const ExperimentDatabase& database) : database_(database) {
    // A bonus of 0.3 a period on a base of 5 leaves cents for the earnings to round up.
    database.addVersion(QStringLiteral("Paced"),
                        {{"MaxTrial", "6"}, {"BonusAmount", "0.3"}, {"userDelay", "500"}});
    database.addDelaySegment(1, 1, 10, 1, 10);
    database.execute(QStringLiteral("UPDATE tblDelayScenarios SET SegmentNumber=1"));
    for (int trial = 1; trial <= 6; ++trial) database.addRate(1, trial, 2, 1);
}

QString LabSession::play(const QString& prefix) const {
    tool::SimulateOptions options;
    options.databasePath = database_.path();
    options.version = QStringLiteral("Paced");
    options.strategy.name = QStringLiteral("heuristic");
    options.record = true;
    options.subjectPrefix = prefix;
    options.start = QDateTime(kDay, QTime(9, 0));
    return EarningsMessage(tool::Simulate(options).runs.back().earned);
}

// A participant of the lab: the run cut where the station stopped, its station, its times
// and its claim.
void LabSession::placeAt(const LabStation& station) const {
    const QString subject = Literal(QString::fromLatin1(station.subject));
    const QString lastEvent = Literal(QString::fromLatin1(station.lastEvent));
    const QString lastSeen = Literal(QString::fromLatin1(station.lastSeen));
    const QString host = Literal(QString::fromLatin1(station.host));
    if (station.stoppedIn > 0)
        database_.execute(
            QStringLiteral("DELETE FROM datExperimentTrials WHERE Subject=%1 AND EventID>(SELECT "
                           "EventID FROM datExperimentTrials WHERE Subject=%1 AND Trial=%2 AND "
                           "eventType='Environment Effect')")
                .arg(subject)
                .arg(station.stoppedIn));
    database_.execute(QStringLiteral("UPDATE datSubject SET Simulated=0, Station=%1, "
                                     "Date='2026-03-02', Time='09:30:00' WHERE Subject=%2")
                          .arg(host, subject));
    database_.execute(QStringLiteral("UPDATE datExperimentTrials SET Date='2026-03-02', Time=CASE "
                                     "WHEN EventID=(SELECT MAX(EventID) FROM datExperimentTrials "
                                     "WHERE Subject=%1) THEN %2 ELSE '09:40:00' END WHERE "
                                     "Subject=%1")
                          .arg(subject, lastEvent));
    database_.execute(QStringLiteral("INSERT INTO datRunClaims (Subject, Version, Station, Claim, "
                                     "ClaimedAt, LastSeen) VALUES (%1, 'Paced', %2, %1, %3, %3)")
                          .arg(subject, host, lastSeen));
}

std::vector<QString> LabSession::playThreeStations() const {
    std::vector<QString> messages;
    for (const char* prefix : {"done", "busy", "gone"})
        messages.push_back(play(QString::fromLatin1(prefix)));
    for (const LabStation& station : kStations) placeAt(station);
    return messages;
}
