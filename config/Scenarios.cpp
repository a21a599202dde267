#include "config/Scenarios.h"

#include <limits>
#include <utility>

#include "config/ConfigQuery.h"
#include "config/DelaySchedule.h"
#include "config/ReadRules.h"
#include "core/RunRecord.h"
#include "runtime/NumberText.h"

namespace {

using config::ConfigQuery;

QString EnvironmentScenarioName() {
    return QStringLiteral("Environment scenario %1").arg(ExperimentSetup.ScenarioUsed);
}

QString DelayScenarioName() {
    return QStringLiteral("Delay scenario %1").arg(ExperimentSetup.DelayScenario);
}

QString DelayScenarioPlace() {
    return DelayScenarioName() + QStringLiteral(" in tblDelayScenarios");
}

struct EnvironmentRates {
    std::vector<double> inflow;
    std::vector<double> outflow;
};

EnvironmentRates ReadEnvironmentRates() {
    const QString where = EnvironmentScenarioName() + QStringLiteral(" in tblScenarios");
    return config::ReportingDatabaseErrors(where, [&] {
        const int lastPeriod = ExperimentSetup.MaxNumberOfAScenarioType + 1;
        EnvironmentRates rates;
        SizeArray(rates.inflow, lastPeriod);
        SizeArray(rates.outflow, lastPeriod);
        ConfigQuery query(QStringLiteral("Select * from tblScenarios where Scenario=%1;")
                              .arg(ExperimentSetup.ScenarioUsed));
        if (query.rows().Eof()) {
            throw ConfigError(EnvironmentScenarioName() +
                              QStringLiteral(" has no rows in tblScenarios."));
        }
        for (query.rows().MoveFirst(); !query.rows().Eof(); query.rows().MoveNext()) {
            const QString trialColumn = QStringLiteral("Trial");
            const std::int32_t trial =
                config::ReadInt32(query.column(trialColumn, where), trialColumn, where);
            if (trial < 0 || trial > lastPeriod) {
                throw ConfigError(QStringLiteral("%1: Trial is %2, outside the range 0 to %3 "
                                                 "(MaxNumberOfAScenarioType + 1).")
                                      .arg(where)
                                      .arg(trial)
                                      .arg(lastPeriod));
            }
            const QString row = where + QStringLiteral(", Trial %1").arg(trial);
            for (auto [column, rate] :
                 {std::pair{QStringLiteral("inFlowRateEnviron"), &rates.inflow},
                  std::pair{QStringLiteral("outFlowRateEnviron"), &rates.outflow}}) {
                (*rate)[trial] = config::ReadDouble(query.column(column, row), column, row);
            }
        }
        return rates;
    });
}

// The columns of one delay segment, in the order of the arrays they fill.
struct DelaySegments {
    std::vector<double> inflowValue;
    std::vector<double> inflowLength;
    std::vector<double> outflowValue;
    std::vector<double> outflowLength;
};

// A delay or a length is a number of periods: the period model rounds delays to 16 bits
// and indexes the order arrays with them, so a negative or larger one could not run.
double ReadPeriods(ConfigQuery& query, const QString& column, const QString& where, double least) {
    const double periods = config::ReadDouble(query.column(column, where), column, where);
    config::RequireRange(periods, least, std::numeric_limits<std::int16_t>::max(), column, where);
    return periods;
}

// An order arrives at the earliest in the period it is placed (a delay of 1); with a delay
// of 0 it would fall due before it exists and never arrive.
double ReadDelay(ConfigQuery& query, const QString& column, const QString& where) {
    return ReadPeriods(query, column, where, 1);
}

double ReadLength(ConfigQuery& query, const QString& column, const QString& where) {
    return ReadPeriods(query, column, where, 0);
}

DelaySegments ReadDelaySegments() {
    const QString where = DelayScenarioPlace();
    return config::ReportingDatabaseErrors(where, [&] {
        ConfigQuery query(QStringLiteral("Select * from tblDelayScenarios where DelayScenario=%1;")
                              .arg(ExperimentSetup.DelayScenario));
        DelaySegments segments;
        for (; !query.rows().Eof(); query.rows().MoveNext()) {
            const QString row =
                where + QStringLiteral(", segment %1").arg(segments.inflowValue.size() + 1);
            segments.inflowValue.push_back(
                ReadDelay(query, QStringLiteral("inflowDelayValue"), row));
            segments.inflowLength.push_back(
                ReadLength(query, QStringLiteral("inflowDelayLength"), row));
            segments.outflowValue.push_back(
                ReadDelay(query, QStringLiteral("outflowDelayValue"), row));
            segments.outflowLength.push_back(
                ReadLength(query, QStringLiteral("outflowDelayLength"), row));
        }
        return segments;
    });
}

}  // namespace

void LoadScenario() {
    EnvironmentRates rates = ReadEnvironmentRates();
    RunState.EnvInFlow = std::move(rates.inflow);
    RunState.EnvOutFlow = std::move(rates.outflow);
}

void LoadDelayScenario() {
    DelaySegments segments = ReadDelaySegments();
    const int count = static_cast<int>(segments.inflowValue.size());
    if (count == 0) {
        throw ConfigError(DelayScenarioName() +
                          QStringLiteral(" has no rows in tblDelayScenarios."));
    }
    config::RequireSegmentsFit(count, ExperimentSetup.MaxNumberOfAScenarioType,
                               DelayScenarioPlace());
    // Element `count` stays 0: the delay after the last segment ends.
    for (auto* array : {&segments.inflowValue, &segments.inflowLength, &segments.outflowValue,
                        &segments.outflowLength}) {
        array->push_back(0);
    }
    RunState.InflowDelayCount = static_cast<std::int16_t>(count);
    RunState.OutflowDelayCount = static_cast<std::int16_t>(count);
    RunState.UserInflowTP = runtime::ToInt16(segments.inflowValue[0]);
    RunState.UserOutflowTP = runtime::ToInt16(segments.outflowValue[0]);
    RunState.InflowDelayValue = std::move(segments.inflowValue);
    RunState.InflowDelayLength = std::move(segments.inflowLength);
    RunState.OutflowDelayValue = std::move(segments.outflowValue);
    RunState.OutflowDelayLength = std::move(segments.outflowLength);
}

void BuildDelaySchedule() {
    const QString where = DelayScenarioPlace();
    const int upperBound = ExperimentSetup.MaxNumberOfAScenarioType;
    std::vector<std::int16_t> inflowEnds =
        config::DelayEnds(RunState.InflowDelayLength, RunState.InflowDelayCount, upperBound,
                          QStringLiteral("inflowDelayLength"), where);
    std::vector<std::int16_t> outflowEnds =
        config::DelayEnds(RunState.OutflowDelayLength, RunState.OutflowDelayCount, upperBound,
                          QStringLiteral("outflowDelayLength"), where);
    RunState.InflowDelayEnd = std::move(inflowEnds);
    RunState.OutflowDelayEnd = std::move(outflowEnds);
}
