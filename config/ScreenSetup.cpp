#include "config/ScreenSetup.h"

#include <cmath>
#include <limits>

#include "config/ConfigError.h"
#include "config/Labels.h"
#include "config/Scenarios.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"

namespace {

// The tank carries ten mark lines with their labels.
constexpr int kMarkCount = 10;

QString TankScaleProblem() {
    const QString version = RunState.Version;
    const int marks = ExperimentSetup.numMarks;
    if (marks < 1 || marks > kMarkCount) {
        return QStringLiteral(
                   "The tank of version '%1' cannot be drawn: its setup asks for %2 scale marks, "
                   "and the tank has room for 1 to %3. Please correct numMarks of this version "
                   "in tblSetup.")
            .arg(version)
            .arg(marks)
            .arg(kMarkCount);
    }
    const double top = RunState.TopLabelValue;
    if (top == 0 || !std::isfinite(top)) {
        return QStringLiteral(
                   "The tank of version '%1' cannot be drawn: its highest axis label has no "
                   "value other than 0, so the scale has no size. Please give the "
                   "highest-numbered label of this version in tblLabels a number other than 0.")
            .arg(version);
    }
    return QString();
}

QString PeriodClockProblem() {
    if (PeriodClockInterval(ExperimentSetup.TimeBetweenEnvTries) >= 1) return QString();
    return QStringLiteral(
               "Version '%1' runs its periods on a clock, but its time between periods "
               "(TimeBetweenEnvTries) is %2 ms; the clock needs at least 1 ms. Please correct "
               "it in tblSetup.")
        .arg(RunState.Version, runtime::Plain(ExperimentSetup.TimeBetweenEnvTries));
}

}  // namespace

QString ScreenSetupProblem() {
    if (ExperimentSetup.graphicalMode) {
        const QString problem = TankScaleProblem();
        if (!problem.isEmpty()) return problem;
    }
    return ExperimentSetup.IsTimeDriven ? PeriodClockProblem() : QString();
}

void RequireRunnableVersion() {
    try {
        if (ExperimentSetup.graphicalMode) {
            LoadLabels();
            LoadTopLabelValue();
        }
        LoadScenario();
    } catch (const ConfigError& error) {
        throw ConfigError(
            QStringLiteral("Version '%1' cannot run: %2").arg(RunState.Version, error.message()));
    }
    if (const QString problem = ScreenSetupProblem(); !problem.isEmpty()) {
        throw ConfigError(problem);
    }
}

int PeriodClockInterval(double timeBetweenEnvTries) {
    const double whole = runtime::RoundHalfEven(timeBetweenEnvTries);
    if (!(whole >= 1)) return 0;
    constexpr double kLongest = std::numeric_limits<int>::max();
    return static_cast<int>(std::min(whole, kLongest));
}
