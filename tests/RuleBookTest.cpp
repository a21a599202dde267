// The rule book: each rule's severity, place and message on a sound version changed in one way.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <sstream>

#include "config/RuleBook.h"

namespace config {
// Found by the test's messages through the type's namespace.
std::ostream& operator<<(std::ostream& out, const Finding& f) {
    return out << static_cast<int>(f.severity) << ' ' << f.table.toStdString() << " row " << f.row
               << ' ' << f.column.toStdString() << ": " << f.message.toStdString();
}
}  // namespace config

namespace {

using config::Finding;
using config::Findings;
using config::Severity;

// A version as the rules see it: its setup row (row 4 of tblSetup) and the rows of its
// scenarios and labels.
struct Version {
    config::SetupRow setup;
    std::vector<config::ScenarioRow> scenario;
    std::vector<config::DelaySegment> segments;
    std::vector<config::LabelRow> labels;

    Version() {
        setup.version = QStringLiteral("Pilot O'Brien");
        setup.row = 4;
        ExperimentSetupRecord& s = setup.setup;
        s.MaxTrial = 12;
        s.MaxNumberOfAScenarioType = 20;
        s.numMarks = 10;
        s.graphicalMode = true;
        s.simTimeForTP = 1;
        s.RHEIGHT = 10;
        s.RWIDTH = 10;
        s.UpperBoundFromGoal = 1;
        s.LowerBoundFromGoal = 1;
        s.GoalLinePosition = 50;
        s.TimeBetweenEnvTries = 1000;
        s.ScenarioUsed = 3;
        s.DelayScenario = 2;
        for (int trial = 1; trial <= 12; ++trial) scenario.push_back({trial, trial});
        segments = {{7, 2, 8, 3, 8}, {8, 2, 10, 3, 10}};
        for (int n = 1; n <= 10; ++n)
            labels.push_back({n, n, QString::number(10 * n) + QStringLiteral(" gallons")});
    }

    Findings judged() const {
        Findings all = config::SetupRules(setup);
        for (const Findings& more :
             {config::DelayRules(setup, segments), config::ScenarioRules(setup, scenario),
              config::LabelRules(setup, labels)}) {
            all.insert(all.end(), more.begin(), more.end());
        }
        return all;
    }
};

std::string Texts(const Findings& findings) {
    std::ostringstream out;
    for (const Finding& finding : findings) out << finding << '\n';
    return out.str();
}

TEST(RuleBookTest, ASoundVersionHasNoFindings) {
    EXPECT_EQ(Texts(Version().judged()), "");
}

TEST(RuleBookTest, EveryShippedLanguageInAnyLetterCaseAndAnEmptyCellPass) {
    for (const char* language : {"", "en", "de", "es", "fr", "zh", "DE", "Zh"}) {
        Version version;
        version.setup.setup.Language = QString::fromLatin1(language);
        EXPECT_EQ(Texts(version.judged()), "") << language;
    }
}

struct RuleCase {
    const char* name;
    std::function<void(Version&)> change;
    Finding expected;
};

std::ostream& operator<<(std::ostream& out, const RuleCase& c) {
    return out << c.name;
}

class RuleBookCaseTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RuleBookCaseTest, FindsTheFaultWithItsSeverityPlaceAndMessage) {
    Version version;
    GetParam().change(version);
    const Findings findings = version.judged();
    EXPECT_NE(std::find(findings.begin(), findings.end(), GetParam().expected), findings.end())
        << "expected " << GetParam().expected << "\ngot:\n"
        << Texts(findings);
}

const QString kSetupPlace = QStringLiteral("Version 'Pilot O'Brien' in tblSetup: ");
const QString kDelayPlace = QStringLiteral("Delay scenario 2 in tblDelayScenarios");

Finding OnSetup(Severity severity, const char* column, const QString& what) {
    return {severity, "tblSetup", 4, column, kSetupPlace + what};
}

