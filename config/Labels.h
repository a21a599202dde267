#pragma once
// The captions of the tank's scale marks and the value of the top label, from tblLabels
// for RunState.Version (graphical mode only).

#include "config/ConfigError.h"

// MarkLabels, index 0..numMarks, from the version's labels lowest first. A version with
// fewer labels leaves the remaining captions empty, a null LabelName gives an empty one.
void LoadLabels();

// TopLabelValue: the number at the start of the highest-numbered label; 0 when the version
// has no labels.
void LoadTopLabelValue();
