#pragma once
// The captions of the tank's scale marks and the value of the top label, from tblLabels
// for run.state.Version (graphical mode only).

#include <vector>

#include "config/ConfigError.h"
#include "config/RuleBook.h"
#include "core/RunRecord.h"

// MarkLabels, index 0..numMarks, from the version's labels lowest first. A version with
// fewer labels leaves the remaining captions empty, a null LabelName gives an empty one.
void LoadLabels(Run& run);

// TopLabelValue: the number at the start of the highest-numbered label; 0 when the version
// has no labels.
void LoadTopLabelValue(Run& run);

namespace config {
// The version's labels as the rule book judges them, lowest number first.
std::vector<LabelRow> ReadLabelRows(Run& run);
}  // namespace config