// The participant program keeps its own text; the tool names the file's columns and the fix.
Finding InitialOrders(const char* column, const char* amount, const char* delayColumn) {
    return {Severity::EndsProgram,
            "tblSetup",
            4,
            column,
            "Value of inFlowTPAfter or outFlowTPAfter is 1 and your initial Back or Forward "
            "orders are not set to 0",
            kSetupPlace + QStringLiteral("%1 is %2, but the first segment of delay scenario 2 in "
                                         "tblDelayScenarios has %3 1, so the initial orders "
                                         "would have to arrive in the period they start in; set "
                                         "%1 to 0, or make the first segment's %3 at least 2.")
                              .arg(column, amount, delayColumn)};
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleBookCaseTest,
    ::testing::Values(
        RuleCase{"NoPeriods", [](Version& v) { v.setup.setup.MaxTrial = 0; },
                 OnSetup(Severity::Refuses, "MaxTrial",
                         "MaxTrial is 0; the experiment needs at least one period.")},
        RuleCase{"MorePeriodsThanTheScenarioHolds", [](Version& v) { v.setup.setup.MaxTrial = 22; },
                 OnSetup(Severity::Refuses, "MaxTrial",
                         "MaxTrial is 22, but MaxNumberOfAScenarioType (20) gives environment "
                         "rates only up to period 21.")},
        RuleCase{"NegativeMaxNumberOfAScenarioType",
                 [](Version& v) { v.setup.setup.MaxNumberOfAScenarioType = -1; },
                 OnSetup(Severity::Refuses, "MaxNumberOfAScenarioType",
                         "MaxNumberOfAScenarioType is -1; it must be at least 0 (the scenario's "
                         "periods run from 0 to MaxNumberOfAScenarioType + 1).")},
        RuleCase{"NoMarks", [](Version& v) { v.setup.setup.numMarks = 0; },
                 OnSetup(Severity::Refuses, "numMarks",
                         "numMarks is 0; the tank has room for 1 to 10 scale marks.")},
        RuleCase{"AnUnknownLanguage", [](Version& v) { v.setup.setup.Language = "nl"; },
                 OnSetup(Severity::Refuses, "Language",
                         "Language is 'nl'; the screens speak en (English), de (German), es "
                         "(Spanish), fr (French) or zh (Chinese), and an empty cell means en.")},
        RuleCase{"ALanguageWithABlank", [](Version& v) { v.setup.setup.Language = "de "; },
                 OnSetup(Severity::Refuses, "Language",
                         "Language is 'de '; the screens speak en (English), de (German), es "
                         "(Spanish), fr (French) or zh (Chinese), and an empty cell means en.")},
        RuleCase{"ElevenMarks", [](Version& v) { v.setup.setup.numMarks = 11; },
                 OnSetup(Severity::Refuses, "numMarks",
                         "numMarks is 11; the tank has room for 1 to 10 scale marks.")},
        RuleCase{"NegativeMarks", [](Version& v) { v.setup.setup.numMarks = -2; },
                 OnSetup(Severity::Refuses, "numMarks",
                         "numMarks is -2; the tank has room for 1 to 10 scale marks.")},
        RuleCase{"ClockBelowOneMillisecond",  // 0.4 is read as 0 ms
                 [](Version& v) {
                     v.setup.setup.IsTimeDriven = true;
                     v.setup.setup.TimeBetweenEnvTries = 0.4;
                 },
                 OnSetup(Severity::Refuses, "TimeBetweenEnvTries",
                         "TimeBetweenEnvTries is 0.4 ms; a version that runs on a clock "
                         "(IsTimeDriven) needs at least 1 ms.")},
        RuleCase{"PeriodWithoutDuration", [](Version& v) { v.setup.setup.simTimeForTP = 0; },
                 OnSetup(Severity::Warns, "simTimeForTP",
                         "simTimeForTP is 0; a period must last longer than 0 (the "
                         "environment's rates are multiplied by it).")},
        RuleCase{"StorePersonBlockWithoutWidth",
                 [](Version& v) {
                     v.setup.setup.graphicalMode = false;
                     v.setup.setup.RWIDTH = -2;
                 },
                 OnSetup(Severity::Warns, "RWIDTH",
                         "RWIDTH is -2; a person's block must be more than 0 pixels wide.")},
        RuleCase{"NegativeLowerBound", [](Version& v) { v.setup.setup.LowerBoundFromGoal = -0.5; },
                 OnSetup(Severity::Warns, "LowerBoundFromGoal",
                         "LowerBoundFromGoal is -0.5; the bonus band around the goal would be "
                         "empty or leave out the goal.")},
        RuleCase{"DelayScenarioWithoutRows",
                 [](Version& v) { v.segments.clear(); },
                 {Severity::Refuses, "tblSetup", 4, "DelayScenario",
                  "Delay scenario 2 has no rows in tblDelayScenarios."}},
        RuleCase{"MoreSegmentsThanTheScheduleHolds",
                 [](Version& v) {
                     v.setup.setup.MaxNumberOfAScenarioType = 0;
                     v.setup.setup.MaxTrial = 1;
                 },
                 {Severity::Refuses, "tblSetup", 4, "DelayScenario",
                  kDelayPlace + " has 2 segments, more than the 1 that MaxNumberOfAScenarioType "
                                "(0) allows."}},
        RuleCase{"DelayBelowOnePeriod",
                 [](Version& v) { v.segments[1].inflowValue = 0.5; },
                 {Severity::Refuses, "tblDelayScenarios", 8, "inflowDelayValue",
                  kDelayPlace + ", segment 2: inflowDelayValue is 0.5, outside the range 1 to "
                                "32767."}},
        RuleCase{"DelayBeyondSixteenBits",
                 [](Version& v) { v.segments[0].outflowValue = 40000; },
                 {Severity::Refuses, "tblDelayScenarios", 7, "outflowDelayValue",
                  kDelayPlace + ", segment 1: outflowDelayValue is 40000, outside the range 1 "
                                "to 32767."}},
        RuleCase{"NegativeLength",
                 [](Version& v) { v.segments[1].outflowLength = -2; },
                 {Severity::Refuses, "tblDelayScenarios", 8, "outflowDelayLength",
                  kDelayPlace + ", segment 2: outflowDelayLength is -2, outside the range 0 to "
                                "32767."}},
        RuleCase{"ScheduleBeyondSixteenBits",
                 [](Version& v) {
                     v.segments[0].inflowLength = 30000;
                     v.segments[1].inflowLength = 30000;
                 },
                 {Severity::Refuses, "tblDelayScenarios", 8, "inflowDelayLength",
                  kDelayPlace + ": the end of segment 2 (running sum of inflowDelayLength) is "
                                "60000, outside the range -32768 to 32767."}},
        RuleCase{"ScheduleEndingBeforeMaxTrial",  // 8 + 3.5 = 11.5, rounded to the even 12
                 [](Version& v) {
                     v.setup.setup.MaxTrial = 13;
                     v.segments[1].inflowLength = 3.5;
                 },
                 OnSetup(Severity::Warns, "DelayScenario",
                         "the inflow segments of delay scenario 2 end in period 12, before "
                         "MaxTrial 13; from period 12 the inflow delay would be 0 and inflow "
                         "orders would never arrive.")},
        RuleCase{"InitialBackOrderWithAStartingDelayOfOne",  // 1.4 is read as 1
                 [](Version& v) {
                     v.setup.setup.InitialBackOrder = 5;
                     v.segments[0].inflowValue = 1.4;
                 },
                 InitialOrders("InitialBackOrder", "5", "inflowDelayValue")},
        RuleCase{"InitialDischargeWithAStartingDelayOfOne",
                 [](Version& v) {
                     v.setup.setup.InitialForwardDischarge = 2;
                     v.segments[0].outflowValue = 1;
                 },
                 InitialOrders("InitialForwardDischarge", "2", "outflowDelayValue")},
        RuleCase{"ScenarioWithoutRows",
                 [](Version& v) { v.scenario.clear(); },
                 {Severity::Refuses, "tblSetup", 4, "ScenarioUsed",
                  "Environment scenario 3 has no rows in tblScenarios."}},
        RuleCase{"ScenarioPeriodBeyondTheArrays",
                 [](Version& v) { v.scenario[4].trial = 22; },
                 {Severity::Refuses, "tblScenarios", 5, "Trial",
                  "Environment scenario 3 in tblScenarios: Trial is 22, outside the range 0 to "
                  "21 (MaxNumberOfAScenarioType + 1)."}},
        RuleCase{"NegativeScenarioPeriod",
                 [](Version& v) { v.scenario[0].trial = -1; },
                 {Severity::Refuses, "tblScenarios", 1, "Trial",
                  "Environment scenario 3 in tblScenarios: Trial is -1, outside the range 0 to "
                  "21 (MaxNumberOfAScenarioType + 1)."}},
        RuleCase{"ScenarioPeriodTwice",
                 [](Version& v) { v.scenario[6].trial = 4; },
                 {Severity::Warns, "tblScenarios", 7, "Trial",
                  "Environment scenario 3 in tblScenarios: Trial 4 is also in row 4; the "
                  "program would use only this later row."}},
        RuleCase{"NoLabels",
                 [](Version& v) { v.labels.clear(); },
                 {Severity::Refuses, "tblLabels", 0, "version",
                  "Version 'Pilot O'Brien' has no labels in tblLabels, so the top of the tank's "
                  "scale would be 0."}},
        RuleCase{"TopLabelReadsAsZero",
                 [](Version& v) { v.labels[9].name = "full"; },
                 {Severity::Refuses, "tblLabels", 10, "LabelName",
                  "Version 'Pilot O'Brien' in tblLabels: the top label 'full' reads as 0; it "
                  "must start with the amount at the top of the tank, a number other than 0."}},
        RuleCase{"FewerLabelsThanMarks", [](Version& v) { v.labels.resize(7); },
                 OnSetup(Severity::Warns, "numMarks",
                         "7 labels in tblLabels, fewer than its 10 marks; the marks above them "
                         "show no caption.")},
        RuleCase{"LabelNumberTwice",
                 [](Version& v) { v.labels[4].number = 4; },
                 {Severity::Warns, "tblLabels", 5, "LabelNumber",
                  "Version 'Pilot O'Brien' in tblLabels: LabelNumber 4 is also in row 4; the "
                  "order of their captions is not defined."}},
        RuleCase{"LabelNumberWithAFraction",
                 [](Version& v) { v.labels[1].number = 2.5; },
                 {Severity::Warns, "tblLabels", 2, "LabelNumber",
                  "Version 'Pilot O'Brien' in tblLabels: LabelNumber 2.5 is not a whole number "
                  "from 1 to 10 (numMarks); the captions would not match the marks."}},
        RuleCase{"LabelWithoutCaption",
                 [](Version& v) { v.labels[2].name.reset(); },
                 {Severity::Warns, "tblLabels", 3, "LabelName",
                  "Version 'Pilot O'Brien' in tblLabels: a label has no caption; its mark shows "
                  "none."}},
        RuleCase{"GoalAboveTheTank", [](Version& v) { v.setup.setup.GoalLinePosition = 120; },
                 OnSetup(Severity::Warns, "GoalLinePoisition",
                         "GoalLinePoisition 120 is outside the tank's scale 0 to 100 (the top "
                         "label); the goal line would be drawn off the tank.")}),
    [](const auto& info) { return std::string(info.param.name); });

