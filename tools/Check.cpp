#include "tools/Check.h"

#include <algorithm>
#include <map>
#include <optional>

#include "tools/TableData.h"
#include "runtime/NumberText.h"

namespace tool {

namespace {

const QString kSetup = QStringLiteral("tblSetup");
const QString kScenarios = QStringLiteral("tblScenarios");
const QString kDelays = QStringLiteral("tblDelayScenarios");
const QString kLabels = QStringLiteral("tblLabels");
const QString kPasswords = QStringLiteral("tblPasswords");

// Integer columns the program reads into 16-bit fields; the others are 32-bit.
const QStringList kSixteenBit = {"numMarks", "ScenarioUsed", "DelayScenario",
                                 "MaxNumberOfAScenarioType"};

std::optional<double> Number(const QVariant& value) {
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double)
        return value.toDouble();
    return std::nullopt;
}

// A boolean column is true exactly when it holds the engine's true value, -1.
bool IsTrue(const QVariant& value) {
    bool ok = false;
    const double x = value.toDouble(&ok);
    return !value.isNull() && ok && x == -1;
}

// The login reads delays and segment lengths as periods counted in 16 bits.
constexpr double kMostPeriods = 32767;

// A number as the program's own refusals write it: 0.6, 40000, -1.
QString Figure(double x) {
    return QString::number(x, 'g', 15);
}

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// A table held in memory in row order, with its schema columns.
struct Table {
    QString name;
    std::vector<TableColumn> columns;
    Rows rows;

    Table(db::Connection& connection, const QString& table)
        : name(table),
          columns(ColumnsOf(connection, table)),
          rows(connection,
               QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(db::QuoteIdentifier(table))) {}

    const QVariant& at(int row, const QString& column) const { return rows.at(row, column); }
    double number(int row, const QString& column) const { return at(row, column).toDouble(); }
    QString text(int row, const QString& column) const { return at(row, column).toString(); }
};

class Checker {
  public:
    explicit Checker(db::Connection& connection)
        : setup_(connection, kSetup),
          scenarios_(connection, kScenarios),
          delays_(connection, kDelays),
          labels_(connection, kLabels),
          passwords_(connection, kPasswords) {}

    std::vector<Problem> run() {
        for (const Table* table : {&setup_, &scenarios_, &delays_, &labels_}) checkValues(*table);
        if (setup_.rows.empty())
            report(kSetup, 0, {}, QStringLiteral("no versions: the login screen would offer none"));
        for (int row = 0; row < setup_.rows.size(); ++row) checkVersion(row);
        checkLabelCaptions();
        checkAccounts();
        return problems_;
    }

  private:
    void report(const QString& table, int row, const QString& column, const QString& message) {
        Problem problem{table, row, column, message};
        if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end())
            problems_.push_back(std::move(problem));
    }

    // Every number the program reads must be there, be a number and fit its field.
    void checkValues(const Table& table) {
        for (int row = 0; row < table.rows.size(); ++row) {
            for (const TableColumn& column : table.columns) {
                if (column.type != db::ColumnType::Integer && column.type != db::ColumnType::Double)
                    continue;
                const QVariant& value = table.at(row, column.name);
                const std::optional<double> number = Number(value);
                if (value.isNull())
                    report(table.name, row + 1, column.name, QStringLiteral("no value"));
                else if (!number)
                    report(table.name, row + 1, column.name,
                           Quoted(value.toString()) + QStringLiteral(" is not a number"));
                else if (column.type == db::ColumnType::Integer)
                    checkWidth(table.name, row, column.name, *number);
            }
        }
    }

    void checkWidth(const QString& table, int row, const QString& column, double value) {
        const bool narrow = table == kSetup && kSixteenBit.contains(column, Qt::CaseInsensitive);
        const double whole = runtime::RoundHalfEven(value);
        const double limit = narrow ? 32767 : 2147483647;
        if (whole > limit || whole < -limit - 1)
            report(table, row + 1, column,
                   QStringLiteral("%1 does not fit a %2-bit whole number")
                       .arg(Figure(value))
                       .arg(narrow ? 16 : 32));
    }

    bool hasNumbers(int row, const QStringList& columns) const {
        return std::all_of(columns.begin(), columns.end(),
                           [&](const QString& c) { return Number(setup_.at(row, c)).has_value(); });
    }

