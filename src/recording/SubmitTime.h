#pragma once
#include "core/RunRecord.h"

// Appends one row to datUserTimesSummary for a Submit press.
void RecordSubmitTime(Run& run);
