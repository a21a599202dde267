#include "config/ScreenSetup.h"

#include <algorithm>
#include <limits>

#include "config/ConfigError.h"
#include "config/Labels.h"
#include "config/RuleBook.h"
#include "config/Scenarios.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"

void RequireRunnableVersion(Run& run) {
    const config::SetupRow setup{run.state.Version, 0, run.setup};
    if (run.setup.graphicalMode) {
        config::RequireNoRefusal(config::LabelRules(setup, config::ReadLabelRows(run)));
        LoadLabels(run);
        LoadTopLabelValue(run);
    }
    try {
        LoadScenario(run);
    } catch (const ConfigError& error) {
        // The scenario's messages name its key; this names the version that uses it.
        throw ConfigError(
            QStringLiteral("Version '%1' cannot run: %2").arg(run.state.Version, error.message()));
    }
}

int PeriodClockInterval(double timeBetweenEnvTries) {
    const double whole = runtime::RoundHalfEven(timeBetweenEnvTries);
    if (!(whole >= 1)) return 0;
    constexpr double kLongest = std::numeric_limits<int>::max();
    return static_cast<int>(std::min(whole, kLongest));
}
