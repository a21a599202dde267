#pragma once
// The one set of rules that says whether a version can run and why not. The login, start-up
// and fluxmere-db check all ask it, so what they refuse cannot drift apart. Each rule has a
// severity: a refusal stops the version, a warning names something that runs but is
// suspicious (check reports both, the program only refuses).

#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "config/ConfigError.h"
#include "core/RunRecord.h"

namespace config {

enum class Severity {
    Warns,        // runs, but is worth a look
    Refuses,      // cannot run: the login refuses the version and stays
    EndsProgram,  // the login's own setup check, which ends the program instead
};

struct Finding {
    Severity severity = Severity::Refuses;
    QString table;    // where the experimenter corrects it
    int row = 0;      // 1-based row of that table; 0: the table as a whole, or not known
    QString column;   // empty: the row as a whole
    QString message;  // a whole sentence naming the version or scenario key and the table
    // The experimenter's wording where the participant program keeps a message of its own:
    // the file's columns and the fix. Empty: the message says it.
    QString forExperimenter = {};
    int repeats = 0;  // the earlier row a repeated key is also in; 0: none
    friend bool operator==(const Finding&, const Finding&) = default;
};

using Findings = std::vector<Finding>;

// A version's row of tblSetup, read.
struct SetupRow {
    QString version;
    int row = 0;
    ExperimentSetupRecord setup;
};

// A row of the version's environment scenario: only its period matters to the rules.
struct ScenarioRow {
    int row = 0;
    std::int32_t trial = 0;
};

// A row of the version's delay scenario, in schedule order.
struct DelaySegment {
    int row = 0;
    double inflowValue = 0;
    double inflowLength = 0;
    double outflowValue = 0;
    double outflowLength = 0;
};

// A row of the version's labels; the number is absent when the cell holds none.
struct LabelRow {
    int row = 0;
    std::optional<double> number;
    std::optional<QString> name;
};

// The rules of the setup row alone.
Findings SetupRules(const SetupRow& setup);
// The rules of the delay scenario named by the setup (its segments in order).
Findings DelayRules(const SetupRow& setup, const std::vector<DelaySegment>& segments);
// Initial orders that would have to arrive in the period they start in, given the starting
// delays as the program holds them.
Findings InitialOrderRules(const SetupRow& setup, double startingInflowDelay,
                           double startingOutflowDelay);
// The rules of the environment scenario named by the setup.
Findings ScenarioRules(const SetupRow& setup, const std::vector<ScenarioRow>& rows);
// The rules of the tank's scale (graphical mode only; none for a store version).
Findings LabelRules(const SetupRow& setup, const std::vector<LabelRow>& labels);

// How messages name the scenarios of a setup: "Environment scenario 3 in tblScenarios",
// "Delay scenario 2 in tblDelayScenarios".
QString ScenarioName(const ExperimentSetupRecord& setup);
QString ScenarioPlace(const ExperimentSetupRecord& setup);
QString DelayScenarioName(const ExperimentSetupRecord& setup);
QString DelayScenarioPlace(const ExperimentSetupRecord& setup);

// A version named again in a later row of tblSetup (names in any letter case): the program
// runs only the first. `versions` holds each row's number and version, in table order.
Findings DuplicateVersionRules(const std::vector<std::pair<int, QString>>& versions);

// Raises ConfigError with the first refusal's message; warnings and the login's setup check
// pass.
void RequireNoRefusal(const Findings& findings);

bool HasSeverity(const Findings& findings, Severity severity);

// The tank has ten mark lines with their labels.
constexpr int kMostMarks = 10;

}  // namespace config
