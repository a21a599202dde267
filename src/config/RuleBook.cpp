#include "config/RuleBook.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "config/DelaySchedule.h"
#include "config/Languages.h"
#include "config/ReadRules.h"
#include "config/ScreenSetup.h"
#include "config/Setup.h"
#include "runtime/MessageText.h"
#include "runtime/NumberText.h"

namespace config {

namespace {

const QString kSetupTable = QStringLiteral("tblSetup");
const QString kScenarioTable = QStringLiteral("tblScenarios");
const QString kDelayTable = QStringLiteral("tblDelayScenarios");
const QString kLabelTable = QStringLiteral("tblLabels");

// Delays and segment ends are periods counted in 16 bits.
constexpr double kMostPeriods = std::numeric_limits<std::int16_t>::max();

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + runtime::ValueForMessage(text) + QLatin1Char('\'');
}

QString SetupPlace(const SetupRow& setup) {
    return VersionName(setup.version) + QStringLiteral(" in ") + kSetupTable;
}

// Findings are collected by the rule groups; each names where it is corrected.
class Collector {
  public:
    void add(Severity severity, const QString& table, int row, const QString& column,
             const QString& message) {
        findings_.push_back(Finding{severity, table, row, column, message});
    }
    void onSetup(Severity severity, const SetupRow& setup, const QString& column,
                 const QString& what) {
        add(severity, kSetupTable, setup.row, column,
            SetupPlace(setup) + QStringLiteral(": ") + what);
    }
    void add(Finding finding) { findings_.push_back(std::move(finding)); }
    void add(const Findings& findings) {
        findings_.insert(findings_.end(), findings.begin(), findings.end());
    }
    std::size_t size() const { return findings_.size(); }
    Findings take() { return std::move(findings_); }