    void checkVersion(int row) {
        const QString version = setup_.text(row, QStringLiteral("Version"));
        const auto where = [&](const QString& what) {
            return QStringLiteral("version %1: %2").arg(Quoted(version), what);
        };
        if (version.trimmed().isEmpty())
            report(kSetup, row + 1, QStringLiteral("Version"), QStringLiteral("no version name"));
        for (int earlier = 0; earlier < row; ++earlier)
            if (!version.isEmpty() && setup_.text(earlier, QStringLiteral("Version"))
                                              .compare(version, Qt::CaseInsensitive) == 0) {
                report(
                    kSetup, row + 1, QStringLiteral("Version"),
                    where(QStringLiteral("also in row %1; the program would load only one of them")
                              .arg(earlier + 1)));
                break;
            }

        checkRunSettings(row, where);
        if (!hasNumbers(row, {"MaxTrial", "MaxNumberOfAScenarioType"})) return;
        const double maxTrial = setup_.number(row, QStringLiteral("MaxTrial"));
        const double scenarioType =
            runtime::RoundHalfEven(setup_.number(row, QStringLiteral("MaxNumberOfAScenarioType")));
        if (runtime::RoundHalfEven(maxTrial) < 1)
            report(kSetup, row + 1, QStringLiteral("MaxTrial"),
                   where(QStringLiteral("MaxTrial must be at least 1")));
        // Without the scenario's arrays nothing else can be measured against them.
        std::optional<double> lastPeriod;
        if (scenarioType < 0)
            report(kSetup, row + 1, QStringLiteral("MaxNumberOfAScenarioType"),
                   where(QStringLiteral("MaxNumberOfAScenarioType is %1; it must be at least 0 "
                                        "(the scenario's periods run from 0 to "
                                        "MaxNumberOfAScenarioType + 1)")
                             .arg(Figure(scenarioType))));
        else
            lastPeriod = scenarioType + 1;
        if (lastPeriod && runtime::RoundHalfEven(maxTrial) > *lastPeriod)
            report(kSetup, row + 1, QStringLiteral("MaxTrial"),
                   where(QStringLiteral("MaxTrial %1 is beyond the scenario's periods "
                                        "(MaxNumberOfAScenarioType + 1 = %2)")
                             .arg(Figure(maxTrial), Figure(*lastPeriod))));
        if (hasNumbers(row, {"ScenarioUsed"})) checkScenario(row, where, lastPeriod);
        if (hasNumbers(row, {"DelayScenario"})) checkDelayScenario(row, where, lastPeriod);
        if (IsTrue(setup_.at(row, QStringLiteral("graphicalMode"))))
            checkScale(row, version, where);
    }

    struct Least {
        const char* column;
        double least;
        bool inclusive;   // the least value itself is allowed
        const char* why;  // what a smaller value would do
    };

    // Settings the program reads without complaint but cannot run sensibly with.
    template <typename Where>
    void checkRunSettings(int row, const Where& where) {
        static const Least kAlways[] = {
            {"simTimeForTP", 0, false,
             "a period must last longer than 0 (the environment's rates are multiplied by it)"}};
        static const Least kDiscrete[] = {
            {"RHEIGHT", 0, false, "a person's block must be more than 0 pixels high"},
            {"RWIDTH", 0, false, "a person's block must be more than 0 pixels wide"}};
        static const Least kBand[] = {
            {"UpperBoundFromGoal", 0, true,
             "the bonus band around the goal would be empty or leave out the goal"},
            {"LowerBoundFromGoal", 0, true,
             "the bonus band around the goal would be empty or leave out the goal"}};
        checkLeast(row, where, kAlways);
        if (!IsTrue(setup_.at(row, QStringLiteral("graphicalMode"))))
            checkLeast(row, where, kDiscrete);
        if (!IsTrue(setup_.at(row, QStringLiteral("IsBonusOnTimeGap"))))
            checkLeast(row, where, kBand);
        // The period clock takes whole milliseconds; below 1 it could not run.
        const std::optional<double> tick =
            Number(setup_.at(row, QStringLiteral("TimeBetweenEnvTries")));
        if (IsTrue(setup_.at(row, QStringLiteral("IsTimeDriven"))) && tick &&
            !(runtime::RoundHalfEven(*tick) >= 1))
            report(kSetup, row + 1, QStringLiteral("TimeBetweenEnvTries"),
                   where(QStringLiteral("TimeBetweenEnvTries is %1 ms; a version that runs on a "
                                        "clock (IsTimeDriven) needs at least 1 ms")
                             .arg(Figure(*tick))));
    }

