#pragma once
// The benchmarks' large experiment database: an event log of a million realistic rows.

#include <QString>

namespace fxbench {

constexpr long long kEventLogRows = 1000000;

// Made once and kept beside the benchmark between runs; its path.
const QString& EventLogDatabase();

}  // namespace fxbench
