#include "recording/RunClaim.h"

#include <QCoreApplication>
#include <QSysInfo>
#include <QTimer>
#include <QUuid>
#include <memory>
#include <vector>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "db/Engine.h"
#include "runtime/Clock.h"
#include "runtime/ProgramEnd.h"

namespace {

const QString kTable = QStringLiteral("datRunClaims");
// Rounds of taking over stopped programs' claims and claiming, each of which another program
// claiming at the same moment may win.
constexpr int kClaimRounds = 3;

QString Stamp(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

struct OpenClaim {
    qint64 row = 0;
    QString station;
    QDateTime lastSeen;
    ClaimHolder holder;
};

std::vector<OpenClaim> OpenClaims(db::Connection& connection, const ClaimRequest& claim) {
    db::Statement rows = connection.prepare(
        QStringLiteral("SELECT %1, Station, LastSeen, Holder FROM datRunClaims WHERE Subject = ? "
                       "AND Version = ? AND Released = 0 AND TakenOver = 0")
            .arg(connection.rowKey()));
    rows.bind(1, claim.subject);
    rows.bind(2, claim.version);
    std::vector<OpenClaim> open;
    while (rows.step()) {
        open.push_back({rows.intValue(0), rows.value(1).toString(),
                        QDateTime::fromString(rows.value(2).toString(), Qt::ISODate),
                        ClaimHolder::fromText(rows.value(3).toString())});
    }
    return open;
}

// A holder this program can see has stopped lets go at once; any other holder holds the run
// until its claim falls silent.
bool Lives(const OpenClaim& open, const QDateTime& now) {
    if (StateOf(open.holder) == HolderState::Gone) return false;
    return open.lastSeen.isValid() &&
           qAbs(open.lastSeen.secsTo(now)) < claims::kLapsesAfter.count();
}

void TakeOver(db::Connection& connection, qint64 row) {
    db::Statement update = connection.prepare(
        QStringLiteral("UPDATE datRunClaims SET TakenOver = -1 WHERE %1 = ? AND Released = 0 AND "
                       "TakenOver = 0")
            .arg(connection.rowKey()));
    update.bind(1, row);
    update.step();
}

bool InsertOpenClaim(db::Connection& connection, const ClaimRequest& claim) {
    return connection.insertUnlessKeyTaken(
        kTable,
        {QStringLiteral("Subject"), QStringLiteral("Version"), QStringLiteral("Station"),
         QStringLiteral("Claim"), QStringLiteral("ClaimedAt"), QStringLiteral("LastSeen"),
         QStringLiteral("Released"), QStringLiteral("Holder")},
        {claim.subject, claim.version, claim.station, claim.key, Stamp(claim.now), Stamp(claim.now),
         0, claim.holder.text()});
}

// Claims are written on a connection of their own, quietly: a beat that cannot be written at
// once is simply tried again, and a claim that cannot be given up within the wait lapses.
void WriteOwnClaim(const Run& run, const QString& column, const QVariant& value,
                   std::chrono::milliseconds wait = {}) {
    if (run.session.claim.isEmpty()) return;
    try {
        db::Connection connection(DatabasePath(run), db::DatabasePassword(),
                                  db::OpenMode::ReadWrite, int(wait.count()));
        db::Statement update = connection.prepare(
            QStringLiteral("UPDATE datRunClaims SET %1 = ? WHERE Claim = ?").arg(column));
        update.bind(1, value);
        update.bind(2, run.session.claim);
        update.step();
    } catch (const db::Error&) {
    }
}

void Hold(Run& run, const QString& key) {
    run.session.claim = key;
    auto& heartbeat = run.session.claimHeartbeat;
    heartbeat = std::make_shared<QTimer>();
    heartbeat->setInterval(claims::kRefreshEvery);
    QObject::connect(heartbeat.get(), &QTimer::timeout,
                     runtime::EventHandler([&run] { RefreshRunClaim(run); }));
    heartbeat->start();
}

}  // namespace

QString StationName(const Run& run) {
    const QString& chosen = run.session.stationName;
    return chosen.isEmpty() ? QSysInfo::machineHostName() : chosen;
}

std::optional<RunHolder> TakeRun(db::Connection& connection, const ClaimRequest& claim) {
    for (int round = 0; round < kClaimRounds; ++round) {
        for (const OpenClaim& open : OpenClaims(connection, claim)) {
            if (Lives(open, claim.now)) return RunHolder{open.station, open.lastSeen};
            TakeOver(connection, open.row);
        }
        if (InsertOpenClaim(connection, claim)) return std::nullopt;
    }
    throw db::Error(db::errors::RowLocked,
                    QStringLiteral("Other programs were claiming the run of %1 at the same time.")
                        .arg(claim.subject));
}

void PrepareRunClaims(db::Connection& connection) {
    const db::TableDef& table = *db::FindTable(kTable);
    if (!connection.tableExists(table.name)) connection.createTable(table);
    db::AddMissingColumns(connection, table.name);
    db::AddUniqueKeys(connection, table.name);
}

std::optional<RunHolder> ClaimRun(Run& run) {
    ReleaseRun(run);
    const ClaimRequest claim{
        run.state.SubjectName, run.state.Version,
        StationName(run),      QUuid::createUuid().toString(QUuid::WithoutBraces),
        ThisProgram(),         run.Now()};
    db::BackOff backOff;
    for (;;) {
        try {
            db::Connection connection(DatabasePath(run), db::DatabasePassword(),
                                      db::OpenMode::ReadWrite);
            const std::optional<RunHolder> holder = TakeRun(connection, claim);
            if (!holder) Hold(run, claim.key);
            return holder;
        } catch (const db::Error& error) {
            if (!db::PassesByItself(error.number()) || backOff.spent()) throw;
            backOff.wait(run);
        }
    }
}

void ReleaseRun(Run& run) {
    WriteOwnClaim(run, QStringLiteral("Released"), -1, claims::kReleaseWaits);
    run.session.claimHeartbeat.reset();
    run.session.claim.clear();
}

void RefreshRunClaim(const Run& run) {
    WriteOwnClaim(run, QStringLiteral("LastSeen"), Stamp(run.Now()));
}

QString RunHeldMessage(const Run& run, const RunHolder& holder) {
    return QCoreApplication::translate(
               "RunClaim",
               "%1 is playing version %2 on station %3 (last seen at %4). A participant "
               "plays on one station at a time.\r\nIf that station has stopped, the run can "
               "continue here %5 seconds after it was last seen.\r\nPlease call the "
               "experimenter.")
        .arg(run.state.SubjectName, run.state.Version, holder.station,
             holder.lastSeen.toLocalTime().toString(QStringLiteral("HH:mm:ss")))
        .arg(claims::kLapsesAfter.count());
}