    template <typename Where, std::size_t N>
    void checkLeast(int row, const Where& where, const Least (&rules)[N]) {
        for (const Least& rule : rules) {
            const QString column = QString::fromLatin1(rule.column);
            const std::optional<double> value = Number(setup_.at(row, column));
            if (value && (rule.inclusive ? *value < rule.least : *value <= rule.least))
                report(kSetup, row + 1, column,
                       where(QStringLiteral("%1 is %2; %3")
                                 .arg(column, Figure(*value), QString::fromLatin1(rule.why))));
        }
    }

    template <typename Where>
    void checkScenario(int row, const Where& where, std::optional<double> lastPeriod) {
        const double key = setup_.number(row, QStringLiteral("ScenarioUsed"));
        int count = 0;
        std::map<double, int> rowOfPeriod;
        for (int s = 0; s < scenarios_.rows.size(); ++s) {
            if (!Number(scenarios_.at(s, QStringLiteral("Scenario"))) ||
                scenarios_.number(s, QStringLiteral("Scenario")) != key)
                continue;
            ++count;
            const std::optional<double> trial = Number(scenarios_.at(s, QStringLiteral("Trial")));
            if (!trial) continue;
            const double period = runtime::RoundHalfEven(*trial);
            if (lastPeriod && (period < 0 || period > *lastPeriod))
                report(kScenarios, s + 1, QStringLiteral("Trial"),
                       QStringLiteral(
                           "period %1 of scenario %2 is outside periods 0 to %3 of version %4")
                           .arg(Figure(*trial), Figure(key), Figure(*lastPeriod),
                                Quoted(setup_.text(row, QStringLiteral("Version")))));
            // The rates are stored by period, so a later row silently replaces an earlier one.
            if (const auto [earlier, added] = rowOfPeriod.try_emplace(period, s); !added)
                report(kScenarios, s + 1, QStringLiteral("Trial"),
                       QStringLiteral("period %1 of scenario %2 is also in row %3; the program "
                                      "would use only this later row")
                           .arg(Figure(period), Figure(key))
                           .arg(earlier->second + 1));
        }
        if (count == 0)
            report(
                kSetup, row + 1, QStringLiteral("ScenarioUsed"),
                where(QStringLiteral("scenario %1 has no rows in tblScenarios").arg(Figure(key))));
    }

    template <typename Where>
    void checkDelayScenario(int row, const Where& where, std::optional<double> lastPeriod) {
        const double key = setup_.number(row, QStringLiteral("DelayScenario"));
        std::vector<int> segments;
        for (int d = 0; d < delays_.rows.size(); ++d)
            if (Number(delays_.at(d, QStringLiteral("DelayScenario"))) &&
                delays_.number(d, QStringLiteral("DelayScenario")) == key)
                segments.push_back(d);
        if (segments.empty()) {
            report(kSetup, row + 1, QStringLiteral("DelayScenario"),
                   where(QStringLiteral("delay scenario %1 has no rows in tblDelayScenarios")
                             .arg(Figure(key))));
            return;
        }
        if (lastPeriod && segments.size() > *lastPeriod)
            report(kSetup, row + 1, QStringLiteral("DelayScenario"),
                   where(QStringLiteral("delay scenario %1 has %2 segments; at most %3 fit "
                                        "(MaxNumberOfAScenarioType + 1)")
                             .arg(Figure(key))
                             .arg(segments.size())
                             .arg(Figure(*lastPeriod))));
        for (int segment : segments) checkSegment(segment, key);
        checkStartingDelay(row, where, segments.front(), QStringLiteral("InitialBackOrder"),
                           QStringLiteral("inflowDelayValue"), QStringLiteral("inflow"));
        checkStartingDelay(row, where, segments.front(), QStringLiteral("InitialForwardDischarge"),
                           QStringLiteral("outflowDelayValue"), QStringLiteral("outflow"));
        checkScheduleEnd(row, where, segments, QStringLiteral("inflowDelayLength"),
                         QStringLiteral("inflow"));
        checkScheduleEnd(row, where, segments, QStringLiteral("outflowDelayLength"),
                         QStringLiteral("outflow"));
    }