  private:
    Findings findings_;
};

// A setting that runs but cannot run sensibly below `least`.
struct Least {
    const char* column;
    double ExperimentSetupRecord::*field;
    double least;
    bool inclusive;   // the least value itself is allowed
    const char* why;  // what a smaller value would do
};

void WarnBelow(Collector& found, const SetupRow& setup, std::initializer_list<Least> rules) {
    for (const Least& rule : rules) {
        const double value = setup.setup.*rule.field;
        if (rule.inclusive ? value >= rule.least : value > rule.least) continue;
        const QString column = QString::fromLatin1(rule.column);
        found.onSetup(Severity::Warns, setup, column,
                      QStringLiteral("%1 is %2; %3.")
                          .arg(column, NumberForMessage(value), QString::fromLatin1(rule.why)));
    }
}

void PeriodRules(Collector& found, const SetupRow& setup) {
    const ExperimentSetupRecord& s = setup.setup;
    if (s.MaxTrial < 1) {
        found.onSetup(Severity::Refuses, setup, QStringLiteral("MaxTrial"),
                      QStringLiteral("MaxTrial is %1; the experiment needs at least one period.")
                          .arg(s.MaxTrial));
    }
    if (s.MaxNumberOfAScenarioType < 0) {
        found.onSetup(Severity::Refuses, setup, QStringLiteral("MaxNumberOfAScenarioType"),
                      QStringLiteral("MaxNumberOfAScenarioType is %1; it must be at least 0 (the "
                                     "scenario's periods run from 0 to MaxNumberOfAScenarioType "
                                     "+ 1).")
                          .arg(s.MaxNumberOfAScenarioType));
        return;
    }
    const int lastScenarioPeriod = s.MaxNumberOfAScenarioType + 1;
    if (s.MaxTrial > lastScenarioPeriod) {
        found.onSetup(Severity::Refuses, setup, QStringLiteral("MaxTrial"),
                      QStringLiteral("MaxTrial is %1, but MaxNumberOfAScenarioType (%2) gives "
                                     "environment rates only up to period %3.")
                          .arg(s.MaxTrial)
                          .arg(s.MaxNumberOfAScenarioType)
                          .arg(lastScenarioPeriod));
    }
}

void ScreenRules(Collector& found, const SetupRow& setup) {
    const ExperimentSetupRecord& s = setup.setup;
    if (s.graphicalMode && (s.numMarks < 1 || s.numMarks > kMostMarks)) {
        found.onSetup(Severity::Refuses, setup, QStringLiteral("numMarks"),
                      QStringLiteral("numMarks is %1; the tank has room for 1 to %2 scale marks.")
                          .arg(s.numMarks)
                          .arg(kMostMarks));
    }
    if (s.IsTimeDriven && PeriodClockInterval(s.TimeBetweenEnvTries) < 1) {
        found.onSetup(Severity::Refuses, setup, QStringLiteral("TimeBetweenEnvTries"),
                      QStringLiteral("TimeBetweenEnvTries is %1 ms; a version that runs on a "
                                     "clock (IsTimeDriven) needs at least 1 ms.")
                          .arg(NumberForMessage(s.TimeBetweenEnvTries)));
    }
    if (!IsLanguageCode(LanguageCode(s.Language))) {
        found.onSetup(Severity::Refuses, setup, QStringLiteral("Language"),
                      QStringLiteral("Language is %1; the screens speak en (English), de "
                                     "(German), es (Spanish), fr (French) or zh (Chinese), and "
                                     "an empty cell means en.")
                          .arg(Quoted(s.Language)));
    }
}

// The schedule ends each segment at the running sum of its lengths, rounded as it goes.
// Returns the end of the last segment, or nothing when a sum leaves 16 bits.
std::optional<double> ScheduleEnd(Collector& found, const SetupRow& setup,
                                  const std::vector<DelaySegment>& segments,
                                  double DelaySegment::*length, const QString& column) {
    double end = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        end = runtime::RoundHalfEven(end + segments[i].*length);
        if (end > kMostPeriods || end < -kMostPeriods - 1) {
            found.add(Severity::Refuses, kDelayTable, segments[i].row, column,
                      QStringLiteral("%1: the end of segment %2 (running sum of %3) is %4, "
                                     "outside the range -32768 to 32767.")
                          .arg(DelayScenarioPlace(setup.setup))
                          .arg(i + 1)
                          .arg(column, NumberForMessage(end)));
            return std::nullopt;
        }
    }
    return end;
}

// Once the last segment ends before the last period the delay falls to 0, and orders placed
// from then on never arrive.
void WarnEarlyEnd(Collector& found, const SetupRow& setup, std::optional<double> end,
                  const QString& flow) {
    if (!end || *end >= setup.setup.MaxTrial) return;
    found.onSetup(Severity::Warns, setup, QStringLiteral("DelayScenario"),
                  QStringLiteral("the %1 segments of delay scenario %2 end in period %3, before "
                                 "MaxTrial %4; from period %3 the %1 delay would be 0 and %1 "
                                 "orders would never arrive.")
                      .arg(flow)
                      .arg(setup.setup.DelayScenario)
                      .arg(NumberForMessage(*end))
                      .arg(setup.setup.MaxTrial));
}

QString PeriodRange(long first, long last) {
    return first == last ? QStringLiteral("period %1").arg(first)
                         : QStringLiteral("periods %1\u2013%2").arg(first).arg(last);
}

// One of the two user flows as its delay scenario and setup give it.
struct FlowColumns {
    double DelaySegment::*length;
    double DelaySegment::*value;
    double ExperimentSetupRecord::*initial;
    const char* name;
};

constexpr FlowColumns kInflowColumns{&DelaySegment::inflowLength, &DelaySegment::inflowValue,
                                     &ExperimentSetupRecord::InitialBackOrder, "inflow"};
constexpr FlowColumns kOutflowColumns{&DelaySegment::outflowLength, &DelaySegment::outflowValue,
                                      &ExperimentSetupRecord::InitialForwardDischarge, "outflow"};

