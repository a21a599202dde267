#include "tool/data/Check.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <type_traits>

#include "accounts/StoredPassword.h"
#include "config/ReadRules.h"
#include "config/Setup.h"
#include "db/Location.h"
#include "runtime/NumberText.h"
#include "station/StationServer.h"
#include "tool/common/Counted.h"
#include "tool/common/TableData.h"

namespace tool {

namespace {

using config::Severity;

const QString kSetup = QStringLiteral("tblSetup");
const QString kScenarios = QStringLiteral("tblScenarios");
const QString kDelays = QStringLiteral("tblDelayScenarios");
const QString kLabels = QStringLiteral("tblLabels");
const QString kPasswords = QStringLiteral("tblPasswords");
const QString kDatabaseFile = QStringLiteral("database file");
const QString kStationFile = QStringLiteral("station file");

// Enough to show where the damage is; the rest follows from the same pages.
constexpr int kFaultsListed = 20;

std::optional<double> Number(const QVariant& value) {
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double)
        return value.toDouble();
    return std::nullopt;
}

// A table held in memory in row order, with its schema columns.
struct Table {
    QString name;
    std::vector<TableColumn> columns;
    Rows rows;

    Table(db::Connection& connection, const QString& table)
        : name(table),
          columns(ColumnsOf(connection, table)),
          rows(connection, QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                               .arg(db::QuoteIdentifier(table), connection.rowKey())) {}

    bool has(const QString& column) const {
        return std::any_of(columns.begin(), columns.end(), [&](const TableColumn& c) {
            return c.name.compare(column, Qt::CaseInsensitive) == 0;
        });
    }
    const QVariant& at(int row, const QString& column) const { return rows.at(row, column); }
    std::optional<double> number(int row, const QString& column) const {
        return has(column) ? Number(at(row, column)) : std::nullopt;
    }
    QString text(int row, const QString& column) const {
        return has(column) ? at(row, column).toString() : QString();
    }
    // The value of a cell as the program's readers take it; a missing column is a ConfigError.
    QVariant cell(int row, const QString& column, const QString& where) const {
        if (!has(column)) throw config::MissingColumn(column, where);
        return at(row, column);
    }
};

const QString kPassword = QStringLiteral("password");

// What is wrong with an account's stored password, or an empty text. A clear one from an
// earlier program still opens, but anyone who can read the file can read it.
QString PasswordProblem(const QString& user, const QString& stored) {
    const QString passwd = QStringLiteral("fluxmere-db passwd DATABASE '%1'").arg(user);
    if (stored.isEmpty()) return QStringLiteral("no password: this account cannot end a session");
    QString fault;
    switch (accounts::FormOf(stored, &fault)) {
        case accounts::StoredForm::Hashed:
            return {};
        case accounts::StoredForm::Plain:
            return QStringLiteral("the password is stored in clear; store it hashed with: ") +
                   passwd;
        case accounts::StoredForm::Malformed:
            break;
    }
    return QStringLiteral(
               "the stored password cannot be read (%1): this account cannot end a "
               "session; set it again with: %2")
        .arg(fault, passwd);
}

// The tables a version's rules look into beside its setup row, read whole.
class RuleTables {
  public:
    explicit RuleTables(db::Connection& connection)
        : scenarios(connection, kScenarios),
          delays(connection, kDelays),
          labels(connection, kLabels) {}

    // What the rule book says of a version: its setup, its scenario, its delay scenario and
    // its labels.
    config::Findings findingsOf(const config::SetupRow& setup) const {
        config::Findings findings = config::SetupRules(setup);
        const auto add = [&](const config::Findings& more) {
            findings.insert(findings.end(), more.begin(), more.end());
        };
        if (const auto periods = scenarioRows(setup.setup.ScenarioUsed))
            add(config::ScenarioRules(setup, *periods));
        if (const auto segments = delaySegments(setup.setup.DelayScenario))
            add(config::DelayRules(setup, *segments));
        add(config::LabelRules(setup, labelRows(setup.version)));
        return findings;
    }

    Table scenarios, delays, labels;