    // An order falls due at the earliest in the period it is placed (a delay of 1); with a
    // smaller delay it would fall due before it exists and never arrive.
    void checkSegment(int segment, double key) {
        static const Least kPeriods[] = {
            {"inflowDelayValue", 1, true, "a delay must be at least 1 period"},
            {"inflowDelayLength", 0, true, "a segment cannot last a negative number of periods"},
            {"outflowDelayValue", 1, true, "a delay must be at least 1 period"},
            {"outflowDelayLength", 0, true, "a segment cannot last a negative number of periods"},
        };
        for (const Least& rule : kPeriods) {
            const QString column = QString::fromLatin1(rule.column);
            const std::optional<double> periods = Number(delays_.at(segment, column));
            if (!periods) continue;
            const QString what = QStringLiteral("delay scenario %1: %2 is %3; ")
                                     .arg(Figure(key), column, Figure(*periods));
            if (*periods < rule.least)
                report(kDelays, segment + 1, column, what + QString::fromLatin1(rule.why));
            else if (*periods > kMostPeriods)
                report(kDelays, segment + 1, column,
                       what + QStringLiteral("the program counts at most %1 periods")
                                  .arg(Figure(kMostPeriods)));
        }
    }

    // The schedule ends each segment at the running sum of the lengths, rounded as it goes;
    // once the last segment ends before the last period the delay falls to 0.
    template <typename Where>
    void checkScheduleEnd(int row, const Where& where, const std::vector<int>& segments,
                          const QString& lengthColumn, const QString& flow) {
        const double key = setup_.number(row, QStringLiteral("DelayScenario"));
        double end = 0;
        for (int segment : segments) {
            const std::optional<double> length = Number(delays_.at(segment, lengthColumn));
            if (!length || *length < 0) return;
            end = runtime::RoundHalfEven(end + *length);
            if (end > kMostPeriods) {
                report(kDelays, segment + 1, lengthColumn,
                       QStringLiteral("delay scenario %1: the %2 segments up to this one last %3 "
                                      "periods; the program counts at most %4")
                           .arg(Figure(key), flow, Figure(end), Figure(kMostPeriods)));
                return;
            }
        }
        const std::optional<double> maxTrial = Number(setup_.at(row, QStringLiteral("MaxTrial")));
        if (maxTrial && end < runtime::RoundHalfEven(*maxTrial))
            report(kSetup, row + 1, QStringLiteral("DelayScenario"),
                   where(QStringLiteral("the %1 segments of delay scenario %2 end in period %3, "
                                        "before MaxTrial %4; from period %3 the %1 delay would "
                                        "be 0 and %1 orders would never arrive")
                             .arg(flow, Figure(key), Figure(end),
                                  Figure(runtime::RoundHalfEven(*maxTrial)))));
    }

    // The login refuses initial orders that would have to arrive in the period they start in.
    template <typename Where>
    void checkStartingDelay(int row, const Where& where, int firstSegment, const QString& initial,
                            const QString& delayColumn, const QString& flow) {
        const std::optional<double> amount = Number(setup_.at(row, initial));
        const std::optional<double> delay = Number(delays_.at(firstSegment, delayColumn));
        if (amount && delay && *amount != 0 && runtime::RoundHalfEven(*delay) == 1)
            report(
                kSetup, row + 1, initial,
                where(QStringLiteral(
                          "%1 is %2 but the starting %3 delay (delay scenario %4) is 1; the login "
                          "would end the program (set %1 to 0 or the delay above 1)")
                          .arg(initial, Figure(*amount), flow,
                               Figure(setup_.number(row, QStringLiteral("DelayScenario"))))));
    }

    template <typename Where>
    void checkScale(int row, const QString& version, const Where& where) {
        if (!hasNumbers(row, {"numMarks"})) return;
        const double marks = runtime::RoundHalfEven(setup_.number(row, QStringLiteral("numMarks")));
        if (marks < 1 || marks > 10)
            report(kSetup, row + 1, QStringLiteral("numMarks"),
                   where(QStringLiteral("numMarks %1 is outside 1 to 10 (the tank has ten marks)")
                             .arg(Figure(marks))));
        int count = 0;
        int top = -1;
        std::map<double, int> rowOfNumber;
        for (int l = 0; l < labels_.rows.size(); ++l) {
            if (labels_.text(l, QStringLiteral("version")).compare(version, Qt::CaseInsensitive) !=
                0)
                continue;
            ++count;
            if (top < 0 || labels_.number(l, QStringLiteral("LabelNumber")) >
                               labels_.number(top, QStringLiteral("LabelNumber")))
                top = l;
            if (marks >= 1 && marks <= 10) checkLabelNumber(l, marks, rowOfNumber, where);
        }
        if (count < marks)
            report(kSetup, row + 1, QStringLiteral("numMarks"),
                   where(QStringLiteral("%1 labels in tblLabels, fewer than its %2 marks")
                             .arg(count)
                             .arg(Figure(marks))));
        if (top < 0)
            report(kLabels, 0, QStringLiteral("version"),
                   where(QStringLiteral("no labels, so the top of the tank's scale would be 0")));
        else if (runtime::LeadingNumber(labels_.text(top, QStringLiteral("LabelName"))) == 0)
            report(kLabels, top + 1, QStringLiteral("LabelName"),
                   where(QStringLiteral("the top label %1 reads as 0; it must start with the "
                                        "amount at the top of the tank")
                             .arg(Quoted(labels_.text(top, QStringLiteral("LabelName"))))));
        else
            checkGoalLine(row, runtime::LeadingNumber(labels_.text(top, QStringLiteral("LabelName"))),
                          where);
    }

