#include "recording/SubmitTime.h"

#include "core/RunRecord.h"
#include "recording/RecordWriter.h"
#include "runtime/Clock.h"

void RecordSubmitTime(Run& run) {
    const QString table = QStringLiteral("datUserTimesSummary");
    InsertRecord(run, table, QStringLiteral("Recording data"), [&run](db::TableRow& record) {
        // When the participant paces the periods, PeriodEndTime was set at the press.
        const runtime::TimeValue pressed =
            run.setup.IsTimeDriven ? run.state.SubmitTime : run.state.PeriodEndTime;
        record.set(QStringLiteral("Subject"), run.state.SubjectName);
        record.set(QStringLiteral("Version"), run.state.Version);
        record.set(QStringLiteral("Trial"), run.state.CurrentTrial);
        record.set(QStringLiteral("Date"), run.Today());
        record.set(QStringLiteral("SubmitClickTime"), TimeField(pressed));
    });
}
