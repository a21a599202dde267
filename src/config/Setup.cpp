#include "config/Setup.h"

#include <variant>

#include "access/TableAccess.h"
#include "config/ConfigQuery.h"
#include "config/Languages.h"
#include "config/ReadRules.h"
#include "config/RuleBook.h"
#include "core/RunRecord.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "runtime/MessageText.h"

namespace config {

QString VersionName(const QString& version) {
    return QStringLiteral("Version '%1'").arg(runtime::ValueForMessage(version));
}

}  // namespace config

namespace {

using config::ConfigQuery;

using SetupField =
    std::variant<double ExperimentSetupRecord::*, std::int16_t ExperimentSetupRecord::*,
                 std::int32_t ExperimentSetupRecord::*, bool ExperimentSetupRecord::*,
                 QString ExperimentSetupRecord::*>;

struct SetupColumn {
    const char* name;
    SetupField field;
};

// The columns of tblSetup in the order they are read, each with its field.
const SetupColumn kSetupColumns[] = {
    {"MaxTrial", &ExperimentSetupRecord::MaxTrial},
    {"BaseMoney", &ExperimentSetupRecord::BaseMoney},
    {"numMarks", &ExperimentSetupRecord::numMarks},
    {"InitialAmountInTank", &ExperimentSetupRecord::InitialAmountInTank},
    {"GoalLinePoisition", &ExperimentSetupRecord::GoalLinePosition},
    {"InitialBackOrder", &ExperimentSetupRecord::InitialBackOrder},
    {"InitialForwardDischarge", &ExperimentSetupRecord::InitialForwardDischarge},
    {"simTimeForTP", &ExperimentSetupRecord::simTimeForTP},
    {"ScenarioUsed", &ExperimentSetupRecord::ScenarioUsed},
    {"DelayScenario", &ExperimentSetupRecord::DelayScenario},
    {"CostUnderFlowPerAmount", &ExperimentSetupRecord::CostUnderFlowPerAmount},
    {"CostOverFlowPerAmount", &ExperimentSetupRecord::CostOverFlowPerAmount},
    {"BonusAmount", &ExperimentSetupRecord::BonusAmount},
    {"YUnits", &ExperimentSetupRecord::YUnits},
    {"graphicalMode", &ExperimentSetupRecord::graphicalMode},
    {"userDelay", &ExperimentSetupRecord::userDelay},
    {"envDelay", &ExperimentSetupRecord::envDelay},
    {"RHEIGHT", &ExperimentSetupRecord::RHEIGHT},
    {"RWIDTH", &ExperimentSetupRecord::RWIDTH},
    {"UpperBoundFromGoal", &ExperimentSetupRecord::UpperBoundFromGoal},
    {"LowerBoundFromGoal", &ExperimentSetupRecord::LowerBoundFromGoal},
    {"ExperimentTimeForInstructions", &ExperimentSetupRecord::ExperimentTimeForInstructions},
    {"MaxNumberOfAScenarioType", &ExperimentSetupRecord::MaxNumberOfAScenarioType},
    {"IsTimeDriven", &ExperimentSetupRecord::IsTimeDriven},
    {"IsBonusOnTimeGap", &ExperimentSetupRecord::IsBonusOnTimeGap},
    {"ShowBackOrder", &ExperimentSetupRecord::ShowBackOrder},
    {"ShowDischargeOrder", &ExperimentSetupRecord::ShowDischargeOrder},
    {"ShowTimePeriods", &ExperimentSetupRecord::ShowTimePeriods},
    {"deltaTmeBetweenEnvUsr", &ExperimentSetupRecord::deltaTmeBetweenEnvUsr},
    {"TimeBetweenEnvTries", &ExperimentSetupRecord::TimeBetweenEnvTries},
    {"UsrMv", &ExperimentSetupRecord::UsrMv},
    {"EnvMv", &ExperimentSetupRecord::EnvMv},
    {"OrdersDueOnce", &ExperimentSetupRecord::OrdersDueOnce},
    {"Language", &ExperimentSetupRecord::Language},
};

// A column of tblSetup that files of earlier programs lack.
bool IsOptional(const QString& name) {
    for (const db::ColumnDef& column : db::FindTable(QStringLiteral("tblSetup"))->columns)
        if (column.name.compare(name, Qt::CaseInsensitive) == 0) return column.optional;
    return false;
}

// The cell of a column; an optional column reads as empty in a file made before it.
QVariant CellOrEmpty(const config::CellOf& cell, const QString& name) {
    try {
        return cell(name);
    } catch (const ConfigError&) {
        if (!IsOptional(name)) throw;
        return QVariant();
    }
}

void ReadColumn(const QVariant& value, const QString& column, const QString& where,
                ExperimentSetupRecord& setup, const SetupField& field) {
    std::visit(
        [&](auto member) {
            auto& target = setup.*member;
            using Target = std::remove_reference_t<decltype(target)>;
            if constexpr (std::is_same_v<Target, double>) {
                target = config::ReadDouble(value, column, where);
            } else if constexpr (std::is_same_v<Target, std::int16_t>) {
                target = config::ReadInt16(value, column, where);
            } else if constexpr (std::is_same_v<Target, std::int32_t>) {
                target = config::ReadInt32(value, column, where);
            } else if constexpr (std::is_same_v<Target, bool>) {
                target = db::IsTrue(value);
            } else {
                target = config::ReadText(value);
            }
        },
        field);
}

// Reads every column of the row into `setup`; a column that cannot be read goes to
// `unreadable` and the reading goes on.
template <typename Unreadable>
void ReadColumns(const config::CellOf& cell, const QString& where, ExperimentSetupRecord& setup,
                 Unreadable&& unreadable) {
    for (const SetupColumn& column : kSetupColumns) {
        const QString name = QString::fromLatin1(column.name);
        try {
            ReadColumn(CellOrEmpty(cell, name), name, where, setup, column.field);
        } catch (const ConfigError& error) {
            unreadable(name, error);
        }
    }
    setup.AfterEveryNTrials = 1;
}

ExperimentSetupRecord ReadSetup(Run& run, const QString& version) {
    const QString where = config::VersionName(version) + QStringLiteral(" in tblSetup");
    return config::ReportingDatabaseErrors(where, [&] {
        ConfigQuery query(
            run, QStringLiteral("Select * from tblSetup where version=") + SqlText(version));
        if (query.rows().atEnd()) {
            throw ConfigError(config::VersionName(version) +
                              QStringLiteral(" has no row in tblSetup."));
        }
        const ExperimentSetupRecord setup = config::ReadSetupRow(
            [&](const QString& column) { return query.column(column, where); }, where);
        config::RequireNoRefusal(config::SetupRules({version, 0, setup}));
        return setup;
    });
}

}  // namespace

