#pragma once
// The environment scenario (rates per period, tblScenarios) and the delay scenario
// (segments of user-flow delays, tblDelayScenarios) of the loaded setup, and the delay
// schedule built from the segments. Each raises ConfigError naming the scenario key and
// then leaves run.state as it was.

#include "config/ConfigError.h"
#include "core/RunRecord.h"

// EnvInFlow and EnvOutFlow, index 0..MaxNumberOfAScenarioType+1, from the rows of
// ScenarioUsed; periods without a row have rate 0, a later row for the same Trial wins.
void LoadScenario(Run& run);

// The delay segments of DelayScenario in the order the rows come, their counts, and the
// starting delays UserInflowTP and UserOutflowTP.
void LoadDelayScenario(Run& run);

// InflowDelayEnd and OutflowDelayEnd, index 0..MaxNumberOfAScenarioType, from the loaded
// delay segments.
void BuildDelaySchedule(Run& run);
