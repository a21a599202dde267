#include "recording/RunClaim.h"

#include <QSysInfo>
#include <QTimer>
#include <QUuid>
#include <memory>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "db/Dao.h"
#include "runtime/Clock.h"
#include "runtime/Context.h"
#include "runtime/ProgramEnd.h"

namespace {

const QString kStatus = QStringLiteral("Claiming the participant's run");

struct OwnClaim {
    QString key;  // empty: none held
    std::unique_ptr<QTimer> heartbeat;
};

OwnClaim& Held() {
    static OwnClaim claim;
    return claim;
}

QString Stamp(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

bool IsTrue(const QVariant& flag) {
    return !flag.isNull() && flag.toInt() != 0;
}

// A claim of another station that it has confirmed lately. This station's own earlier claims
// (a run it ended, or a crash before it was restarted) never stand in its way.
std::optional<RunHolder> LiveHolder(const db::Recordset& row, const QDateTime& now) {
    const QString station = row.Field(QStringLiteral("Station")).toString();
    if (IsTrue(row.Field(QStringLiteral("Released"))) ||
        station.compare(StationName(), Qt::CaseInsensitive) == 0)
        return std::nullopt;
    const QDateTime seen =
        QDateTime::fromString(row.Field(QStringLiteral("LastSeen")).toString(), Qt::ISODate);
    if (!seen.isValid() || qAbs(seen.secsTo(now)) >= claims::kLapsesAfter.count())
        return std::nullopt;
    return RunHolder{station, seen};
}

QString RunSource() {
    return QStringLiteral("select * from datRunClaims where Subject=") +
           SqlText(RunState.SubjectName) + QStringLiteral(" and Version=") +
           SqlText(RunState.Version);
}

void AddClaim(db::Recordset& rows, const QString& key, const QDateTime& now) {
    rows.AddNew();
    rows.SetField(QStringLiteral("Subject"), RunState.SubjectName);
    rows.SetField(QStringLiteral("Version"), RunState.Version);
    rows.SetField(QStringLiteral("Station"), StationName());
    rows.SetField(QStringLiteral("Claim"), key);
    rows.SetField(QStringLiteral("ClaimedAt"), Stamp(now));
    rows.SetField(QStringLiteral("LastSeen"), Stamp(now));
    rows.Update();
}

// Claims are written on a connection of their own, quietly: the table access's questions are
// for the run's own records, and a beat that cannot be written is simply tried again.
void WriteOwnClaim(const QString& column, const QVariant& value) {
    if (Held().key.isEmpty()) return;
    try {
        const auto database = db::DefaultWorkspace()->OpenDatabase(
            DatabasePath(), false, false, QStringLiteral(";pwd=") + db::DatabasePassword());
        auto rows = database->OpenRecordset(
            QStringLiteral("select * from datRunClaims where Claim=") + SqlText(Held().key),
            db::dbOpenDynaset);
        if (!rows->Eof()) {
            rows->Edit();
            rows->SetField(column, value);
            rows->Update();
        }
        rows->Close();
        database->Close();
    } catch (const db::Error&) {
    }
}

void StartHeartbeat() {
    auto& heartbeat = Held().heartbeat;
    heartbeat = std::make_unique<QTimer>();
    heartbeat->setInterval(claims::kRefreshEvery);
    QObject::connect(heartbeat.get(), &QTimer::timeout,
                     runtime::EventHandler([] { RefreshRunClaim(); }));
    heartbeat->start();
}

}  // namespace

QString StationName() {
    const QString& chosen = runtime::CurrentContext().stationName;
    return chosen.isEmpty() ? QSysInfo::machineHostName() : chosen;
}

std::optional<RunHolder> ClaimRun() {
    ReleaseRun();
    const QDateTime now = runtime::Now();
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<db::Recordset> rows;
    try {
        rows = OpenTable(RunSource(), false, kStatus);
        for (; !rows->Eof(); rows->MoveNext()) {
            if (const auto holder = LiveHolder(*rows, now)) {
                rows->Close();
                CloseDatabase();
                return holder;
            }
        }
        AddClaim(*rows, key, now);
        rows->Close();
        CloseDatabase();
    } catch (...) {
        rows.reset();
        CloseDatabase();
        throw;
    }
    Held().key = key;
    StartHeartbeat();
    return std::nullopt;
}

void ReleaseRun() {
    WriteOwnClaim(QStringLiteral("Released"), true);
    Held().heartbeat.reset();
    Held().key.clear();
}

void RefreshRunClaim() {
    WriteOwnClaim(QStringLiteral("LastSeen"), Stamp(runtime::Now()));
}

QString RunHeldMessage(const RunHolder& holder) {
    return QStringLiteral(
               "%1 is playing version %2 on station %3 (last seen at %4). A participant "
               "plays on one station at a time.\r\nIf that station has stopped, the run can "
               "continue here %5 seconds after it was last seen.\r\nPlease call the "
               "experimenter.")
        .arg(RunState.SubjectName, RunState.Version, holder.station,
             holder.lastSeen.toLocalTime().toString(QStringLiteral("HH:mm:ss")))
        .arg(claims::kLapsesAfter.count());
}
