// The demo database: enough to try every mode of the program in a few minutes.
#include <QFile>

#include "db/Engine.h"
#include "tool/common/TableData.h"
#include "tool/csv/CsvImport.h"
#include "tool/data/Create.h"
#include "tool/data/Passwd.h"

namespace tool {

namespace {

struct DemoVersion {
    const char* name;
    bool graphical;
    bool timeDriven;
    bool bonusOnTimeGap;
    int scenario;  // also its delay scenario
    const char* units;
    double initialAmount, goal, band, initialBackOrder, initialForwardDischarge;
};

// Tanks hold gallons on a scale of 0 to 100; stores hold a few dozen people.
constexpr DemoVersion kVersions[] = {
    {"TankP", true, false, false, 1, "Gallons", 40, 60, 5, 4, 2},
    {"TankT", true, true, true, 1, "Gallons", 40, 60, 5, 4, 2},
    {"StoreP", false, false, false, 2, "People", 30, 50, 3, 6, 2},
    {"StoreT", false, true, false, 2, "People", 30, 50, 3, 6, 2},
};

constexpr int kPeriods = 20;
constexpr int kLastScenarioIndex = 30;  // periods 0 to 31 fit the scenario arrays

QString Flag(bool value) {
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

QByteArray SetupCsv() {
    QByteArray csv =
        "Version,MaxTrial,BaseMoney,numMarks,InitialAmountInTank,GoalLinePoisition,"
        "InitialBackOrder,InitialForwardDischarge,simTimeForTP,ScenarioUsed,DelayScenario,"
        "CostUnderFlowPerAmount,CostOverFlowPerAmount,BonusAmount,YUnits,graphicalMode,"
        "userDelay,envDelay,RHEIGHT,RWIDTH,UpperBoundFromGoal,LowerBoundFromGoal,"
        "ExperimentTimeForInstructions,MaxNumberOfAScenarioType,IsTimeDriven,IsBonusOnTimeGap,"
        "ShowBackOrder,ShowDischargeOrder,ShowTimePeriods,deltaTmeBetweenEnvUsr,"
        "TimeBetweenEnvTries,UsrMv,EnvMv\n";
    // Pauses of 600 + 400 ms per phase: a participant-paced period takes about two seconds,
    // a time-driven one two and a half.
    for (const DemoVersion& v : kVersions) {
        csv += QStringLiteral(
                   "%1,%2,5,10,%3,%4,%5,%6,1,%7,%7,0,0,0.25,%8,%9,600,600,10,5,%10,%10,"
                   "300,%11,%12,%13,TRUE,TRUE,TRUE,3000,1500,400,400\n")
                   .arg(QString::fromLatin1(v.name))
                   .arg(kPeriods)
                   .arg(v.initialAmount)
                   .arg(v.goal)
                   .arg(v.initialBackOrder)
                   .arg(v.initialForwardDischarge)
                   .arg(v.scenario)
                   .arg(QString::fromLatin1(v.units), Flag(v.graphical))
                   .arg(v.band)
                   .arg(kLastScenarioIndex)
                   .arg(Flag(v.timeDriven), Flag(v.bonusOnTimeGap))
                   .toUtf8();
    }
    return csv;
}

struct Phase {
    int firstPeriod;
    double inflow, outflow;
};

// The environment shifts every few periods, so that the participant has to react.
QByteArray ScenariosCsv() {
    const std::vector<Phase> phases[] = {
        {{1, 6, 3}, {6, 2, 6}, {11, 8, 4}, {16, 3, 7}, {21, 5, 5}},
        {{1, 8, 4}, {5, 3, 9}, {9, 10, 5}, {13, 4, 8}, {17, 6, 6}},
    };
    QByteArray csv = "Scenario,Trial,inFlowRateEnviron,outFlowRateEnviron\n";
    for (int scenario = 1; scenario <= 2; ++scenario) {
        const std::vector<Phase>& phase = phases[scenario - 1];
        std::size_t current = 0;
        for (int trial = 1; trial <= kLastScenarioIndex + 1; ++trial) {
            if (current + 1 < phase.size() && trial >= phase[current + 1].firstPeriod) ++current;
            csv += QStringLiteral("%1,%2,%3,%4\n")
                       .arg(scenario)
                       .arg(trial)
                       .arg(phase[current].inflow)
                       .arg(phase[current].outflow)
                       .toUtf8();
        }
    }
    return csv;
}

// Three segments each: the delays change twice during the run.
const char kDelayScenariosCsv[] =
    "DelayScenario,inflowDelayValue,inflowDelayLength,outflowDelayValue,outflowDelayLength\n"
    "1,2,6,2,6\n"
    "1,3,7,1,7\n"
    "1,2,7,3,7\n"
    "2,3,8,2,8\n"
    "2,2,6,2,6\n"
    "2,1,6,1,6\n";

QByteArray LabelsCsv() {
    QByteArray csv = "version,LabelNumber,LabelName\n";
    for (const DemoVersion& v : kVersions) {
        if (!v.graphical) continue;
        for (int mark = 1; mark <= 10; ++mark)
            csv += QStringLiteral("%1,%2,%3\n")
                       .arg(QString::fromLatin1(v.name))
                       .arg(mark)
                       .arg(mark * 10)
                       .toUtf8();
    }
    return csv;
}

}  // namespace

void CreateDemoDatabase(const QString& path) {
    auto connection = CreateNewDatabase(path);
    try {
        db::Transaction transaction(*connection);
        NoProgress quiet;
        const std::pair<const char*, QByteArray> tables[] = {
            {"tblSetup", SetupCsv()},
            {"tblScenarios", ScenariosCsv()},
            {"tblDelayScenarios", kDelayScenariosCsv},
            {"tblLabels", LabelsCsv()},
        };
        for (const auto& [table, csv] : tables)
            ImportCsv(*connection, table, std::string_view(csv.constData(), csv.size()),
                      QStringLiteral("demo %1").arg(table), false, quiet);
        SetExperimenterPassword(*connection, kDemoUser, kDemoPassword);
        transaction.commit();
    } catch (...) {
        connection.reset();
        DiscardNewDatabase(path);
        throw;
    }
}

}  // namespace tool
