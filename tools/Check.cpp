#include "tools/Check.h"

#include <algorithm>
#include <optional>

#include "tools/TableData.h"
#include "ui/NumberText.h"

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
        const double whole = ui::RoundHalfEven(value);
        const double limit = narrow ? 32767 : 2147483647;
        if (whole > limit || whole < -limit - 1)
            report(table, row + 1, column,
                   QStringLiteral("%1 does not fit a %2-bit whole number")
                       .arg(ui::Plain(value))
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

        if (!hasNumbers(row, {"MaxTrial", "MaxNumberOfAScenarioType"})) return;
        const double maxTrial = setup_.number(row, QStringLiteral("MaxTrial"));
        const double lastPeriod =
            setup_.number(row, QStringLiteral("MaxNumberOfAScenarioType")) + 1;
        if (ui::RoundHalfEven(maxTrial) < 1)
            report(kSetup, row + 1, QStringLiteral("MaxTrial"),
                   where(QStringLiteral("MaxTrial must be at least 1")));
        if (ui::RoundHalfEven(maxTrial) > lastPeriod)
            report(kSetup, row + 1, QStringLiteral("MaxTrial"),
                   where(QStringLiteral("MaxTrial %1 is beyond the scenario's periods "
                                        "(MaxNumberOfAScenarioType + 1 = %2)")
                             .arg(ui::Plain(maxTrial), ui::Plain(lastPeriod))));
        if (hasNumbers(row, {"ScenarioUsed"})) checkScenario(row, where, lastPeriod);
        if (hasNumbers(row, {"DelayScenario"})) checkDelayScenario(row, where, lastPeriod);
        if (setup_.at(row, QStringLiteral("graphicalMode")).toLongLong() == -1)
            checkScale(row, version, where);
    }

    template <typename Where>
    void checkScenario(int row, const Where& where, double lastPeriod) {
        const double key = setup_.number(row, QStringLiteral("ScenarioUsed"));
        int count = 0;
        for (int s = 0; s < scenarios_.rows.size(); ++s) {
            if (!Number(scenarios_.at(s, QStringLiteral("Scenario"))) ||
                scenarios_.number(s, QStringLiteral("Scenario")) != key)
                continue;
            ++count;
            const std::optional<double> trial = Number(scenarios_.at(s, QStringLiteral("Trial")));
            if (trial && (ui::RoundHalfEven(*trial) < 0 || ui::RoundHalfEven(*trial) > lastPeriod))
                report(kScenarios, s + 1, QStringLiteral("Trial"),
                       QStringLiteral(
                           "period %1 of scenario %2 is outside periods 0 to %3 of version %4")
                           .arg(ui::Plain(*trial), ui::Plain(key), ui::Plain(lastPeriod),
                                Quoted(setup_.text(row, QStringLiteral("Version")))));
        }
        if (count == 0)
            report(
                kSetup, row + 1, QStringLiteral("ScenarioUsed"),
                where(
                    QStringLiteral("scenario %1 has no rows in tblScenarios").arg(ui::Plain(key))));
    }

    template <typename Where>
    void checkDelayScenario(int row, const Where& where, double lastPeriod) {
        const double key = setup_.number(row, QStringLiteral("DelayScenario"));
        std::vector<int> segments;
        for (int d = 0; d < delays_.rows.size(); ++d)
            if (Number(delays_.at(d, QStringLiteral("DelayScenario"))) &&
                delays_.number(d, QStringLiteral("DelayScenario")) == key)
                segments.push_back(d);
        if (segments.empty()) {
            report(kSetup, row + 1, QStringLiteral("DelayScenario"),
                   where(QStringLiteral("delay scenario %1 has no rows in tblDelayScenarios")
                             .arg(ui::Plain(key))));
            return;
        }
        if (segments.size() > lastPeriod)
            report(kSetup, row + 1, QStringLiteral("DelayScenario"),
                   where(QStringLiteral("delay scenario %1 has %2 segments; at most %3 fit "
                                        "(MaxNumberOfAScenarioType + 1)")
                             .arg(ui::Plain(key))
                             .arg(segments.size())
                             .arg(ui::Plain(lastPeriod))));
        checkStartingDelay(row, where, segments.front(), QStringLiteral("InitialBackOrder"),
                           QStringLiteral("inflowDelayValue"), QStringLiteral("inflow"));
        checkStartingDelay(row, where, segments.front(), QStringLiteral("InitialForwardDischarge"),
                           QStringLiteral("outflowDelayValue"), QStringLiteral("outflow"));
    }

    // The login refuses initial orders that would have to arrive in the period they start in.
    template <typename Where>
    void checkStartingDelay(int row, const Where& where, int firstSegment, const QString& initial,
                            const QString& delayColumn, const QString& flow) {
        const std::optional<double> amount = Number(setup_.at(row, initial));
        const std::optional<double> delay = Number(delays_.at(firstSegment, delayColumn));
        if (amount && delay && *amount != 0 && ui::RoundHalfEven(*delay) == 1)
            report(
                kSetup, row + 1, initial,
                where(QStringLiteral(
                          "%1 is %2 but the starting %3 delay (delay scenario %4) is 1; the login "
                          "would end the program (set %1 to 0 or the delay above 1)")
                          .arg(initial, ui::Plain(*amount), flow,
                               ui::Plain(setup_.number(row, QStringLiteral("DelayScenario"))))));
    }

    template <typename Where>
    void checkScale(int row, const QString& version, const Where& where) {
        if (!hasNumbers(row, {"numMarks"})) return;
        const double marks = ui::RoundHalfEven(setup_.number(row, QStringLiteral("numMarks")));
        if (marks < 1 || marks > 10)
            report(kSetup, row + 1, QStringLiteral("numMarks"),
                   where(QStringLiteral("numMarks %1 is outside 1 to 10 (the tank has ten marks)")
                             .arg(ui::Plain(marks))));
        int count = 0;
        int top = -1;
        for (int l = 0; l < labels_.rows.size(); ++l) {
            if (labels_.text(l, QStringLiteral("version")).compare(version, Qt::CaseInsensitive) !=
                0)
                continue;
            ++count;
            if (top < 0 || labels_.number(l, QStringLiteral("LabelNumber")) >
                               labels_.number(top, QStringLiteral("LabelNumber")))
                top = l;
        }
        if (count < marks)
            report(kSetup, row + 1, QStringLiteral("numMarks"),
                   where(QStringLiteral("%1 labels in tblLabels, fewer than its %2 marks")
                             .arg(count)
                             .arg(ui::Plain(marks))));
        if (top < 0)
            report(kLabels, 0, QStringLiteral("version"),
                   where(QStringLiteral("no labels, so the top of the tank's scale would be 0")));
        else if (ui::LeadingNumber(labels_.text(top, QStringLiteral("LabelName"))) == 0)
            report(kLabels, top + 1, QStringLiteral("LabelName"),
                   where(QStringLiteral("the top label %1 reads as 0; it must start with the "
                                        "amount at the top of the tank")
                             .arg(Quoted(labels_.text(top, QStringLiteral("LabelName"))))));
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
