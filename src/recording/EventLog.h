#pragma once
#include <QString>

#include "core/RunRecord.h"

// Appends one row to datExperimentTrials: a snapshot of the run at this event. The caller
// advances EventID first.
void RecordEvent(Run& run, const QString& eventType);