// Changes of delay under the re-aiming rule: the rule book names the periods and the effect.
INSTANTIATE_TEST_SUITE_P(
    DelayChanges, RuleBookCaseTest,
    ::testing::Values(
        RuleCase{"RisingDelayDeliversOrdersTwice",
                 [](Version& v) {
                     v.segments[0].inflowValue = 1;
                     v.segments[0].inflowLength = 4;
                     v.segments[1].inflowValue = 3;
                 },
                 OnSetup(Severity::Warns, "DelayScenario",
                         "the inflow delay changes from 1 to 3 in period 4, so orders of "
                         "periods 2\u20133 fall due again in periods 4\u20135 (with "
                         "OrdersDueOnce TRUE each order falls due once).")},
        RuleCase{"FallingDelaySkipsOrders", [](Version& v) { v.segments[1].outflowValue = 1; },
                 OnSetup(Severity::Warns, "DelayScenario",
                         "the outflow delay changes from 3 to 1 in period 8, so orders of "
                         "periods 6\u20137 never fall due (with OrdersDueOnce TRUE each order "
                         "falls due once).")},
        RuleCase{"RiseOfOneDeliversOneOrderTwice",
                 [](Version& v) { v.segments[1].inflowValue = 3; },
                 OnSetup(Severity::Warns, "DelayScenario",
                         "the inflow delay changes from 2 to 3 in period 8, so orders of "
                         "period 6 fall due again in period 8 (with OrdersDueOnce TRUE each "
                         "order falls due once).")},
        RuleCase{"FallWithinTheInitialPipelineSkipsInitialOrders",
                 [](Version& v) {
                     v.setup.setup.InitialBackOrder = 6;
                     v.segments[0].inflowValue = 4;
                     v.segments[0].inflowLength = 2;
                     v.segments[1].inflowValue = 1;
                 },
                 OnSetup(Severity::Warns, "DelayScenario",
                         "the inflow delay changes from 4 to 1 in period 2, so orders of "
                         "period 1 never fall due and the initial orders due in periods "
                         "2\u20133 never fall due (with OrdersDueOnce TRUE each order falls "
                         "due once).")}),
    [](const auto& info) { return std::string(info.param.name); });

