#pragma once
// A figure is a ratio measured in one run: the time of a subject divided by the time of its
// baseline. Register the pair once per figure:
//
//   FX_FIGURE(record_ratio, RecordToFile, InsertOnOpenConnection);
//
// BenchMain runs every benchmark (the tables go to stderr) and prints "record_ratio: 1.23".
//
// A figure that is a measured value in its own unit rather than a ratio (its name says the
// unit) is registered with a function that measures it once:
//
//   FX_VALUE(phase_late_p95_ms, PhaseLateP95);
//
// and printed the same way after the benchmarks, "phase_late_p95_ms: 1.23".

#include <benchmark/benchmark.h>

#include <string>

namespace fxbench {

using Function = void (*)(benchmark::State&);
int RegisterFigure(const std::string& figure, Function subject, Function baseline);

using Measure = double (*)();
int RegisterValue(const std::string& figure, Measure measure);

}  // namespace fxbench

#define FX_FIGURE(figure, subject, baseline)                \
    [[maybe_unused]] static const int figure##_registered = \
        ::fxbench::RegisterFigure(#figure, subject, baseline)

#define FX_VALUE(figure, measure)                           \
    [[maybe_unused]] static const int figure##_registered = \
        ::fxbench::RegisterValue(#figure, measure)
