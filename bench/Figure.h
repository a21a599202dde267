#pragma once
// A figure is a ratio measured in one run: the time of a subject divided by the time of its
// baseline. Register the pair once per figure:
//
//   FX_FIGURE(record_ratio, RecordThroughOpenTable, InsertOnOpenConnection);
//
// BenchMain runs every benchmark (the tables go to stderr) and prints "record_ratio: 1.23".

#include <benchmark/benchmark.h>

#include <string>

namespace fxbench {

using Function = void (*)(benchmark::State&);
int RegisterFigure(const std::string& figure, Function subject, Function baseline);

}  // namespace fxbench

#define FX_FIGURE(figure, subject, baseline)                \
    [[maybe_unused]] static const int figure##_registered = \
        ::fxbench::RegisterFigure(#figure, subject, baseline)