// What only a tank or only a clock needs is not asked of the others.
TEST(RuleBookTest, StoresNeedNoScaleAndParticipantPacedVersionsNoClock) {
    Version version;
    version.setup.setup.graphicalMode = false;
    version.setup.setup.numMarks = 12;
    version.labels.clear();
    version.setup.setup.TimeBetweenEnvTries = 0;
    EXPECT_EQ(Texts(version.judged()), "");
}

// The login refuses at the first refusal and lets warnings and its own setup check pass.
TEST(RuleBookTest, OnlyARefusalStopsTheLoading) {
    const Finding warning{Severity::Warns, "tblSetup", 1, "simTimeForTP", "a warning"};
    const Finding ends{Severity::EndsProgram, "tblSetup", 1, "InitialBackOrder", "ends"};
    const Finding refusal{Severity::Refuses, "tblSetup", 1, "MaxTrial", "the first refusal"};
    const Finding later{Severity::Refuses, "tblSetup", 1, "numMarks", "a later refusal"};
    EXPECT_NO_THROW(config::RequireNoRefusal({warning, ends}));
    try {
        config::RequireNoRefusal({warning, ends, refusal, later});
        FAIL() << "a refusal passed";
    } catch (const ConfigError& error) {
        EXPECT_EQ(error.message(), "the first refusal");
    }
}