// Under the re-aiming rule the order due in period t is the one placed in period
// t - (delay - 1), and the initial pipeline's entry t is due in period t while that reaches
// back before period 1. A change of delay moves no order: a rise aims again at orders already
// due, a fall skips orders and initial entries.
class DueWalk {
  public:
    DueWalk(const SetupRow& setup, const std::vector<DelaySegment>& segments,
            const FlowColumns& flow)
        : maxTrial_(setup.setup.MaxTrial) {
        std::vector<double> lengths;
        for (const DelaySegment& segment : segments) {
            lengths.push_back(segment.*flow.length);
            values_.push_back(segment.*flow.value);
        }
        values_.push_back(0);  // after the last segment, as the schedule is loaded
        count_ = static_cast<int>(segments.size());
        ends_ = DelayEnds(lengths, count_, count_);
        const std::int16_t start = runtime::ToInt16(values_.front());
        if (setup.setup.*flow.initial != 0) lastInitialEntry_ = start - 1;
        std::int16_t delay = start;
        for (long t = 1; t <= maxTrial_; ++t) {
            delay = DelayIn(t, maxTrial_, delay, count_, ends_, values_);
            if (delay < 1) break;  // the early end is warned on its own
            delays_.push_back(delay);
            const long k = t - (delay - 1);
            if (k >= 1) dueIn_[k].push_back(t);
            if (k <= 0 && t <= lastInitialEntry_) initialDue_.push_back(t);
        }
    }

    long periods() const { return static_cast<long>(delays_.size()); }
    std::int16_t delayIn(long t) const { return delays_[static_cast<std::size_t>(t - 1)]; }
    long aim(long t) const { return t - (delayIn(t) - 1); }

    // The periods from `from` on in which the order of `placed` falls due.
    std::vector<long> dueFrom(long placed, long from) const {
        std::vector<long> periods;
        const auto due = dueIn_.find(placed);
        if (due == dueIn_.end()) return periods;
        for (const long t : due->second)
            if (t >= from) periods.push_back(t);
        return periods;
    }
    // Initial entries from `from` on that never fall due.
    std::vector<long> initialNeverDueFrom(long from) const {
        std::vector<long> entries;
        for (long e = std::max(from, 1L); e <= std::min<long>(lastInitialEntry_, maxTrial_); ++e)
            if (std::find(initialDue_.begin(), initialDue_.end(), e) == initialDue_.end())
                entries.push_back(e);
        return entries;
    }

  private:
    long maxTrial_;
    int count_ = 0;
    std::vector<std::int16_t> ends_;
    std::vector<double> values_;
    std::vector<std::int16_t> delays_;         // of periods 1 on, while the delay is at least 1
    std::map<long, std::vector<long>> dueIn_;  // order period -> periods it falls due in
    std::vector<long> initialDue_;
    long lastInitialEntry_ = 0;  // 0: no initial orders on their way
};

// What a change of delay in period t does to placed orders, or nothing.
QString TwiceOrNever(const DueWalk& walk, long t, std::set<long>& initialReported) {
    const long before = walk.aim(t - 1);
    const long now = walk.aim(t);
    QStringList effects;
    std::vector<long> again, againIn;
    for (long placed = std::max(now, 1L); placed <= before; ++placed) {
        const std::vector<long> periods = walk.dueFrom(placed, t);
        if (periods.empty()) continue;
        again.push_back(placed);
        againIn.push_back(periods.front());
    }
    if (!again.empty())
        effects << QStringLiteral("orders of %1 fall due again in %2")
                       .arg(PeriodRange(again.front(), again.back()),
                            PeriodRange(againIn.front(), againIn.back()));
    std::vector<long> never;
    for (long placed = std::max(before + 1, 1L); placed < now; ++placed)
        if (walk.dueFrom(placed, 1).empty()) never.push_back(placed);
    if (!never.empty())
        effects << QStringLiteral("orders of %1 never fall due")
                       .arg(PeriodRange(never.front(), never.back()));
    // Only a fall skips initial entries.
    std::vector<long> initial;
    for (const long entry : now > before ? walk.initialNeverDueFrom(t) : std::vector<long>{})
        if (initialReported.insert(entry).second) initial.push_back(entry);
    if (!initial.empty())
        effects << QStringLiteral("the initial orders due in %1 never fall due")
                       .arg(PeriodRange(initial.front(), initial.back()));
    return effects.join(QStringLiteral(" and "));
}

