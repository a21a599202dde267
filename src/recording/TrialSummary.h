#pragma once
#include <QString>

#include "core/RunRecord.h"
#include "db/Rows.h"

// Appends the summary row of the period that begins (Trial = CurrentTrial + 1), then sets
// PeriodStartTime and PeriodEndTime to zero. A period that an interrupted attempt had begun
// already has its row: that row is written afresh instead, so a period keeps one row. inflowText
// and outflowText are the texts of the two entry boxes: an empty box records the integer 0 instead
// of the stored order.
void RecordTrialSummary(Run& run, const QString& inflowText, const QString& outflowText);

// Completes the row of period CurrentTrial with the values at the end of the period. When
// that row is missing, a completed row is appended instead, so that no period is lost.
void UpdateTrialAmount(Run& run);

// Completes the row of period CurrentTrial of a continued run from the values restored from
// the event that closed the period (the amount still in model units): the station may
// have stopped between that event and the completion of the row.
void CompleteRestoredTrialSummary(Run& run);

// The query that finds the row of period CurrentTrial of the participant and version.
db::Query TrialSummaryQuery(const Run& run);
