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

// Closing only releases the database: a row already stored stays stored, and a failed row
// was rolled back by the engine. A failure while closing changes nothing for the user.
void CloseQuietly(Run& run, std::unique_ptr<db::Recordset>& record) {
    try {
        if (record) record->Close();
        record.reset();
        CloseDatabase(run);
    } catch (const runtime::RuntimeError&) {
    }
}

// Yes returns (the row is written again); No ends the program, saying that the database
// stopped the session.
void AskToWriteAgain(const Run& run, const runtime::RuntimeError& error, const QString& table,
                     const QString& status) {
    const int answer =
        run.MsgBox(WriteFailureText(error.number(), error.description(), table, status),
                   runtime::vbYesNo + runtime::vbQuestion, WriteFailureTitle());
    if (answer != runtime::vbYes) EndAfterDatabaseFailure(run, error, status);
}

// Whether the row of a write is stored: a write whose commit reached the server but whose reply
// was lost is refused as a repeat of its own key when it is tried again.
bool StoredBefore(Run& run, const QString& table, const QString& writeKey, const QString& status) {
    const TableRead stored(run,
                           QStringLiteral("SELECT %1 FROM %2 WHERE %1 = %3")
                               .arg(QLatin1String(db::kWriteKeyColumn), table, SqlText(writeKey)),
                           status);
    return !stored.rows().Eof();
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

void WriteRecord(Run& run, const QString& table, const db::Query& source, const QString& status,
                 const std::function<void(db::Recordset&)>& write) {
    if (run.session.recordingOff > 0) return;
    // One key for every try of this write: a try that finds it stored is done.
    const QString writeKey = QUuid::createUuid().toString(QUuid::WithoutBraces);
    db::BackOff backOff;
    for (;;) {
        std::unique_ptr<db::Recordset> record;
        // Registrations carry no key (their own unique key tells two stations apart).
        bool keyed = false;
        try {
            record = OpenTable(run, source, false, status);
            keyed = record->HasField(QLatin1String(db::kWriteKeyColumn));
            if (keyed) record->StampNextAddedRow(QLatin1String(db::kWriteKeyColumn), writeKey);
            write(*record);
        } catch (const runtime::RuntimeError& error) {
            CloseQuietly(run, record);
            if (error.number() == db::errors::DuplicateKey) {
                if (keyed && StoredBefore(run, table, writeKey, status)) return;
                throw;
            }
            // Passing conflicts are waited for, as when opening, before the user is asked.
            if (db::PassesByItself(error.number()) && !backOff.spent()) {
                backOff.wait();
                continue;
            }
            backOff.restartAt(0);
            AskToWriteAgain(run, error, table, status);
            continue;
        }
        CloseQuietly(run, record);
        return;
    }
}

ScopedRecordingOff::ScopedRecordingOff(Run& run) : run_(run) {
    ++run_.session.recordingOff;
}

ScopedRecordingOff::~ScopedRecordingOff() {
    --run_.session.recordingOff;
}

void SetFlag(db::Recordset& record, const QString& column, bool value) {
    if (value) record.SetField(column, 1);
}

QVariant TimeField(runtime::TimeValue time) {
    return QTime(0, 0).addSecs(time.seconds);
}

void AssignTankColumns(const Run& run, db::Recordset& record) {
    record.SetField(QStringLiteral("AmountInTank"), InModelUnits(run, run.state.AmountInTank));
    record.SetField(QStringLiteral("GoalAmount"), InModelUnits(run, run.setup.GoalLinePosition));
    record.SetField(QStringLiteral("SimulationTime"), run.setup.simTimeForTP);
    record.SetField(QStringLiteral("BaseMoney"), run.setup.BaseMoney);
    record.SetField(QStringLiteral("UserInflowTP"), run.state.UserInflowTP);
    record.SetField(QStringLiteral("UserOutflowTP"), run.state.UserOutflowTP);
}

void AssignFlowFlags(const Run& run, db::Recordset& record) {
    SetFlag(record, QStringLiteral("IsUserInFlow"), run.state.IsUserInFlow);
    SetFlag(record, QStringLiteral("IsUserOutFlow"), run.state.IsUserOutFlow);
    SetFlag(record, QStringLiteral("IsEnvInFlow"), run.state.IsEnvInFlow);
    SetFlag(record, QStringLiteral("IsEnvOutFlow"), run.state.IsEnvOutFlow);
    SetFlag(record, QStringLiteral("graphicalMode"), run.setup.graphicalMode);
}

void AssignOrderColumns(const Run& run, db::Recordset& record) {
    const long trial = run.state.CurrentTrial;
    record.SetField(QStringLiteral("UserInFlow"), ElementOrZero(run.state.UserInFlow, trial));
    record.SetField(QStringLiteral("UserOutFlow"), ElementOrZero(run.state.UserOutFlow, trial));
}

void AssignPipelineColumns(const Run& run, db::Recordset& record) {
    const long trial = run.state.CurrentTrial;
    record.SetField(QStringLiteral("BackOrder"), ElementOrZero(run.state.BackOrder, trial));
    record.SetField(QStringLiteral("ForwardDischarge"),
                    ElementOrZero(run.state.ForwardDischarge, trial));
    record.SetField(QStringLiteral("TotalBackOrder"), run.state.TotalBackOrder);
    record.SetField(QStringLiteral("TotalForwardDischarge"), run.state.TotalForwardDischarge);
}