// Warns for each change of delay that makes placed orders fall due twice or never. Versions
// where each order falls due once have nothing to fear from a change.
void WarnTwiceOrNever(Collector& found, const SetupRow& setup,
                      const std::vector<DelaySegment>& segments, const FlowColumns& flow) {
    if (OrdersFallDueOnce(setup.setup)) return;
    const DueWalk walk(setup, segments, flow);
    std::set<long> initialReported;
    for (long t = 2; t <= walk.periods(); ++t) {
        if (walk.delayIn(t) == walk.delayIn(t - 1)) continue;
        const QString effect = TwiceOrNever(walk, t, initialReported);
        if (effect.isEmpty()) continue;
        found.onSetup(Severity::Warns, setup, QStringLiteral("DelayScenario"),
                      QStringLiteral("the %1 delay changes from %2 to %3 in period %4, so %5 (with "
                                     "OrdersDueOnce TRUE each order falls due once).")
                          .arg(QString::fromLatin1(flow.name))
                          .arg(walk.delayIn(t - 1))
                          .arg(walk.delayIn(t))
                          .arg(t)
                          .arg(effect));
    }
}

// A flow's schedule: its sums of lengths, its end and its changes of delay (the last two
// only from sums that fit).
void ScheduleRules(Collector& found, const SetupRow& setup,
                   const std::vector<DelaySegment>& segments, const FlowColumns& flow) {
    const QString name = QString::fromLatin1(flow.name);
    const std::optional<double> end =
        ScheduleEnd(found, setup, segments, flow.length, name + QStringLiteral("DelayLength"));
    WarnEarlyEnd(found, setup, end, name);
    if (end) WarnTwiceOrNever(found, setup, segments, flow);
}

// A delay is at least 1 period (an order with a delay of 0 would fall due before it exists);
// a segment lasts no negative number of periods.
void SegmentRanges(Collector& found, const SetupRow& setup, const DelaySegment& segment,
                   int number) {
    struct Range {
        const char* column;
        double DelaySegment::*field;
        double least;
    };
    static const Range kRanges[] = {
        {"inflowDelayValue", &DelaySegment::inflowValue, 1},
        {"inflowDelayLength", &DelaySegment::inflowLength, 0},
        {"outflowDelayValue", &DelaySegment::outflowValue, 1},
        {"outflowDelayLength", &DelaySegment::outflowLength, 0},
    };
    for (const Range& range : kRanges) {
        const double value = segment.*range.field;
        if (value >= range.least && value <= kMostPeriods) continue;
        const QString column = QString::fromLatin1(range.column);
        found.add(
            Severity::Refuses, kDelayTable, segment.row, column,
            OutOfRange(value, range.least, kMostPeriods, column,
                       DelayScenarioPlace(setup.setup) + QStringLiteral(", segment %1").arg(number))
                .message());
    }
}

QString LabelPlace(const SetupRow& setup) {
    return VersionName(setup.version) + QStringLiteral(" in ") + kLabelTable;
}

// The label with the highest number, whose caption gives the top of the tank's scale.
const LabelRow* TopLabel(const std::vector<LabelRow>& labels) {
    const LabelRow* top = nullptr;
    for (const LabelRow& label : labels) {
        if (label.number && (!top || *label.number > *top->number)) top = &label;
    }
    return top;
}

