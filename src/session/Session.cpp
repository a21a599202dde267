#include "session/Session.h"

#include <QLocale>
#include <algorithm>

#include "db/Engine.h"
#include "db/Schema.h"
#include "runtime/Clock.h"
#include "tool/common/TableData.h"

namespace tool {

namespace {

const QString kLastScoring = QStringLiteral("After Cost Calculation");
constexpr int kEventsPerSlice = 2000;
// Station times are whole seconds, station clocks differ a little, and a station waits a
// while when the file is busy.
constexpr qint64 kSlackSeconds = 10;

QString RunKey(const QString& subject, const QString& version) {
    return subject.toLower() + QLatin1Char('\n') + version.toLower();
}

QDateTime LocalMoment(const QVariant& date, const QVariant& time) {
    const QDate day = date.toDate();
    if (!day.isValid()) return QDateTime();
    const int seconds = runtime::TimeFromText(time.toString()).seconds;
    return QDateTime(day, QTime(0, 0).addSecs(seconds));
}

QDateTime UtcMoment(const QVariant& stamp) {
    QDateTime moment = QDateTime::fromString(stamp.toString(), Qt::ISODate);
    return moment.isValid() ? moment.toLocalTime() : moment;
}

bool HasColumn(db::Connection& connection, const QString& table, const QString& column) {
    for (const db::ColumnInfo& info : connection.tableColumns(table))
        if (info.name.compare(column, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// A column of the table when the file has it, else a constant in its place.
QString ColumnOr(db::Connection& connection, const QString& table, const QString& column,
                 const QString& otherwise) {
    return HasColumn(connection, table, column) ? db::QuoteIdentifier(column) : otherwise;
}

double PauseMs(const QVariant& value) {
    return std::max(value.toDouble(), 1.0);
}

}  // namespace

QString ConditionText(RunCondition condition) {
    switch (condition) {
        case RunCondition::Running:
            return QStringLiteral("running");
        case RunCondition::Waiting:
            return QStringLiteral("waiting for the participant");
        case RunCondition::Finished:
            return QStringLiteral("finished");
        case RunCondition::Stalled:
            return QStringLiteral("stalled");
        case RunCondition::Resumed:
            return QStringLiteral("resumed");
    }
    return QString();
}

qint64 Pacing::explainedSilenceSeconds() const {
    const double milliseconds = pausesMs + (timeDriven ? std::max(periodClockMs, 1.0) : 0.0);
    return static_cast<qint64>(std::ceil(milliseconds / 1000.0)) + kSlackSeconds;
}

bool SessionRun::finished() const {
    return hasEvents && trial >= maxTrial && lastEventType == kLastScoring;
}

QDateTime SessionRun::lastActivity() const {
    const QDateTime recorded = hasEvents ? lastEvent : registered;
    if (!lastSeen.isValid()) return recorded;
    if (!recorded.isValid()) return lastSeen;
    return std::max(recorded, lastSeen);
}

qint64 SessionRun::secondsSinceEvent(const QDateTime& now) const {
    const QDateTime recorded = hasEvents ? lastEvent : registered;
    return recorded.isValid() ? std::max<qint64>(0, recorded.secsTo(now)) : -1;
}

RunCondition SessionRun::conditionAt(const QDateTime& now) const {
    if (finished()) return RunCondition::Finished;
    // A station that stopped beating is gone, whatever the run was doing.
    if (lastSeen.isValid() && lastSeen.secsTo(now) > kHeartbeatLapseSeconds)
        return RunCondition::Stalled;
    // So is one whose program let the run go before its end (the experimenter's end, a
    // database failure) and that no login holds since.
    if (claims == 0 && givenUp > 0) return RunCondition::Stalled;
    // Registering, or a participant-paced run offering Submit: the participant has the turn.
    const bool participantsTurn =
        (!hasEvents && !registered.isValid()) ||
        (!pacing.timeDriven && (!hasEvents || lastEventType == kLastScoring));
    if (participantsTurn) return RunCondition::Waiting;
    if (secondsSinceEvent(now) > pacing.explainedSilenceSeconds()) return RunCondition::Stalled;
    return claims > 1 ? RunCondition::Resumed : RunCondition::Running;
}

SessionReader::SessionReader(QDateTime since, bool withSimulated)
    : since_(std::move(since)), withSimulated_(withSimulated) {}

SessionRun& SessionReader::runOf(const QString& subject, const QString& version) {
    SessionRun& run = runs_[RunKey(subject, version)];
    if (run.subject.isEmpty()) {
        run.subject = subject;
        run.version = version;
    }
    return run;
}

bool SessionReader::read(db::Connection& connection, int sliceBudget) {
    readSetups(connection);
    readRegistrations(connection);
    readClaims(connection);
    bool complete = false;
    for (int slice = 0; slice < sliceBudget && !complete; ++slice)
        complete = !readEventSlice(connection);
    applySetups();
    return complete;
}

void SessionReader::readSetups(db::Connection& connection) {
    const Rows setups(connection,
                      QStringLiteral("SELECT Version, MaxTrial, IsTimeDriven, TimeBetweenEnvTries, "
                                     "envDelay, EnvMv, userDelay, UsrMv FROM tblSetup"));
    setups_.clear();
    for (int r = 0; r < setups.size(); ++r) {
        const auto value = [&](const char* column) { return setups.at(r, QLatin1String(column)); };
        Pacing pacing;
        pacing.timeDriven = db::IsTrue(value("IsTimeDriven"));
        pacing.periodClockMs = value("TimeBetweenEnvTries").toDouble();
        pacing.pausesMs = PauseMs(value("envDelay")) + PauseMs(value("EnvMv")) +
                          PauseMs(value("userDelay")) + PauseMs(value("UsrMv"));
        setups_.emplace(value("Version").toString().toLower(),
                        std::pair{value("MaxTrial").toInt(), pacing});
    }
}

void SessionReader::applySetups() {
    for (auto& [key, run] : runs_) {
        const auto setup = setups_.find(run.version.toLower());
        if (setup == setups_.end()) continue;
        run.maxTrial = setup->second.first;
        run.pacing = setup->second.second;
    }
}

void SessionReader::readRegistrations(db::Connection& connection) {
    const QString table = QStringLiteral("datSubject");
    const Rows registrations(
        connection,
        QStringLiteral("SELECT Subject, Version, Date, Time, %1 AS Station, %2 AS "
                       "Simulated FROM datSubject ORDER BY %3")
            .arg(ColumnOr(connection, table, QStringLiteral("Station"), QStringLiteral("NULL")),
                 ColumnOr(connection, table, QStringLiteral("Simulated"), QStringLiteral("0")),
                 connection.rowKey()));
    for (int r = 0; r < registrations.size(); ++r) {
        const QString subject = registrations.at(r, QStringLiteral("Subject")).toString();
        const QString version = registrations.at(r, QStringLiteral("Version")).toString();
        if (subject.isEmpty()) continue;
        SessionRun& run = runOf(subject, version);
        // The first registration names the participant as the program continues them.
        if (run.registered.isValid()) continue;
        run.subject = subject;
        run.registered = LocalMoment(registrations.at(r, QStringLiteral("Date")),
                                     registrations.at(r, QStringLiteral("Time")));
        run.station = registrations.at(r, QStringLiteral("Station")).toString();
        run.simulated = db::IsTrue(registrations.at(r, QStringLiteral("Simulated")));
    }
}

void SessionReader::readClaims(db::Connection& connection) {
    const QString table = QStringLiteral("datRunClaims");
    if (!connection.tableExists(table)) return;
    const Rows claims(connection,
                      QStringLiteral("SELECT Subject, Version, Station, LastSeen, Released FROM "
                                     "datRunClaims ORDER BY %1")
                          .arg(connection.rowKey()));
    for (auto& [key, run] : runs_) {
        run.claims = 0;
        run.givenUp = 0;
        run.lastSeen = QDateTime();
    }
    for (int r = 0; r < claims.size(); ++r) {
        const QString subject = claims.at(r, QStringLiteral("Subject")).toString();
        const QString version = claims.at(r, QStringLiteral("Version")).toString();
        if (db::IsTrue(claims.at(r, QStringLiteral("Released")))) {
            // A login given up before registering names nobody to show.
            const auto known = runs_.find(RunKey(subject, version));
            if (known != runs_.end()) known->second.givenUp += 1;
            continue;
        }
        SessionRun& run = runOf(subject, version);
        run.claims += 1;
        const QDateTime seen = UtcMoment(claims.at(r, QStringLiteral("LastSeen")));
        if (seen.isValid() && (!run.lastSeen.isValid() || seen > run.lastSeen)) {
            run.lastSeen = seen;
            // The station playing the run now, when the registration names none.
            if (run.station.isEmpty() || !run.registered.isValid())
                run.station = claims.at(r, QStringLiteral("Station")).toString();
        }
    }
}

// One slice of the events recorded since the last read, in the order they were stored.
bool SessionReader::readEventSlice(db::Connection& connection) {
    const QString key = connection.rowKey();
    db::Statement events = connection.prepare(
        QStringLiteral("SELECT Subject, Version, EventID, Trial, eventType, AmountInTank, "
                       "GoalAmount, LowerBoundFromGoal, UpperBoundFromGoal, TotBonus, Date, "
                       "Time, %1 FROM datExperimentTrials WHERE %1 > ? ORDER BY %1 LIMIT %2")
            .arg(key)
            .arg(kEventsPerSlice));
    events.bindInt(1, lastEventKey_);
    int read = 0;
    while (events.step()) {
        ++read;
        lastEventKey_ = events.intValue(12);
        SessionRun& run = runOf(events.value(0).toString(), events.value(1).toString());
        const long long eventId = events.intValue(2);
        if (run.hasEvents && eventId < run.lastEventId) continue;
        const int trial = static_cast<int>(events.intValue(3));
        const double amount = events.doubleValue(5);
        if (!run.hasEvents) run.startAmount = amount;
        run.hasEvents = true;
        run.lastEventId = eventId;
        run.trial = trial;
        run.lastEventType = events.value(4).toString();
        run.amount = amount;
        run.goal = events.doubleValue(6);
        run.lowerBound = events.doubleValue(7);
        run.upperBound = events.doubleValue(8);
        run.totBonus = events.doubleValue(9);
        run.lastEvent = LocalMoment(events.value(10), events.value(11));
        if (trial >= 1) run.amountAfter[trial] = amount;
    }
    return read == kEventsPerSlice;
}

std::vector<SessionRun> SessionReader::runs() const {
    std::vector<SessionRun> session;
    for (const auto& [key, run] : runs_) {
        if (run.simulated && !withSimulated_) continue;
        const QDateTime active = run.lastActivity();
        if (!active.isValid() || active < since_) continue;
        session.push_back(run);
    }
    std::sort(session.begin(), session.end(), [](const SessionRun& a, const SessionRun& b) {
        const int station = QString::localeAwareCompare(a.station, b.station);
        if (station != 0) return station < 0;
        return QString::localeAwareCompare(a.subject, b.subject) < 0;
    });
    return session;
}

QDateTime SessionStart(const QString& since, const QDate& today) {
    if (since.compare(QLatin1String("today"), Qt::CaseInsensitive) == 0)
        return QDateTime(today, QTime(0, 0));
    const QDate day = QDate::fromString(since, QStringLiteral("yyyy-MM-dd"));
    if (day.isValid()) return QDateTime(day, QTime(0, 0));
    for (const char* format : {"yyyy-MM-ddTHH:mm", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime moment = QDateTime::fromString(since, QLatin1String(format));
        if (moment.isValid()) return moment;
    }
    return QDateTime();
}

QString SessionNumber(double value) {
    QString text = QLocale::c().toString(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

}  // namespace tool
