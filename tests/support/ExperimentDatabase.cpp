#include "tests/support/ExperimentDatabase.h"

#include <QStringList>

#include "db/Engine.h"
#include "db/Schema.h"

namespace {

std::map<QString, QString> DefaultSetup() {
    return {
        {"MaxTrial", "12"},
        {"BaseMoney", "5"},
        {"numMarks", "10"},
        {"InitialAmountInTank", "20"},
        {"GoalLinePoisition", "25"},
        {"InitialBackOrder", "0"},
        {"InitialForwardDischarge", "0"},
        {"simTimeForTP", "1"},
        {"ScenarioUsed", "1"},
        {"DelayScenario", "1"},
        {"CostUnderFlowPerAmount", "0"},
        {"CostOverFlowPerAmount", "0"},
        {"BonusAmount", "0.5"},
        {"YUnits", "'Gallons'"},
        {"graphicalMode", "0"},
        {"userDelay", "1"},
        {"envDelay", "1"},
        {"RHEIGHT", "12"},
        {"RWIDTH", "8"},
        {"UpperBoundFromGoal", "5"},
        {"LowerBoundFromGoal", "5"},
        {"ExperimentTimeForInstructions", "0"},
        {"MaxNumberOfAScenarioType", "40"},
        {"IsTimeDriven", "0"},
        {"IsBonusOnTimeGap", "0"},
        {"ShowBackOrder", "-1"},
        {"ShowDischargeOrder", "-1"},
        {"ShowTimePeriods", "-1"},
        {"deltaTmeBetweenEnvUsr", "3000"},
        {"TimeBetweenEnvTries", "1000"},
        {"UsrMv", "1"},
        {"EnvMv", "1"},
    };
}

struct CaseInsensitive {
    bool operator()(const QString& a, const QString& b) const {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

QString Literal(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1String("'"), QLatin1String("''")) +
           QLatin1Char('\'');
}

void ExperimentDatabase::addVersion(const QString& version,
                                    const std::map<QString, QString>& overrides) const {
    std::map<QString, QString> row = DefaultSetup();
    for (const auto& [column, value] : overrides) row[column] = value;
    QStringList columns{"Version"};
    QStringList values{Literal(version)};
    for (const auto& [column, value] : row) {
        columns << column;
        values << value;
    }
    execute(QStringLiteral("INSERT INTO tblSetup (%1) VALUES (%2)")
                .arg(columns.join(", "), values.join(", ")));
}

void ExperimentDatabase::addDelaySegment(int delayScenario, double inValue, double inLength,
                                         double outValue, double outLength) const {
    execute(QStringLiteral("INSERT INTO tblDelayScenarios (DelayScenario, inflowDelayValue, "
                           "inflowDelayLength, outflowDelayValue, outflowDelayLength) "
                           "VALUES (%1, %2, %3, %4, %5)")
                .arg(delayScenario)
                .arg(inValue)
                .arg(inLength)
                .arg(outValue)
                .arg(outLength));
}

void ExperimentDatabase::addRate(int scenario, int trial, double in, double out) const {
    execute(QStringLiteral("INSERT INTO tblScenarios (Scenario, Trial, inFlowRateEnviron, "
                           "outFlowRateEnviron) VALUES (%1, %2, %3, %4)")
                .arg(scenario)
                .arg(trial)
                .arg(in)
                .arg(out));
}

void ExperimentDatabase::addLabels(const QString& version, int count, double step) const {
    for (int i = 1; i <= count; ++i) {
        execute(QStringLiteral("INSERT INTO tblLabels (version, LabelNumber, LabelName) "
                               "VALUES (%1, %2, '%3')")
                    .arg(Literal(version))
                    .arg(i)
                    .arg(step * i));
    }
}

void ExperimentDatabase::registerSubject(const QString& subject, const QString& version) const {
    execute(QStringLiteral("INSERT INTO datSubject (Subject, Version, Condition, Major, Gender, "
                           "Age, Date, Time) VALUES (%1, %2, 'discrete', 'Art', 'Female', 30, "
                           "'2024-01-01', '10:00:00')")
                .arg(Literal(subject), Literal(version)));
}

void ExperimentDatabase::addEvent(const QString& subject, const QString& version, int eventID,
                                  int trial, const std::map<QString, QString>& columns) const {
    // As the program records them: every number is there, 0 unless given.
    std::map<QString, QString, CaseInsensitive> row;
    for (const db::ColumnDef& column : db::FindTable("datExperimentTrials")->columns) {
        if (column.type == db::ColumnType::Integer || column.type == db::ColumnType::Double) {
            row[column.name] = "0";
        }
    }
    row["Subject"] = Literal(subject);
    row["Version"] = Literal(version);
    row["eventType"] = "'After Cost Calculation'";
    row["EventID"] = QString::number(eventID);
    row["Trial"] = QString::number(trial);
    for (const auto& [column, value] : columns) row[column] = value;
    QStringList names;
    QStringList values;
    for (const auto& [column, value] : row) {
        names << column;
        values << value;
    }
    execute(QStringLiteral("INSERT INTO datExperimentTrials (%1) VALUES (%2)")
                .arg(names.join(", "), values.join(", ")));
}

std::vector<ExperimentDatabase::Row> ExperimentDatabase::rows(const QString& sql,
                                                              bool inStoredOrder) const {
    db::Connection connection(path(), db::DatabasePassword(), db::OpenMode::ReadOnly);
    db::Statement statement = connection.prepare(
        inStoredOrder ? sql + QStringLiteral(" ORDER BY ") + connection.rowKey() : sql);
    std::vector<Row> result;
    while (statement.step()) {
        Row row;
        for (int column = 0; column < statement.columnCount(); ++column) {
            row[statement.columnName(column)] = statement.value(column);
        }
        result.push_back(std::move(row));
    }
    return result;
}