// Captions are taken in label order for marks 1 to numMarks, so other numbers shift them.
void WarnLabels(Collector& found, const SetupRow& setup, const std::vector<LabelRow>& labels) {
    const int marks = setup.setup.numMarks;
    const QString place = LabelPlace(setup);
    std::map<double, int> rowOfNumber;
    for (const LabelRow& label : labels) {
        if (!label.name) {
            found.add(Severity::Warns, kLabelTable, label.row, QStringLiteral("LabelName"),
                      place + QStringLiteral(": a label has no caption; its mark shows none."));
        }
        if (!label.number) continue;
        const double number = *label.number;
        if (number != runtime::RoundHalfEven(number) || number < 1 || number > marks) {
            found.add(Severity::Warns, kLabelTable, label.row, QStringLiteral("LabelNumber"),
                      place + QStringLiteral(": LabelNumber %1 is not a whole number from 1 to "
                                             "%2 (numMarks); the captions would not match the "
                                             "marks.")
                                  .arg(NumberForMessage(number))
                                  .arg(marks));
        }
        if (const auto [earlier, added] = rowOfNumber.try_emplace(number, label.row); !added) {
            found.add(Severity::Warns, kLabelTable, label.row, QStringLiteral("LabelNumber"),
                      place + QStringLiteral(": LabelNumber %1 is also in row %2; the order of "
                                             "their captions is not defined.")
                                  .arg(NumberForMessage(number))
                                  .arg(earlier->second));
        }
    }
    if (static_cast<int>(labels.size()) < marks) {
        found.onSetup(Severity::Warns, setup, QStringLiteral("numMarks"),
                      QStringLiteral("%1 labels in tblLabels, fewer than its %2 marks; the "
                                     "marks above them show no caption.")
                          .arg(labels.size())
                          .arg(marks));
    }
}

// The goal line is drawn on the tank's scale, from 0 at the bottom to the top label's amount.
void WarnGoalOffScale(Collector& found, const SetupRow& setup, double topValue) {
    const double goal = setup.setup.GoalLinePosition;
    if (!(topValue > 0) || (goal >= 0 && goal <= topValue)) return;
    found.onSetup(Severity::Warns, setup, QStringLiteral("GoalLinePoisition"),
                  QStringLiteral("GoalLinePoisition %1 is outside the tank's scale 0 to %2 (the "
                                 "top label); the goal line would be drawn off the tank.")
                      .arg(NumberForMessage(goal), NumberForMessage(topValue)));
}

}  // namespace

Findings SetupRules(const SetupRow& setup) {
    Collector found;
    PeriodRules(found, setup);
    ScreenRules(found, setup);
    WarnBelow(found, setup,
              {{"simTimeForTP", &ExperimentSetupRecord::simTimeForTP, 0, false,
                "a period must last longer than 0 (the environment's rates are multiplied by "
                "it)"}});
    if (!setup.setup.graphicalMode) {
        WarnBelow(found, setup,
                  {{"RHEIGHT", &ExperimentSetupRecord::RHEIGHT, 0, false,
                    "a person's block must be more than 0 pixels high"},
                   {"RWIDTH", &ExperimentSetupRecord::RWIDTH, 0, false,
                    "a person's block must be more than 0 pixels wide"}});
    }
    if (!setup.setup.IsBonusOnTimeGap) {
        const char* why = "the bonus band around the goal would be empty or leave out the goal";
        WarnBelow(
            found, setup,
            {{"UpperBoundFromGoal", &ExperimentSetupRecord::UpperBoundFromGoal, 0, true, why},
             {"LowerBoundFromGoal", &ExperimentSetupRecord::LowerBoundFromGoal, 0, true, why}});
    }
    return found.take();
}

