// Runs the benchmarks of one program and prints each registered figure (subject time over
// baseline time, from the same run) on its own line as "name: value".
#include <QApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>

#include "bench/Figure.h"

namespace fxbench {

namespace {

const std::string SubjectSuffix = "/subject";
const std::string BaselineSuffix = "/baseline";

std::map<std::string, std::pair<double, double>>& Figures() {
    static std::map<std::string, std::pair<double, double>> figures;  // name -> subject, baseline
    return figures;
}

// Shows the usual table on stderr and keeps the mean real time of each run.
class FigureReporter : public benchmark::ConsoleReporter {
  public:
    FigureReporter() {
        SetOutputStream(&std::cerr);
        SetErrorStream(&std::cerr);
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const std::string& name = run.run_name.function_name;
            for (const std::string* suffix : {&SubjectSuffix, &BaselineSuffix}) {
                if (name.size() <= suffix->size() ||
                    name.compare(name.size() - suffix->size(), suffix->size(), *suffix) != 0) {
                    continue;
                }
                auto& figure = Figures()[name.substr(0, name.size() - suffix->size())];
                (suffix == &SubjectSuffix ? figure.first : figure.second) =
                    run.GetAdjustedRealTime();
            }
        }
    }
};

std::map<std::string, Measure>& Values() {
    static std::map<std::string, Measure> values;
    return values;
}

}  // namespace

int RegisterValue(const std::string& figure, Measure measure) {
    Values()[figure] = measure;
    return 0;
}

int RegisterFigure(const std::string& figure, Function subject, Function baseline) {
    benchmark::RegisterBenchmark((figure + BaselineSuffix).c_str(), baseline)->UseRealTime();
    benchmark::RegisterBenchmark((figure + SubjectSuffix).c_str(), subject)->UseRealTime();
    return 0;
}

}  // namespace fxbench

int main(int argc, char** argv) {
    // Screens are measured too: a widget application, off screen unless told otherwise.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    fxbench::FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& [name, times] : fxbench::Figures()) {
        if (times.first > 0 && times.second > 0) {
            std::printf("%s: %.2f\n", name.c_str(), times.first / times.second);
        }
    }
    for (const auto& [name, measure] : fxbench::Values()) {
        // A count (rows lost) is a whole number and is printed as one.
        const double value = measure();
        std::printf(value == std::floor(value) ? "%s: %.0f\n" : "%s: %.2f\n", name.c_str(), value);
    }
    return 0;
}