// A change of delay that only reaches into the initial pipeline moves no placed order.
TEST(RuleBookTest, ARiseWithinTheInitialPipelineIsNotWarned) {
    Version version;
    version.setup.setup.InitialBackOrder = 4;
    version.segments[0].inflowLength = 2;
    version.segments[1].inflowLength = 10;
    version.segments[1].inflowValue = 4;
    EXPECT_EQ(Texts(version.judged()), "");
}

// Where each order falls due once, a change of delay delivers nothing twice and skips
// nothing: on a clock always, paced by Submit when the version chooses it.
TEST(RuleBookTest, VersionsWhoseOrdersFallDueOnceAreNotWarnedOfDelayChanges) {
    for (bool ExperimentSetupRecord::*once :
         {&ExperimentSetupRecord::IsTimeDriven, &ExperimentSetupRecord::OrdersDueOnce}) {
        Version version;
        version.setup.setup.*once = true;
        version.segments[1].inflowValue = 3;
        version.segments[1].outflowValue = 1;
        EXPECT_EQ(Texts(version.judged()), "");
    }
}

// A schedule is built only from segments the rules let pass; sums out of range are not
// measured again after a segment out of range.
TEST(RuleBookTest, ASegmentOutOfRangeIsNamedAlone) {
    Version version;
    version.segments[0].inflowLength = -40000;
    version.segments[1].inflowLength = -40000;
    const Findings findings = config::DelayRules(version.setup, version.segments);
    ASSERT_EQ(findings.size(), 2u) << Texts(findings);
    EXPECT_EQ(findings[0].column, "inflowDelayLength");
    EXPECT_TRUE(findings[0].message.contains("segment 1: inflowDelayLength is -40000"));
}

}  // namespace