    // Captions are taken in label order for marks 1 to numMarks and the top label sets the
    // scale, so other numbers shift the captions or stretch the scale.
    template <typename Where>
    void checkLabelNumber(int label, double marks, std::map<double, int>& rowOfNumber,
                          const Where& where) {
        const std::optional<double> number =
            Number(labels_.at(label, QStringLiteral("LabelNumber")));
        if (!number) return;
        if (*number != runtime::RoundHalfEven(*number) || *number < 1 || *number > marks)
            report(kLabels, label + 1, QStringLiteral("LabelNumber"),
                   where(QStringLiteral("LabelNumber %1 is not a whole number from 1 to %2 "
                                        "(numMarks); the captions would not match the marks")
                             .arg(Figure(*number), Figure(marks))));
        if (const auto [earlier, added] = rowOfNumber.try_emplace(*number, label); !added)
            report(kLabels, label + 1, QStringLiteral("LabelNumber"),
                   where(QStringLiteral("LabelNumber %1 is also in row %2; the order of their "
                                        "captions is not defined")
                             .arg(Figure(*number))
                             .arg(earlier->second + 1)));
    }

    // The goal line is drawn at the goal's height on the tank's scale, from 0 at the bottom
    // to the top label's amount at the top edge.
    template <typename Where>
    void checkGoalLine(int row, double topValue, const Where& where) {
        const std::optional<double> goal =
            Number(setup_.at(row, QStringLiteral("GoalLinePoisition")));
        if (!goal || !(topValue > 0) || (*goal >= 0 && *goal <= topValue)) return;
        report(kSetup, row + 1, QStringLiteral("GoalLinePoisition"),
               where(QStringLiteral("GoalLinePoisition %1 is outside the tank's scale 0 to %2 (the "
                                    "top label); the goal line would be drawn off the tank")
                         .arg(Figure(*goal), Figure(topValue))));
    }

    void checkLabelCaptions() {
        for (int l = 0; l < labels_.rows.size(); ++l)
            if (labels_.at(l, QStringLiteral("LabelName")).isNull())
                report(kLabels, l + 1, QStringLiteral("LabelName"), QStringLiteral("no caption"));
    }

    // Without an account nobody can end a running session early.
    void checkAccounts() {
        int usable = 0;
        for (int p = 0; p < passwords_.rows.size(); ++p) {
            if (passwords_.text(p, QStringLiteral("username")).isEmpty()) continue;
            if (passwords_.text(p, QStringLiteral("password")).isEmpty())
                report(kPasswords, p + 1, QStringLiteral("password"),
                       QStringLiteral("no password: this account cannot end a session"));
            else
                ++usable;
        }
        if (usable == 0)
            report(kPasswords, 0, {},
                   QStringLiteral(
                       "no experimenter account; add one with: fluxmere-db passwd DATABASE USER"));
    }

    Table setup_, scenarios_, delays_, labels_, passwords_;
    std::vector<Problem> problems_;
};

}  // namespace

QString Problem::text() const {
    QString place = table;
    if (row > 0) place += QStringLiteral(", row %1").arg(row);
    if (!column.isEmpty()) place += QStringLiteral(", column %1").arg(column);
    return place + QStringLiteral(": ") + message;
}

std::vector<Problem> CheckConfiguration(db::Connection& connection) {
    return Checker(connection).run();
}

std::vector<Problem> CheckDatabase(const QString& databasePath) {
    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadOnly);
    return CheckConfiguration(*connection);
}

}  // namespace tool