Findings DelayRules(const SetupRow& setup, const std::vector<DelaySegment>& segments) {
    Collector found;
    const QString keyColumn = QStringLiteral("DelayScenario");
    if (segments.empty()) {
        found.add(Severity::Refuses, kSetupTable, setup.row, keyColumn,
                  DelayScenarioName(setup.setup) + QStringLiteral(" has no rows in ") +
                      kDelayTable + QLatin1Char('.'));
        return found.take();
    }
    const int fit = setup.setup.MaxNumberOfAScenarioType + 1;
    if (static_cast<int>(segments.size()) > fit) {
        found.add(Severity::Refuses, kSetupTable, setup.row, keyColumn,
                  QStringLiteral("%1 has %2 segments, more than the %3 that "
                                 "MaxNumberOfAScenarioType (%4) allows.")
                      .arg(DelayScenarioPlace(setup.setup))
                      .arg(segments.size())
                      .arg(std::max(fit, 0))
                      .arg(setup.setup.MaxNumberOfAScenarioType));
    }
    const std::size_t before = found.size();
    for (std::size_t i = 0; i < segments.size(); ++i) {
        SegmentRanges(found, setup, segments[i], static_cast<int>(i) + 1);
    }
    // Sums of lengths out of range say nothing new.
    if (found.size() > before) return found.take();
    ScheduleRules(found, setup, segments, kInflowColumns);
    ScheduleRules(found, setup, segments, kOutflowColumns);
    found.add(
        InitialOrderRules(setup, segments.front().inflowValue, segments.front().outflowValue));
    return found.take();
}

namespace {

// An initial order would have to arrive in the period it starts in, which the program cannot do.
QString InitialOrderFix(const SetupRow& setup, const QString& initialColumn, double initialAmount,
                        const QString& delayColumn) {
    return QStringLiteral(
               "%1: %2 is %3, but the first segment of delay scenario %4 in "
               "tblDelayScenarios has %5 1, so the initial orders would have to arrive "
               "in the period they start in; set %2 to 0, or make the first segment's "
               "%5 at least 2.")
        .arg(SetupPlace(setup), initialColumn, NumberForMessage(initialAmount))
        .arg(setup.setup.DelayScenario)
        .arg(delayColumn);
}

}  // namespace

Findings InitialOrderRules(const SetupRow& setup, double startingInflowDelay,
                           double startingOutflowDelay) {
    // The text the login has always shown for this before it ends the program.
    const QString message = QStringLiteral(
        "Value of inFlowTPAfter or outFlowTPAfter is 1 and your initial Back or Forward orders "
        "are not set to 0");
    Findings found;
    const ExperimentSetupRecord& s = setup.setup;
    if (s.InitialBackOrder != 0 && runtime::RoundHalfEven(startingInflowDelay) == 1) {
        const QString column = QStringLiteral("InitialBackOrder");
        found.push_back({Severity::EndsProgram, kSetupTable, setup.row, column, message,
                         InitialOrderFix(setup, column, s.InitialBackOrder,
                                         QStringLiteral("inflowDelayValue"))});
    }
    if (s.InitialForwardDischarge != 0 && runtime::RoundHalfEven(startingOutflowDelay) == 1) {
        const QString column = QStringLiteral("InitialForwardDischarge");
        found.push_back({Severity::EndsProgram, kSetupTable, setup.row, column, message,
                         InitialOrderFix(setup, column, s.InitialForwardDischarge,
                                         QStringLiteral("outflowDelayValue"))});
    }
    return found;
}

Findings ScenarioRules(const SetupRow& setup, const std::vector<ScenarioRow>& rows) {
    Collector found;
    const QString place = ScenarioPlace(setup.setup);
    if (rows.empty()) {
        found.add(Severity::Refuses, kSetupTable, setup.row, QStringLiteral("ScenarioUsed"),
                  ScenarioName(setup.setup) + QStringLiteral(" has no rows in ") + kScenarioTable +
                      QLatin1Char('.'));
        return found.take();
    }
    const int lastPeriod = setup.setup.MaxNumberOfAScenarioType + 1;
    std::map<std::int32_t, int> rowOfPeriod;
    for (const ScenarioRow& row : rows) {
        if (row.trial < 0 || row.trial > lastPeriod) {
            found.add(Severity::Refuses, kScenarioTable, row.row, QStringLiteral("Trial"),
                      QStringLiteral("%1: Trial is %2, outside the range 0 to %3 "
                                     "(MaxNumberOfAScenarioType + 1).")
                          .arg(place)
                          .arg(row.trial)
                          .arg(lastPeriod));
        }
        // The rates are stored by period, so a later row silently replaces an earlier one.
        if (const auto [earlier, added] = rowOfPeriod.try_emplace(row.trial, row.row); !added) {
            found.add(Severity::Warns, kScenarioTable, row.row, QStringLiteral("Trial"),
                      QStringLiteral("%1: Trial %2 is also in row %3; the program would use only "
                                     "this later row.")
                          .arg(place)
                          .arg(row.trial)
                          .arg(earlier->second));
        }
    }
    return found.take();
}

