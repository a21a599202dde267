#pragma once
#include <QString>

// Appends one row to datExperimentTrials: a snapshot of the run at this event. The caller
// advances EventID first.
void RecordEvent(const QString& eventType);