  private:
    // The rows of a scenario key in table order, as the program selects them.
    template <typename Read, typename Row = typename std::invoke_result_t<Read, int>::value_type>
    std::optional<std::vector<Row>> rowsOf(const Table& table, const QString& keyColumn, double key,
                                           Read&& read) const {
        std::vector<Row> rows;
        for (int r = 0; r < table.rows.size(); ++r) {
            if (table.number(r, keyColumn) != key) continue;
            const auto value = read(r);
            // A cell the rules need cannot be read: reported with the cells already.
            if (!value) return std::nullopt;
            rows.push_back(*value);
        }
        return rows;
    }

    std::optional<std::vector<config::ScenarioRow>> scenarioRows(double key) const {
        return rowsOf(scenarios, QStringLiteral("Scenario"), key,
                      [&](int r) -> std::optional<config::ScenarioRow> {
                          const auto trial = scenarios.number(r, QStringLiteral("Trial"));
                          const double whole = trial ? runtime::RoundHalfEven(*trial) : 0;
                          if (!trial || whole < std::numeric_limits<std::int32_t>::min() ||
                              whole > std::numeric_limits<std::int32_t>::max())
                              return std::nullopt;
                          return config::ScenarioRow{r + 1, static_cast<std::int32_t>(whole)};
                      });
    }

    // In the order the login takes them: by SegmentNumber, where the file has that column.
    std::optional<std::vector<config::DelaySegment>> delaySegments(double key) const {
        auto segments = rowsOf(
            delays, QStringLiteral("DelayScenario"), key,
            [&](int r) -> std::optional<config::DelaySegment> {
                const auto value = [&](const char* column) {
                    return delays.number(r, QString::fromLatin1(column));
                };
                const auto inValue = value("inflowDelayValue");
                const auto inLength = value("inflowDelayLength");
                const auto outValue = value("outflowDelayValue");
                const auto outLength = value("outflowDelayLength");
                if (!inValue || !inLength || !outValue || !outLength) return std::nullopt;
                return config::DelaySegment{r + 1, *inValue, *inLength, *outValue, *outLength};
            });
        if (!segments) return segments;
        const QString numberColumn = db::FindTable(kDelays)->order.column;
        std::vector<QVariant> numbers;
        for (const config::DelaySegment& segment : *segments)
            numbers.push_back(delays.has(numberColumn) ? delays.at(segment.row - 1, numberColumn)
                                                       : QVariant());
        return db::InNumberOrder(*segments, numbers);
    }

    std::vector<config::LabelRow> labelRows(const QString& version) const {
        std::vector<config::LabelRow> rows;
        for (int l = 0; l < labels.rows.size(); ++l) {
            if (labels.text(l, QStringLiteral("version")).compare(version, Qt::CaseInsensitive))
                continue;
            const QVariant& name = labels.at(l, QStringLiteral("LabelName"));
            rows.push_back({l + 1, labels.number(l, QStringLiteral("LabelNumber")),
                            name.isNull() ? std::nullopt : std::optional(name.toString())});
        }
        return rows;
    }
};

class Checker {
  public:
    explicit Checker(db::Connection& connection) : setup_(connection, kSetup), rules_(connection) {
        // A station's login never reads the accounts: the server checks a password for it.
        if (connection.holdsOwnersRights()) passwords_.emplace(connection, kPasswords);
    }

    std::vector<Problem> run() {
        for (const Table* table : {&rules_.scenarios, &rules_.delays, &rules_.labels})
            checkCells(*table);
        if (setup_.rows.empty())
            report({Severity::Refuses,
                    kSetup,
                    0,
                    {},
                    QStringLiteral("no versions: the login screen would offer none")});
        checkVersionNames();
        for (int row = 0; row < setup_.rows.size(); ++row) checkVersion(row);
        checkAccounts();
        return problems_;
    }

  private:
    void report(const config::Finding& finding) {
        Problem problem{finding.table,    finding.row,     finding.column,         finding.message,
                        finding.severity, finding.repeats, finding.forExperimenter};
        if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end())
            problems_.push_back(std::move(problem));
    }

    void report(const config::Findings& findings) {
        for (const config::Finding& finding : findings) report(finding);
    }