Findings LabelRules(const SetupRow& setup, const std::vector<LabelRow>& labels) {
    Collector found;
    if (!setup.setup.graphicalMode) return found.take();
    const LabelRow* top = TopLabel(labels);
    if (!top) {
        found.add(Severity::Refuses, kLabelTable, 0, QStringLiteral("version"),
                  VersionName(setup.version) +
                      (labels.empty() ? QStringLiteral(" has no labels")
                                      : QStringLiteral(" has no label with a LabelNumber")) +
                      QStringLiteral(" in tblLabels, so the top of the tank's scale would be 0."));
        return found.take();
    }
    const QString caption = top->name.value_or(QString());
    const double topValue = runtime::LeadingNumber(caption);
    if (topValue == 0 || !std::isfinite(topValue)) {
        found.add(Severity::Refuses, kLabelTable, top->row, QStringLiteral("LabelName"),
                  QStringLiteral("%1: the top label %2 reads as %3; it must start with the "
                                 "amount at the top of the tank, a number other than 0.")
                      .arg(LabelPlace(setup), Quoted(caption), NumberForMessage(topValue)));
    }
    if (setup.setup.numMarks >= 1 && setup.setup.numMarks <= kMostMarks) {
        WarnLabels(found, setup, labels);
    }
    WarnGoalOffScale(found, setup, topValue);
    return found.take();
}

Findings DuplicateVersionRules(const std::vector<std::pair<int, QString>>& versions) {
    Collector found;
    for (auto later = versions.begin(); later != versions.end(); ++later) {
        const auto earlier = std::find_if(versions.begin(), later, [&](const auto& version) {
            return !later->second.isEmpty() &&
                   version.second.compare(later->second, Qt::CaseInsensitive) == 0;
        });
        if (earlier == later) continue;
        found.add(Finding{Severity::Warns, kSetupTable, later->first, QStringLiteral("Version"),
                          QStringLiteral("%1 in tblSetup: also in row %2; the program would load "
                                         "only the first of them.")
                              .arg(VersionName(later->second))
                              .arg(earlier->first),
                          QString(), earlier->first});
    }
    return found.take();
}

QString ScenarioName(const ExperimentSetupRecord& setup) {
    return QStringLiteral("Environment scenario %1").arg(setup.ScenarioUsed);
}

QString ScenarioPlace(const ExperimentSetupRecord& setup) {
    return ScenarioName(setup) + QStringLiteral(" in ") + kScenarioTable;
}

QString DelayScenarioName(const ExperimentSetupRecord& setup) {
    return QStringLiteral("Delay scenario %1").arg(setup.DelayScenario);
}

QString DelayScenarioPlace(const ExperimentSetupRecord& setup) {
    return DelayScenarioName(setup) + QStringLiteral(" in ") + kDelayTable;
}

void RequireNoRefusal(const Findings& findings) {
    for (const Finding& finding : findings) {
        if (finding.severity == Severity::Refuses) throw ConfigError(finding.message);
    }
}

bool HasSeverity(const Findings& findings, Severity severity) {
    return std::any_of(findings.begin(), findings.end(),
                       [&](const Finding& finding) { return finding.severity == severity; });
}

}  // namespace config
