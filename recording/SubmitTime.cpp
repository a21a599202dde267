#include "recording/SubmitTime.h"

#include "core/RunRecord.h"
#include "recording/RecordWriter.h"
#include "runtime/Clock.h"

void RecordSubmitTime(Run& run) {
    const QString table = QStringLiteral("datUserTimesSummary");
    WriteRecord(run, table, table, QStringLiteral("Recording data"), [&run](db::Recordset& record) {
        // When the participant paces the periods, PeriodEndTime was set at the press.
        const runtime::TimeValue pressed =
            run.setup.IsTimeDriven ? run.state.SubmitTime : run.state.PeriodEndTime;
        record.AddNew();
        record.SetField(QStringLiteral("Subject"), run.state.SubjectName);
        record.SetField(QStringLiteral("Version"), run.state.Version);
        record.SetField(QStringLiteral("Trial"), run.state.CurrentTrial);
        record.SetField(QStringLiteral("Date"), run.Today());
        record.SetField(QStringLiteral("SubmitClickTime"), TimeField(pressed));
        record.Update();
    });
}
