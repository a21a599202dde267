#include "recording/InterruptedPeriod.h"

#include <algorithm>

#include "access/TableAccess.h"
#include "core/RunRecord.h"
#include "db/Error.h"
#include "db/Rows.h"
#include "db/Schema.h"
#include "recording/RecordWriter.h"

namespace {

// What the rows of one period show.
struct PeriodRows {
    long userPhases = 0;  // "No User Effect"
    long closings = 0;    // "After Cost Calculation"
    long submits = 0;     // "Submit Clicked"
    const RecordedEvent* last = nullptr;
};

PeriodRows RowsOf(const std::vector<RecordedEvent>& events, long trial) {
    PeriodRows rows;
    for (const RecordedEvent& event : events) {
        if (event.trial != trial) continue;
        rows.userPhases += event.eventType == QLatin1String("No User Effect");
        rows.closings += event.eventType == QLatin1String("After Cost Calculation");
        rows.submits += event.eventType == QLatin1String("Submit Clicked");
        rows.last = &event;
    }
    return rows;
}

// Phases of a period still running after its last row; `carried` ran on from the period
// before.
long RunningPhases(const PeriodRows& rows, bool timeDriven, long carried) {
    return carried + rows.userPhases + (timeDriven ? 1 : 0) - rows.closings;
}

// The latest row of a period before `trial`.
const RecordedEvent* LastRowBefore(const std::vector<RecordedEvent>& events, long trial) {
    const RecordedEvent* last = nullptr;
    for (const RecordedEvent& event : events) {
        if (event.trial < trial) last = &event;
    }
    return last;
}

QString ParticipantCondition(const Run& run) {
    return QStringLiteral(" WHERE Subject = ") + SqlText(run.state.SubjectName) +
           QStringLiteral(" AND Version = ") + SqlText(run.state.Version);
}

}  // namespace

CompletePeriod LastCompletePeriod(const std::vector<RecordedEvent>& events, bool timeDriven,
                                  long pressesInLatestPeriod, long maxTrial) {
    if (events.empty()) return {};
    const long latest = events.back().trial;
    const PeriodRows rows = RowsOf(events, latest);
    // A phase a Submit began shortly before the clock opened the period closes in it.
    const PeriodRows before = RowsOf(events, latest - 1);
    const long carried =
        timeDriven && before.last ? std::max(0L, RunningPhases(before, true, 0)) : 0;
    const bool closed = rows.last->eventType == QLatin1String("After Cost Calculation") &&
                        RunningPhases(rows, timeDriven, carried) <= 0;
    const bool pressesTaken =
        !timeDriven || latest >= maxTrial || pressesInLatestPeriod <= rows.submits;
    if (closed && pressesTaken) return {latest, rows.last->eventID};
    const RecordedEvent* closing = LastRowBefore(events, latest);
    if (!closing || closing->trial < 1) return {};
    return {closing->trial, closing->eventID};
}

bool IsSuperseded(const db::Rows& row) {
    const QString column = QStringLiteral("superseded");
    return row.has(column) && row.value(column).toLongLong() != 0;
}

void SupersedeInterruptedAttempt(Run& run) {
    const QString table = QStringLiteral("datExperimentTrials");
    // A participant-paced period is begun by the Submit pressed in the period before it.
    const long firstPressPlayedAgain = run.state.CurrentTrial + (run.setup.IsTimeDriven ? 1L : 0L);
    const QString presses =
        QStringLiteral("UPDATE datUserTimesSummary SET superseded = -1") +
        ParticipantCondition(run) +
        QStringLiteral(" AND Trial >= %1 AND superseded = 0").arg(firstPressPlayedAgain);
    const QString events =
        QStringLiteral("UPDATE datExperimentTrials SET superseded = -1") +
        ParticipantCondition(run) +
        QStringLiteral(" AND EventID > %1 AND superseded = 0").arg(run.state.LastKeptEventID);
    WriteRecord(run, table, QStringLiteral("Recording data"), [&](db::Connection& connection) {
        for (const QString& recorded : {table, QStringLiteral("datUserTimesSummary")})
            db::AddMissingColumns(connection, recorded);
        connection.execute(presses);
        connection.execute(events);
    });
}
