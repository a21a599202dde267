#pragma once
// How a simulated participant decides: the orders it types before each Submit and, in
// time-driven versions, when in the period it presses Submit.

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "core/RunRecord.h"

namespace tool {

struct Decision {
    double inflow = 0;
    double outflow = 0;
    // Time-driven: milliseconds after the clock opened the period; nothing: the default.
    std::optional<int> submitAfterMs;
};

class Strategy {
  public:
    virtual ~Strategy() = default;
    // The orders for `period`, seen from the run as it stands before the Submit. Nothing: no
    // Submit in that period (a participant-paced run submits nothing as 0 and 0).
    virtual std::optional<Decision> decide(const Run& run, int period) = 0;
};

struct StrategyOptions {
    QString name;  // scripted, replay, heuristic, naive, none, random
    QString scriptFile;
    QString participant;         // replay: whose recorded orders
    QString participantVersion;  // replay: in which version they were recorded
    double alpha = 0.5;          // heuristic: share of the gap to the goal closed per period
    double beta = 0.5;           // heuristic: share of what is on order taken into account
    double low = 0;              // random: the orders' bounds
    double high = 10;
};

// Makes a fresh strategy for a run from its seed. Everything a strategy reads (a script, a
// recorded participant) is read and checked once, when the factory is made.
using StrategyFactory = std::function<std::unique_ptr<Strategy>(std::uint32_t seed)>;

// databasePath is where a replayed participant is recorded. Throws ToolError for an unknown
// strategy, a script with a bad line (file, line and column), or a participant without orders.
StrategyFactory MakeStrategyFactory(const StrategyOptions& options, const QString& databasePath);

// The orders of a script: "period,inflow,outflow[,submit_ms]" with that header line.
std::map<int, Decision> ReadScript(const QString& path);

// The strategies' names, for help and messages.
QString StrategyNames();

}  // namespace tool