    // Every number the program reads must be there, be a number and fit its field.
    void checkCells(const Table& table) {
        for (int row = 0; row < table.rows.size(); ++row) {
            for (const TableColumn& column : table.columns) {
                const QVariant& value = table.at(row, column.name);
                try {
                    if (column.type == db::ColumnType::Integer)
                        config::ReadInt32(value, column.name, placeOf(table, row, column.name));
                    else if (column.type == db::ColumnType::Double)
                        config::ReadDouble(value, column.name, placeOf(table, row, column.name));
                } catch (const ConfigError& error) {
                    report(
                        {cellSeverity(table), table.name, row + 1, column.name, error.message()});
                }
            }
        }
    }

    // The program reads label numbers only to sort the captions: one it cannot read shifts
    // them, but the version runs.
    Severity cellSeverity(const Table& table) const {
        return &table == &rules_.labels ? Severity::Warns : Severity::Refuses;
    }

    // A row named as the program's loaders name it: by its scenario key and period or
    // segment, or by its version.
    QString placeOf(const Table& table, int row, const QString& column) const {
        if (&table == &rules_.labels)
            return config::VersionName(rules_.labels.text(row, QStringLiteral("version"))) +
                   QStringLiteral(" in ") + kLabels;
        const bool scenario = &table == &rules_.scenarios;
        const QString keyColumn =
            scenario ? QStringLiteral("Scenario") : QStringLiteral("DelayScenario");
        const std::optional<double> key = table.number(row, keyColumn);
        if (!key) return table.name;
        const QString place = QStringLiteral("%1 %2 in %3")
                                  .arg(scenario ? QStringLiteral("Environment scenario")
                                                : QStringLiteral("Delay scenario"),
                                       config::NumberForMessage(*key), table.name);
        if (!scenario) return place + QStringLiteral(", segment %1").arg(segmentOf(row, *key));
        const std::optional<double> trial = table.number(row, QStringLiteral("Trial"));
        if (column.compare(QStringLiteral("Trial"), Qt::CaseInsensitive) == 0 || !trial)
            return place;
        return place + QStringLiteral(", Trial %1")
                           .arg(config::NumberForMessage(runtime::RoundHalfEven(*trial)));
    }

    // The segment a row of tblDelayScenarios is in its delay scenario, counted from 1.
    int segmentOf(int row, double key) const {
        int segment = 0;
        for (int r = 0; r <= row; ++r)
            if (rules_.delays.number(r, QStringLiteral("DelayScenario")) == key) ++segment;
        return segment;
    }

    // The setup row as the program reads it, or nothing when a column cannot be read (each
    // such column is reported).
    std::optional<config::SetupRow> readSetup(int row) {
        const QString version = setup_.text(row, QStringLiteral("Version"));
        const QString where = config::VersionName(version) + QStringLiteral(" in ") + kSetup;
        const config::CellOf cell = [&](const QString& column) {
            return setup_.cell(row, column, where);
        };
        const auto unreadable = config::UnreadableSetupColumns(cell, where);
        for (const auto& [column, error] : unreadable)
            report({Severity::Refuses, kSetup, row + 1, column, error.message()});
        if (!unreadable.empty()) return std::nullopt;
        return config::SetupRow{version, row + 1, config::ReadSetupRow(cell, where)};
    }

    void checkVersion(int row) {
        if (const std::optional<config::SetupRow> setup = readSetup(row))
            report(rules_.findingsOf(*setup));
    }

    // The login offers versions by name and loads the first row of a name.
    void checkVersionNames() {
        std::vector<std::pair<int, QString>> versions;
        for (int row = 0; row < setup_.rows.size(); ++row) {
            versions.emplace_back(row + 1, setup_.text(row, QStringLiteral("Version")));
            if (versions.back().second.trimmed().isEmpty())
                report({Severity::Warns, kSetup, row + 1, QStringLiteral("Version"),
                        QStringLiteral("no version name")});
        }
        report(config::DuplicateVersionRules(versions));
    }

