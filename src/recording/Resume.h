#pragma once
// Run initialisation and resume. A participant either starts afresh (CurrentTrial 0) or
// continues an interrupted run from the latest row of the event log; a continued run must
// go on exactly as the uninterrupted run would have.

#include <QString>
#include <cstdint>
#include <vector>

#include "core/RunRecord.h"

// The last complete period of the participant's run in Version (see LastCompletePeriod), or
// 0 when none is complete or the table name is empty. Restores from the event row that closed
// it the counters, money, order totals, the amount (in model units), the delays, the flags as
// they stood after that row and the version parameters recorded with it; the row's BackOrder
// and ForwardDischarge go to the pipeline element of that Trial. EventID goes on after every
// recorded row. Nothing is restored unless the whole row was read. The caller stores the
// result in CurrentTrial.
std::int16_t GetLastTrial(Run& run, const QString& table);

// The UserInFlow (UserOutFlow) of the participant's latest event row of that period, or 0.
double GetLastUserInFlow(Run& run, const QString& table, std::int16_t trial);
double GetLastUserOutFlow(Run& run, const QString& table, std::int16_t trial);

// Puts back what GetLastTrial restores into run.state, so that a participant checked after
// a declined continuation starts from period 0.
void ForgetRestoredRun(Run& run);

// Once between the login and the simulation screen. A fresh start gets its money and the
// initial order pipelines; both get empty order arrays; a continued run gets back every
// order that can still fall due and the rest of the initial pipelines, and its last complete
// period's summary row completed. The rows of an interrupted attempt are marked superseded.
void InitRun(Run& run);

// Fills the initial pipeline as a fresh start does: `initial` spread evenly over periods 1
// to startingDelay - 1 (all of it in period 1 when the delay is 1 or less). Only periods
// from firstPeriod on are written; elements outside the array are left out.
void FillInitialPipeline(std::vector<double>& pipeline, double initial, std::int16_t startingDelay,
                         long firstPeriod);

// The earliest period whose order can still fall due from period `current` to `maxTrial`,
// the delay being `delay` in period `current` and then following the schedule (a period
// equal to ends[i] takes values[i + 1], except the last period). At least 1, at most
// `current`.
long FirstOrderStillDue(long current, long maxTrial, std::int16_t delay, int count,
                        const std::vector<std::int16_t>& ends, const std::vector<double>& values);

// Where each order falls due once: how far a flow has fallen due after period `current` of
// a complete run, the delay starting at startingDelay and following the schedule. Every
// pipeline entry through `current` has had its period, and all of them once a delay reached
// back to period 1; an order falls due once its period's delay reaches back to it.
FlowArrivals ArrivalsThrough(long current, long maxTrial, std::int16_t startingDelay, int count,
                             const std::vector<std::int16_t>& ends,
                             const std::vector<double>& values);