QStringList ReadVersions(Run& run) {
    return config::ReportingDatabaseErrors(QStringLiteral("The version list in tblSetup"), [&] {
        ConfigQuery query(run, QStringLiteral("select Version from tblSetup order by version"),
                          QStringLiteral("Loading versions"));
        QStringList versions;
        for (; !query.rows().atEnd(); query.rows().next()) {
            versions.append(config::ReadText(query.rows().value(QStringLiteral("Version"))));
        }
        return versions;
    });
}

QStringList ReadLanguages(db::Connection& connection) {
    bool hasLanguage = false;
    for (const db::ColumnInfo& column : connection.tableColumns(QStringLiteral("tblSetup")))
        hasLanguage =
            hasLanguage || column.name.compare(QLatin1String("Language"), Qt::CaseInsensitive) == 0;
    QStringList languages;
    db::Statement select =
        connection.prepare(hasLanguage ? QStringLiteral("SELECT Language FROM tblSetup")
                                       : QStringLiteral("SELECT NULL FROM tblSetup"));
    while (select.step()) languages << config::LanguageCode(config::ReadText(select.value(0)));
    return languages;
}

void LoadSetup(Run& run) {
    run.setup = ReadSetup(run, run.state.Version);
}

namespace config {

ExperimentSetupRecord ReadSetupRow(const CellOf& cell, const QString& where) {
    ExperimentSetupRecord setup;
    ReadColumns(cell, where, setup, [](const QString&, const ConfigError& error) { throw error; });
    return setup;
}

std::vector<std::pair<QString, ConfigError>> UnreadableSetupColumns(const CellOf& cell,
                                                                    const QString& where) {
    std::vector<std::pair<QString, ConfigError>> unreadable;
    ExperimentSetupRecord setup;
    ReadColumns(cell, where, setup, [&](const QString& column, const ConfigError& error) {
        unreadable.emplace_back(column, error);
    });
    return unreadable;
}

}  // namespace config