    // Without an account nobody can end a running session early.
    void checkAccounts() {
        if (!passwords_) return;
        int usable = 0;
        for (int p = 0; p < passwords_->rows.size(); ++p) {
            const QString user = passwords_->text(p, QStringLiteral("username"));
            if (user.isEmpty()) continue;
            const QString stored = passwords_->text(p, kPassword);
            const QString message = PasswordProblem(user, stored);
            if (!message.isEmpty())
                report({Severity::Warns, kPasswords, p + 1, kPassword, message});
            if (accounts::OpensASession(stored)) ++usable;
        }
        if (usable == 0)
            report({Severity::Warns,
                    kPasswords,
                    0,
                    {},
                    QStringLiteral("no experimenter account; add one with: fluxmere-db passwd "
                                   "DATABASE USER")});
    }

    Table setup_;
    RuleTables rules_;
    std::optional<Table> passwords_;
    std::vector<Problem> problems_;
};

}  // namespace

struct VersionRules::Tables {
    RuleTables rules;
};

VersionRules::VersionRules(db::Connection& connection)
    : tables_(std::make_unique<Tables>(Tables{RuleTables(connection)})) {}

VersionRules::~VersionRules() = default;

config::Findings VersionRules::of(const config::SetupRow& setup) const {
    return tables_->rules.findingsOf(setup);
}

QString Problem::text() const {
    QString place = table;
    if (row > 0) place += QStringLiteral(", row %1").arg(row);
    if (!column.isEmpty()) place += QStringLiteral(", column %1").arg(column);
    const QString tag =
        severity == config::Severity::Warns ? QStringLiteral("warning: ") : QString();
    return place + QStringLiteral(": ") + tag + said();
}

std::vector<Problem> CheckConfiguration(db::Connection& connection) {
    return Checker(connection).run();
}

std::vector<Problem> CheckIntegrity(db::Connection& connection) {
    std::vector<Problem> problems;
    for (const QString& fault : connection.checkIntegrity(db::IntegrityDepth::Full, kFaultsListed))
        problems.push_back({kDatabaseFile, 0, {}, QStringLiteral("damaged: ") + fault});
    return problems;
}

StationCheck CheckStation(const QString& stationFile) {
    StationCheck check;
    try {
        check.server = station::ServerOf(stationFile);
    } catch (const db::Error&) {
        return check;  // the file's own check names what is wrong with it
    }
    if (check.server.isEmpty()) return check;
    auto connection = OpenExperimentDatabase(check.server, db::OpenMode::ReadOnly);
    check.login = connection->loginName();
    if (connection->holdsOwnersRights())
        check.problems.push_back(
            {kStationFile,
             0,
             {},
             QStringLiteral("holds the login '%1', which owns the lab's database or is a "
                            "superuser, and every participant account can read this file; give "
                            "the station a login of its own (fluxmere-db grant) and point it there "
                            "(fluxmere-db station)")
                 .arg(check.login)});
    connection.reset();
    for (Problem& problem : CheckDatabase(check.server))
        check.problems.push_back(std::move(problem));
    return check;
}

std::vector<Problem> CheckDatabase(const QString& databasePath) {
    auto connection = OpenExperimentDatabase(databasePath, db::OpenMode::ReadOnly);
    std::vector<Problem> problems = CheckIntegrity(*connection);
    if (problems.empty()) return CheckConfiguration(*connection);
    // The configuration may sit on a damaged page; what can be read is still worth knowing.
    try {
        for (Problem& problem : CheckConfiguration(*connection))
            problems.push_back(std::move(problem));
    } catch (const db::Error& error) {
        problems.push_back(
            {kDatabaseFile,
             0,
             {},
             QStringLiteral("the configuration cannot be read: ") + error.description()});
    }
    return problems;
}

long long Refusals(const std::vector<Problem>& problems) {
    return std::count_if(problems.begin(), problems.end(),
                         [](const Problem& p) { return p.severity != config::Severity::Warns; });
}

QString CheckSummary(const std::vector<Problem>& problems) {
    const long long refusals = Refusals(problems);
    const long long warnings = static_cast<long long>(problems.size()) - refusals;
    QString summary =
        (refusals == 0 ? QStringLiteral("no problems") : Counted(refusals, "problem", "problems")) +
        QStringLiteral(" found");
    if (warnings > 0) summary += QStringLiteral("; ") + Counted(warnings, "warning", "warnings");
    return summary;
}

}  // namespace tool
