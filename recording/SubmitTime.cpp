#include "recording/SubmitTime.h"

#include "core/RunRecord.h"
#include "recording/RecordWriter.h"
#include "runtime/Clock.h"

void RecordSubmitTime() {
    const QString table = QStringLiteral("datUserTimesSummary");
    WriteRecord(table, table, QStringLiteral("Recording data"), [](db::Recordset& record) {
        // When the participant paces the periods, PeriodEndTime was set at the press.
        const runtime::TimeValue pressed =
            ExperimentSetup.IsTimeDriven ? RunState.SubmitTime : RunState.PeriodEndTime;
        record.AddNew();
        record.SetField(QStringLiteral("Subject"), RunState.SubjectName);
        record.SetField(QStringLiteral("Version"), RunState.Version);
        record.SetField(QStringLiteral("Trial"), RunState.CurrentTrial);
        record.SetField(QStringLiteral("Date"), runtime::Today());
        record.SetField(QStringLiteral("SubmitClickTime"), TimeField(pressed));
        record.Update();
    });
}
