#pragma once
// Simulated participants: a version played headless through the program's own cycle driver,
// arithmetic, scoring and (when asked) recording, on a simulated clock, by a strategy.

#include <QDateTime>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

#include "session/Plot.h"
#include "tool/common/Progress.h"
#include "tool/simulated/Strategies.h"

class QTextStream;

namespace tool {

struct SimulateOptions {
    QString databasePath;
    QString version;
    StrategyOptions strategy;
    int runs = 1;
    int jobs = 1;  // runs played side by side, each on its own thread and run; recorded: 1
    std::uint32_t seed = 1;  // run n plays with seed + n - 1
    int submitAfterMs = 0;   // time-driven: when in a period a Submit comes, unless scripted
    bool record = false;     // write each run as a simulated participant, all or nothing
    QString subjectPrefix = QStringLiteral("sim");
    QDateTime start;  // when the simulated session starts; invalid: now
};

struct PilotRun {
    int number = 0;
    std::uint32_t seed = 0;
    QString subject;  // the name it was recorded under; empty when not recorded
    double finalAmount = 0;
    int periodsInBand = 0;
    double earned = 0;  // the earnings message's figure
    double largestDeviation = 0;
    RunData path;  // per period: the amount at its last scoring, the orders, the environment
};

struct Pilot {
    QString version;
    QString strategy;
    std::vector<PilotRun> runs;
    long periodsPlayed = 0;
};

// A message box's text on one line of the terminal.
QString OneLine(QString message);

// The login's loads and checks for the version, then the run's initialisation, as a fresh
// participant gets them. Throws ToolError with the login's message for a version that cannot
// run.
void PrepareFreshRun(Run& run, const QString& version);

// Plays the runs. Throws ToolError with the login's message for a version that cannot run,
// and for what else stops a run; a recorded run is stored whole or not at all. The runs
// played are reported; Cancel stops before the next run.
Pilot Simulate(const SimulateOptions& options, Progress& progress);
Pilot Simulate(const SimulateOptions& options);

// The name a recorded run gets: PREFIX-STRATEGY-SEED.
QString SimulatedSubject(const SimulateOptions& options, std::uint32_t seed);

// Mean, spread (sample standard deviation), minimum and maximum of one figure over the runs.
struct Summary {
    double mean = 0, spread = 0, minimum = 0, maximum = 0;
};
Summary Summarise(const std::vector<double>& values);

// Per run and over all runs, as a terminal table; per run as CSV; every run's path as a PNG.
void PrintPilot(const Pilot& pilot, QTextStream& out);
void WritePilotCsv(const Pilot& pilot, const QString& path);
void PlotPilot(const Pilot& pilot, const QString& pngPath, QSize size);
// The picture PlotPilot writes; throws ToolError when no run finished a period.
QImage DrawPilot(const Pilot& pilot, QSize size);

}  // namespace tool
