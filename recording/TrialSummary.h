#pragma once
#include <QString>

// Appends the summary row of the period that begins (Trial = CurrentTrial + 1), then sets
// PeriodStartTime and PeriodEndTime to zero. inflowText and outflowText are the texts of
// the two entry boxes: an empty box records the integer 0 instead of the stored order.
void RecordTrialSummary(const QString& inflowText, const QString& outflowText);

// Completes the row of period CurrentTrial with the values at the end of the period. When
// that row is missing, a completed row is appended instead, so that no period is lost.
void UpdateTrialAmount();

// The query that finds the row of period CurrentTrial of the participant and version.
QString TrialSummaryQuery();
