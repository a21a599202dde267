#include "config/Scenarios.h"

#include <utility>

#include "config/ConfigQuery.h"
#include "config/DelaySchedule.h"
#include "config/ReadRules.h"
#include "config/RuleBook.h"
#include "core/RunRecord.h"
#include "db/Schema.h"
#include "runtime/NumberText.h"

namespace {

using config::ConfigQuery;

config::SetupRow LoadedSetup(const Run& run) {
    return {run.state.Version, 0, run.setup};
}

struct EnvironmentRates {
    std::vector<double> inflow;
    std::vector<double> outflow;
};

struct ScenarioRate {
    config::ScenarioRow period;
    double inflow = 0;
    double outflow = 0;
};

std::vector<ScenarioRate> ReadScenarioRows(Run& run) {
    const QString where = config::ScenarioPlace(run.setup);
    return config::ReportingDatabaseErrors(where, [&] {
        ConfigQuery query(run, QStringLiteral("Select * from tblScenarios where Scenario=%1;")
                                   .arg(run.setup.ScenarioUsed));
        std::vector<ScenarioRate> rows;
        for (; !query.rows().atEnd(); query.rows().next()) {
            const QString trialColumn = QStringLiteral("Trial");
            ScenarioRate rate;
            rate.period.trial =
                config::ReadInt32(query.column(trialColumn, where), trialColumn, where);
            const QString row = where + QStringLiteral(", Trial %1").arg(rate.period.trial);
            for (auto [column, value] :
                 {std::pair{QStringLiteral("inFlowRateEnviron"), &rate.inflow},
                  std::pair{QStringLiteral("outFlowRateEnviron"), &rate.outflow}}) {
                *value = config::ReadDouble(query.column(column, row), column, row);
            }
            rows.push_back(rate);
        }
        return rows;
    });
}

EnvironmentRates ReadEnvironmentRates(Run& run) {
    const std::vector<ScenarioRate> rows = ReadScenarioRows(run);
    std::vector<config::ScenarioRow> periods;
    for (const ScenarioRate& row : rows) periods.push_back(row.period);
    config::RequireNoRefusal(config::ScenarioRules(LoadedSetup(run), periods));
    EnvironmentRates rates;
    SizeArray(rates.inflow, run.setup.MaxNumberOfAScenarioType + 1);
    SizeArray(rates.outflow, run.setup.MaxNumberOfAScenarioType + 1);
    for (const ScenarioRate& row : rows) {
        rates.inflow[row.period.trial] = row.inflow;
        rates.outflow[row.period.trial] = row.outflow;
    }
    return rates;
}

std::vector<config::DelaySegment> ReadDelaySegments(Run& run) {
    const QString where = config::DelayScenarioPlace(run.setup);
    return config::ReportingDatabaseErrors(where, [&] {
        ConfigQuery query(run,
                          QStringLiteral("Select * from tblDelayScenarios where DelayScenario=%1;")
                              .arg(run.setup.DelayScenario));
        const QString orderColumn =
            db::FindTable(QStringLiteral("tblDelayScenarios"))->order.column;
        const bool numbered = query.rows().has(orderColumn);
        std::vector<config::DelaySegment> segments;
        std::vector<QVariant> numbers;
        for (; !query.rows().atEnd(); query.rows().next()) {
            numbers.push_back(numbered ? query.rows().value(orderColumn) : QVariant());
            const QString row = where + QStringLiteral(", segment %1").arg(segments.size() + 1);
            const auto read = [&](const char* name) {
                const QString column = QString::fromLatin1(name);
                return config::ReadDouble(query.column(column, row), column, row);
            };
            config::DelaySegment segment;
            segment.inflowValue = read("inflowDelayValue");
            segment.inflowLength = read("inflowDelayLength");
            segment.outflowValue = read("outflowDelayValue");
            segment.outflowLength = read("outflowDelayLength");
            segments.push_back(segment);
        }
        // In SegmentNumber order; files made before that column existed keep stored order.
        return db::InNumberOrder(segments, numbers);
    });
}

// The segments as LoadDelayScenario left them in run.state.
std::vector<config::DelaySegment> LoadedDelaySegments(const Run& run) {
    std::vector<config::DelaySegment> segments(run.state.InflowDelayCount);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        segments[i] = {0, run.state.InflowDelayValue[i], run.state.InflowDelayLength[i],
                       run.state.OutflowDelayValue[i], run.state.OutflowDelayLength[i]};
    }
    return segments;
}

// Element `count` of each array stays 0: the delay after the last segment ends.
std::vector<double> WithTail(const std::vector<config::DelaySegment>& segments,
                             double config::DelaySegment::*field) {
    std::vector<double> values;
    for (const config::DelaySegment& segment : segments) values.push_back(segment.*field);
    values.push_back(0);
    return values;
}

}  // namespace

void LoadScenario(Run& run) {
    EnvironmentRates rates = ReadEnvironmentRates(run);
    run.state.EnvInFlow = std::move(rates.inflow);
    run.state.EnvOutFlow = std::move(rates.outflow);
}

void LoadDelayScenario(Run& run) {
    const std::vector<config::DelaySegment> segments = ReadDelaySegments(run);
    config::RequireNoRefusal(config::DelayRules(LoadedSetup(run), segments));
    const auto count = static_cast<std::int16_t>(segments.size());
    run.state.InflowDelayCount = count;
    run.state.OutflowDelayCount = count;
    run.state.UserInflowTP = runtime::ToInt16(segments[0].inflowValue);
    run.state.UserOutflowTP = runtime::ToInt16(segments[0].outflowValue);
    run.state.InflowDelayValue = WithTail(segments, &config::DelaySegment::inflowValue);
    run.state.InflowDelayLength = WithTail(segments, &config::DelaySegment::inflowLength);
    run.state.OutflowDelayValue = WithTail(segments, &config::DelaySegment::outflowValue);
    run.state.OutflowDelayLength = WithTail(segments, &config::DelaySegment::outflowLength);
}

void BuildDelaySchedule(Run& run) {
    config::RequireNoRefusal(config::DelayRules(LoadedSetup(run), LoadedDelaySegments(run)));
    const int upperBound = run.setup.MaxNumberOfAScenarioType;
    std::vector<std::int16_t> inflowEnds =
        config::DelayEnds(run.state.InflowDelayLength, run.state.InflowDelayCount, upperBound);
    std::vector<std::int16_t> outflowEnds =
        config::DelayEnds(run.state.OutflowDelayLength, run.state.OutflowDelayCount, upperBound);
    run.state.InflowDelayEnd = std::move(inflowEnds);
    run.state.OutflowDelayEnd = std::move(outflowEnds);
}
