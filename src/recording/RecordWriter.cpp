#include "recording/RecordWriter.h"

#include <QTime>
#include <QUuid>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "core/RunValues.h"
#include "core/Shutdown.h"
#include "runtime/Questions.h"
#include "runtime/RuntimeError.h"

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

// Yes returns (the row is written again); No ends the program, saying that the database
// stopped the session.
void AskToWriteAgain(const Run& run, const runtime::RuntimeError& error, const QString& table,
                     const QString& status) {
    const runtime::Answer answer =
        run.ask(WriteFailureText(error.number(), error.description(), table, status),
                runtime::Buttons::YesNo, runtime::Icon::Question, WriteFailureTitle());
    if (answer != runtime::Answer::Yes) EndAfterDatabaseFailure(run, error, status);
}

// Whether the row of a write is stored: a write whose commit reached the server but whose reply
// was lost is refused as a repeat of its own key when it is tried again.
bool StoredBefore(Run& run, const QString& table, const QString& writeKey, const QString& status) {
    return !ReadRows(run,
                     {QStringLiteral("SELECT %1 FROM %2 WHERE %1 = ?")
                          .arg(QLatin1String(db::kWriteKeyColumn), table),
                      {writeKey}},
                     status)
                .atEnd();
}

// A write that cannot take the lock within this time fails instead of freezing the window.
constexpr int CommitWaitMilliseconds = 1000;

// One try of a write: the lock taken (its conflicts waited out as when reading), write run
// and committed.
void TryWrite(Run& run, const QString& table, const QString& status,
              const std::function<void(db::Connection&)>& write) {
    const std::unique_ptr<db::Transaction> transaction = BeginWrite(run, table, status);
    db::Connection& connection = RunConnection(run);
    connection.setBusyTimeout(CommitWaitMilliseconds);
    try {
        write(connection);
        transaction->commit();
    } catch (const db::Error& error) {
        if (error.number() != db::errors::FileLockRefused) throw;
        // The engine's words say why: another station's lock, or a lost server.
        throw db::Error(
            db::errors::RowLocked,
            QStringLiteral("Could not update table '%1': %2").arg(table, error.description()));
    }
}

// WriteRecord for a write that may carry the key writeKey: keyed tells, once write has run,
// whether it does.
void StoreRecord(Run& run, const QString& table, const QString& status,
                 const std::function<void(db::Connection&)>& write, const QString& writeKey,
                 const bool& keyed) {
    if (run.session.recordingOff > 0) return;
    db::BackOff backOff;
    for (;;) {
        try {
            TryWrite(run, table, status, write);
            return;
        } catch (const runtime::RuntimeError& error) {
            if (error.number() == db::errors::DuplicateKey) {
                if (keyed && StoredBefore(run, table, writeKey, status)) return;
                throw;
            }
            // Passing conflicts are waited for, as when opening, before the user is asked.
            if (db::PassesByItself(error.number()) && !backOff.spent()) {
                backOff.wait(run);
                continue;
            }
            CloseRunConnection(run);
            backOff.restartAt(0);
            AskToWriteAgain(run, error, table, status);
        }
    }
}

}  // namespace

QString WriteFailureTitle() {
    return QStringLiteral("Problems writing table");
}

QString WriteFailureText(int number, const QString& description, const QString& table,
                         const QString& status) {
    return QStringLiteral("Error %1: ").arg(number) + description + kLineBreak +
           QStringLiteral("Table was ") + table + kLineBreak + QStringLiteral("Status was ") +
           status + kLineBreak + QStringLiteral("The row was not recorded.") + kLineBreak +
           QStringLiteral("Retry? (No to quit)");
}

void WriteRecord(Run& run, const QString& table, const QString& status,
                 const std::function<void(db::Connection&)>& write) {
    StoreRecord(run, table, status, write, QString(), false);
}

void InsertRecord(Run& run, const QString& table, const QString& status,
                  const std::function<void(db::TableRow&)>& assign) {
    // One key for every try of this write: a try that finds it stored is done. Registrations
    // carry no key (their own unique key tells two stations apart).
    const QString writeKey = QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool keyed = false;
    StoreRecord(
        run, table, status,
        [&](db::Connection& connection) {
            db::TableRow row(connection, table);
            keyed = row.has(QLatin1String(db::kWriteKeyColumn));
            if (keyed) row.set(QLatin1String(db::kWriteKeyColumn), writeKey);
            assign(row);
            row.insert();
        },
        writeKey, keyed);
}

bool UpdateRecord(Run& run, const QString& table, const db::Query& condition, const QString& status,
                  const std::function<void(db::TableRow&)>& assign) {
    bool found = false;
    WriteRecord(run, table, status, [&](db::Connection& connection) {
        db::TableRow row(connection, table);
        assign(row);
        found = row.updateFirst(condition.sql, condition.parameters);
    });
    return found;
}

ScopedRecordingOff::ScopedRecordingOff(Run& run) : run_(run) {
    ++run_.session.recordingOff;
}

ScopedRecordingOff::~ScopedRecordingOff() {
    --run_.session.recordingOff;
}

void SetFlag(db::TableRow& record, const QString& column, bool value) {
    if (value) record.set(column, 1);
}

QVariant TimeField(runtime::TimeValue time) {
    return QTime(0, 0).addSecs(time.seconds);
}

void AssignTankColumns(const Run& run, db::TableRow& record) {
    record.set(QStringLiteral("AmountInTank"), InModelUnits(run, run.state.AmountInTank));
    record.set(QStringLiteral("GoalAmount"), InModelUnits(run, run.setup.GoalLinePosition));
    record.set(QStringLiteral("SimulationTime"), run.setup.simTimeForTP);
    record.set(QStringLiteral("BaseMoney"), run.setup.BaseMoney);
    record.set(QStringLiteral("UserInflowTP"), run.state.UserInflowTP);
    record.set(QStringLiteral("UserOutflowTP"), run.state.UserOutflowTP);
}

void AssignFlowFlags(const Run& run, db::TableRow& record) {
    SetFlag(record, QStringLiteral("IsUserInFlow"), run.state.IsUserInFlow);
    SetFlag(record, QStringLiteral("IsUserOutFlow"), run.state.IsUserOutFlow);
    SetFlag(record, QStringLiteral("IsEnvInFlow"), run.state.IsEnvInFlow);
    SetFlag(record, QStringLiteral("IsEnvOutFlow"), run.state.IsEnvOutFlow);
    SetFlag(record, QStringLiteral("graphicalMode"), run.setup.graphicalMode);
}

void AssignOrderColumns(const Run& run, db::TableRow& record) {
    const long trial = run.state.CurrentTrial;
    record.set(QStringLiteral("UserInFlow"), ElementOrZero(run.state.UserInFlow, trial));
    record.set(QStringLiteral("UserOutFlow"), ElementOrZero(run.state.UserOutFlow, trial));
}

void AssignPipelineColumns(const Run& run, db::TableRow& record) {
    const long trial = run.state.CurrentTrial;
    record.set(QStringLiteral("BackOrder"), ElementOrZero(run.state.BackOrder, trial));
    record.set(QStringLiteral("ForwardDischarge"),
               ElementOrZero(run.state.ForwardDischarge, trial));
    record.set(QStringLiteral("TotalBackOrder"), run.state.TotalBackOrder);
    record.set(QStringLiteral("TotalForwardDischarge"), run.state.TotalForwardDischarge);
}
