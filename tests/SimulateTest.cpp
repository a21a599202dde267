// fluxmere-db simulate: simulated participants play a version through the program's own
// cycle, scoring and recording, and record exactly what the screen records.
#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <map>
#include <ostream>
#include <vector>

#include "core/Rounding.h"
#include "core/RunRecord.h"
#include "db/Schema.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/simulation/frmHydrovat.h"
#include "tests/support/ExperimentDatabase.h"
#include "tests/support/ScreenCycle.h"
#include "tests/support/ToolFixtures.h"
#include "tests/support/Typing.h"
#include "tool/cli/CommandLine.h"
#include "tool/common/ToolError.h"
#include "tool/simulated/Simulate.h"

namespace {

struct Typed {
    const char* inflow;
    const char* outflow;
};

// Six periods of a store whose inflow delay rises from 1 to 3 after period 2 and whose
// outflow delay rises from 1 to 2 after period 3; the environment moves every period.
const std::vector<Typed> kOrders = {{"4", "0"}, {"0", "2"},  {"3", "1"},
                                    {"0", "0"}, {"12", "1"}, {"1", "0"}};

// The same orders as a script.
const char kScript[] = "period,inflow,outflow\n1,4,0\n2,0,2\n3,3,1\n4,0,0\n5,12,1\n6,1,0\n";

// Columns that hold the moment of recording, which real and simulated time do not share,
// the name the run is recorded under, and the key made anew for each write.
const QStringList kNotCompared = {
    "Subject", "Date", "Time", "startTime", "endTime", "SubmitClickTime", db::kWriteKeyColumn};

class SimulateTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override {
        database.addVersion(QStringLiteral("Rise"), {{"MaxTrial", "6"}});
        database.addDelaySegment(1, 1, 2, 1, 3);
        database.addDelaySegment(1, 3, 10, 2, 10);
        const double rates[][2] = {{2, 1}, {0, 3}, {1, 1}, {-1, -1}, {3, 0}, {1, 2}};
        for (int trial = 1; trial <= 6; ++trial)
            database.addRate(1, trial, rates[trial - 1][0], rates[trial - 1][1]);
        run.session.databasePath = database.path();
    }

    // Ann types each period's orders into the screen's boxes and presses Submit.
    void PlayOnScreen() {
        tool::PrepareFreshRun(run, QStringLiteral("Rise"));
        run.state.SubjectName = QStringLiteral("Ann");
        database.registerSubject(QStringLiteral("Ann"), QStringLiteral("Rise"));
        ui::ScriptedDialogs dialogs;
        run.asks = &dialogs;
        run.showsForms = &dialogs;
        frmHydrovat form(run);
        bool ended = false;
        for (const Typed& order : kOrders) {
            ASSERT_FALSE(ended);
            for (auto [box, text] : {std::pair{&form.txtUsrInflowVal, order.inflow},
                                     std::pair{&form.txtUsrOutflowVal, order.outflow}}) {
                box->selectAll();
                TypeKeys(*box, QString::fromLatin1(text));
            }
            form.cmdNextTrial.click();
            ended = RunScreenUntil(
                [&] { return form.cmdNextTrial.isEnabled() && PhaseTimersIdle(form); });
        }
        EXPECT_TRUE(ended) << "the screen did not reach its earnings message";
    }

    // fluxmere-db with these arguments after the command's name and the database's path.
    int Tool(const QStringList& arguments) {
        return RunToolOn(database.path(), arguments, output, errors);
    }

    QString ScriptFile(const QByteArray& text) {
        const QString path = folder.filePath(QStringLiteral("orders.csv"));
        WriteFile(path, text);
        return path;
    }

    std::vector<ExperimentDatabase::Row> Recorded(const QString& table, const QString& subject) {
        return database.storedRows(
            QStringLiteral("select * from %1 where Subject=%2").arg(table, Literal(subject)));
    }

    void ExpectSameRows(const QString& table, const QString& a, const QString& b) {
        const auto first = Recorded(table, a);
        const auto second = Recorded(table, b);
        ASSERT_FALSE(first.empty()) << table.toStdString();
        ASSERT_EQ(second.size(), first.size()) << table.toStdString();
        for (std::size_t i = 0; i < first.size(); ++i) {
            for (const auto& [column, value] : first[i]) {
                if (kNotCompared.contains(column)) continue;
                EXPECT_EQ(second[i].at(column).toString().toStdString(),
                          value.toString().toStdString())
                    << table.toStdString() << " row " << i + 1 << " column "
                    << column.toStdString();
            }
        }
    }

    ExperimentDatabase database;
    QTemporaryDir folder;
    QString output;
    QString errors;
};

TEST_F(SimulateTest, ScriptedRecordRecordsWhatTheScreenRecordsForTheSameOrders) {
    PlayOnScreen();
    ASSERT_EQ(Tool({"simulate", "Rise", "--strategy", "scripted", "--script", ScriptFile(kScript),
                    "--record"}),
              0)
        << errors.toStdString();
    const QString simulated = QStringLiteral("sim-scripted-1");
    for (const char* table : {"datExperimentTrials", "datTrialSummary", "datUserTimesSummary"})
        ExpectSameRows(QString::fromLatin1(table), QStringLiteral("Ann"), simulated);
    const auto registered = Recorded(QStringLiteral("datSubject"), simulated);
    ASSERT_EQ(registered.size(), 1U);
    EXPECT_EQ(registered[0].at(QStringLiteral("Simulated")).toInt(), -1);
    EXPECT_EQ(registered[0].at(QStringLiteral("Condition")).toString(), QStringLiteral("discrete"));
    EXPECT_TRUE(output.contains(QStringLiteral("recorded 1 simulated participant")));
}

TEST_F(SimulateTest, ReplayUnderTheSameVersionReproducesAmountsAndEarnings) {
    PlayOnScreen();
    tool::SimulateOptions options;
    options.databasePath = database.path();
    options.version = QStringLiteral("Rise");
    options.strategy.name = QStringLiteral("replay");
    options.strategy.participant = QStringLiteral("Ann");
    options.strategy.participantVersion = QStringLiteral("Rise");
    const tool::Pilot pilot = tool::Simulate(options);
    ASSERT_EQ(pilot.runs.size(), 1U);
    const tool::PilotRun& run = pilot.runs.front();

    const auto scored = database.storedRows(QStringLiteral(
        "select Trial, AmountInTank, TotBonus from datExperimentTrials where Subject='Ann' and "
        "eventType='After Cost Calculation'"));
    ASSERT_EQ(run.path.periods.size(), scored.size());
    for (std::size_t i = 0; i < scored.size(); ++i) {
        EXPECT_EQ(run.path.periods[i].trial, scored[i].at(QStringLiteral("Trial")).toInt());
        EXPECT_EQ(run.path.periods[i].amount,
                  scored[i].at(QStringLiteral("AmountInTank")).toDouble())
            << "period " << i + 1;
    }
    EXPECT_EQ(run.finalAmount, scored.back().at(QStringLiteral("AmountInTank")).toDouble());
    EXPECT_EQ(run.earned,
              RoundAwayFromZero(scored.back().at(QStringLiteral("TotBonus")).toDouble(), 1));
    EXPECT_EQ(database.rows(QStringLiteral("select * from datSubject")).size(), 1U)
        << "a run that is not recorded writes nothing";
}

// Whatever the reason, a failing run leaves nothing recorded.
struct BadScript {
    const char* name;
    const char* text;
    const char* message;  // after the file's path
};

class SimulateScriptErrorTest : public SimulateTest,
                                public ::testing::WithParamInterface<BadScript> {};

TEST_P(SimulateScriptErrorTest, NamesFileLineAndColumnAndRecordsNothing) {
    const QString path = ScriptFile(GetParam().text);
    EXPECT_EQ(Tool({"simulate", "Rise", "--strategy", "scripted", "--script", path, "--record"}),
              1);
    EXPECT_EQ(errors.trimmed(), QStringLiteral("fluxmere-db simulate: ") + path +
                                    QString::fromLatin1(GetParam().message));
    EXPECT_TRUE(database.rows(QStringLiteral("select * from datSubject")).empty());
    EXPECT_TRUE(database.rows(QStringLiteral("select * from datExperimentTrials")).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, SimulateScriptErrorTest,
    ::testing::Values(
        BadScript{"NotANumber", "period,inflow,outflow\n1,4,0\n2,x,1\n",
                  ":3: column 2: 'x' is not a number"},
        BadScript{"NegativeOrder", "period,inflow,outflow\n1,4,-2\n",
                  ":2: column 3: an order cannot be negative"},
        BadScript{"PeriodTwice", "period,inflow,outflow\n1,4,0\n1,2,0\n",
                  ":3: column 1: period 1 is given twice"},
        BadScript{"PeriodNotWhole", "period,inflow,outflow\n1.5,4,0\n",
                  ":2: column 1: 1.5 must be a whole number from 1"},
        BadScript{"MissingValue", "period,inflow,outflow\n1,4\n",
                  ":2: 2 values, but the header names 3 columns"},
        BadScript{"WrongHeader", "period,in,outflow\n1,4,0\n",
                  ":1: column 2: 'in' where the header needs 'inflow'"},
        BadScript{"Empty", "",
                  ":1: the script is empty; its first line must be period,inflow,outflow (and "
                  "optionally submit_ms)"}),
    [](const auto& info) { return std::string(info.param.name); });

// What no participant could type into the version's order box is refused, not played.
TEST_F(SimulateTest, OrdersTheBoxWouldRefuseAreNamed) {
    const QString path = ScriptFile("period,inflow,outflow\n1,4,0\n2,2.5,0\n");
    EXPECT_EQ(Tool({"simulate", "Rise", "--strategy", "scripted", "--script", path, "--record"}),
              1);
    EXPECT_EQ(errors.trimmed().toStdString(),
              "fluxmere-db simulate: run 1, period 2: the inflow 2.5 cannot be typed into the "
              "order box of version 'Rise' (whole numbers in a store version, at most 9 "
              "characters); nothing of the run was recorded");
    EXPECT_TRUE(database.rows(QStringLiteral("select * from datSubject")).empty());
    EXPECT_TRUE(database.rows(QStringLiteral("select * from datExperimentTrials")).empty());
}

// Runs played side by side give the table and the figures one job gives for the same seeds,
// and the first run that fails is named as one job names it.
TEST_F(SimulateTest, RunsPlayedSideBySideGiveWhatOneJobGives) {
    for (const char* strategy : {"random", "heuristic"}) {
        QStringList printed;
        QList<QByteArray> figures;
        for (const char* jobs : {"1", "3"}) {
            const QString csv = folder.filePath(QStringLiteral("%1-%2.csv").arg(strategy, jobs));
            output.clear();
            ASSERT_EQ(Tool({"simulate", "Rise", "--strategy", strategy, "--runs", "20", "--seed",
                            "5", "--jobs", jobs, "--csv", csv}),
                      0)
                << errors.toStdString();
            printed << output.replace(csv, QStringLiteral("FILE"));
            figures << ReadFile(csv);
        }
        EXPECT_EQ(printed[0].toStdString(), printed[1].toStdString()) << strategy;
        EXPECT_EQ(figures[0], figures[1]) << strategy;
    }
    const QString path = ScriptFile("period,inflow,outflow\n1,4,0\n2,2.5,0\n");
    QStringList refusals;
    for (const char* jobs : {"1", "2"}) {
        errors.clear();
        EXPECT_EQ(Tool({"simulate", "Rise", "--strategy", "scripted", "--script", path, "--runs",
                        "6", "--jobs", jobs}),
                  1);
        refusals << errors;
    }
    EXPECT_TRUE(refusals[0].contains(QStringLiteral("run 1, period 2: the inflow 2.5")))
        << refusals[0].toStdString();
    EXPECT_EQ(refusals[1].toStdString(), refusals[0].toStdString());
}

// Cancel stops before the next run; recorded runs already stored are said to be there.
TEST_F(SimulateTest, CancelStopsBeforeTheNextRunAndSaysWhatWasRecorded) {
    tool::SimulateOptions options;
    options.databasePath = database.path();
    options.version = QStringLiteral("Rise");
    options.strategy.name = QStringLiteral("random");
    options.runs = 10;
    for (const bool record : {false, true}) {
        options.record = record;
        options.jobs = record ? 1 : 3;
        CancelAfter cancel(2);
        try {
            tool::Simulate(options, cancel);
            ADD_FAILURE() << "the cancelled runs went on";
        } catch (const tool::ToolError& error) {
            EXPECT_EQ(error.message().toStdString(),
                      record ? "run 3, cancelled; nothing of the run was recorded (runs 1 to 2 "
                               "were)"
                             : "cancelled; nothing was written");
        }
    }
    EXPECT_EQ(database.rows(QStringLiteral("select * from datSubject")).size(), 2U);
}

TEST_F(SimulateTest, AnExistingNameIsRefusedBeforeAnyRunIsRecorded) {
    database.registerSubject(QStringLiteral("SIM-none-2"), QStringLiteral("Rise"));
    EXPECT_EQ(Tool({"simulate", "Rise", "--strategy", "none", "--runs", "3", "--record"}), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("participant 'sim-none-2' is already registered")))
        << errors.toStdString();
    EXPECT_EQ(database.rows(QStringLiteral("select * from datSubject")).size(), 1U);
    EXPECT_TRUE(database.rows(QStringLiteral("select * from datExperimentTrials")).empty());
}

TEST_F(SimulateTest, HeuristicOverManyRunsPrintsItsTableCsvAndPlot) {
    const QString csv = folder.filePath(QStringLiteral("pilot.csv"));
    const QString png = folder.filePath(QStringLiteral("pilot.png"));
    ASSERT_EQ(Tool({"simulate", "Rise", "--strategy", "random", "--runs", "100", "--seed", "7",
                    "--csv", csv, "--plot", png, "--size", "600x400"}),
              0)
        << errors.toStdString();
    EXPECT_TRUE(
        output.contains(QStringLiteral("version Rise, strategy random, 100 runs, 600 periods")))
        << output.toStdString();
    for (const char* row : {"mean", "spread", "minimum", "maximum"})
        EXPECT_TRUE(output.contains(QString::fromLatin1(row))) << row;
    const QStringList lines =
        QString::fromUtf8(ReadFile(csv)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 101);
    EXPECT_EQ(lines[0], QStringLiteral("version,strategy,run,seed,subject,final_amount,"
                                       "periods_in_band,earned,largest_deviation"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Rise,random,1,7,,")));
    EXPECT_TRUE(lines[100].startsWith(QStringLiteral("Rise,random,100,106,,")));
    EXPECT_EQ(QImage(png).size(), QSize(600, 400));

    // The same seeds give the same runs.
    const QString first = output;
    ASSERT_EQ(Tool({"simulate", "Rise", "--strategy", "random", "--runs", "100", "--seed", "7"}),
              0);
    EXPECT_EQ(output, first.left(output.size()));
}

// Anchoring and adjustment on a run without environment: the gap of 5 below the goal of 25
// is closed by half, less half of what is on order, and the store ends inside the band.
TEST_F(SimulateTest, HeuristicClosesTheGapLessWhatIsOnOrder) {
    database.execute(QStringLiteral("DELETE FROM tblScenarios"));
    for (int trial = 1; trial <= 6; ++trial) database.addRate(1, trial, -1, -1);
    tool::SimulateOptions options;
    options.databasePath = database.path();
    options.version = QStringLiteral("Rise");
    options.strategy.name = QStringLiteral("heuristic");
    const tool::PilotRun run = tool::Simulate(options).runs.front();
    // Period 1 orders round(0.5 x 5) = 3 (halves away from zero), due at once (delay 1).
    ASSERT_FALSE(run.path.periods.empty());
    EXPECT_EQ(run.path.periods.front().userInFlow, 3);
    EXPECT_EQ(run.path.periods.front().amount, 23);
    EXPECT_EQ(run.periodsInBand, 6);
    EXPECT_LT(run.largestDeviation, 5) << "closer to the goal than ordering nothing";

    options.strategy.name = QStringLiteral("none");
    const tool::PilotRun idle = tool::Simulate(options).runs.front();
    EXPECT_EQ(idle.finalAmount, 20);
    EXPECT_EQ(idle.largestDeviation, 5);
    EXPECT_EQ(idle.earned, RoundAwayFromZero(5 + 6 * 0.5, 1));
}

TEST_F(SimulateTest, ExportAndPlotCanLeaveSimulatedParticipantsOut) {
    PlayOnScreen();
    ASSERT_EQ(Tool({"simulate", "Rise", "--strategy", "none", "--record"}), 0)
        << errors.toStdString();
    const QString out = folder.filePath(QStringLiteral("export"));
    ASSERT_EQ(Tool({"export", out, "--no-simulated"}), 0) << errors.toStdString();
    const QString events =
        QString::fromUtf8(ReadFile(out + QStringLiteral("/datExperimentTrials.csv")));
    EXPECT_TRUE(events.contains(QStringLiteral("Ann,Rise")));
    EXPECT_FALSE(events.contains(QStringLiteral("sim-none-1")));
    EXPECT_FALSE(QString::fromUtf8(ReadFile(out + QStringLiteral("/datSubject.csv")))
                     .contains(QStringLiteral("sim-none-1")));
    ASSERT_EQ(Tool({"export", out, "--overwrite"}), 0);
    EXPECT_TRUE(QString::fromUtf8(ReadFile(out + QStringLiteral("/datExperimentTrials.csv")))
                    .contains(QStringLiteral("sim-none-1")));

    const QString png = folder.filePath(QStringLiteral("run.png"));
    EXPECT_EQ(Tool({"plot", "sim-none-1", "Rise", png, "--no-simulated"}), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("is simulated"))) << errors.toStdString();
    EXPECT_EQ(Tool({"plot", "Ann", "Rise", png, "--no-simulated"}), 0) << errors.toStdString();
}

// A file made before simulated participants: recording adds the marker column, and leaving
// simulated participants out of an export leaves nobody out.
TEST_F(SimulateTest, FilesWithoutTheMarkerColumnKeepWorking) {
    database.execute(QStringLiteral(
        "DROP TABLE datSubject; CREATE TABLE datSubject (Subject TEXT, Version TEXT, Condition "
        "TEXT, Major TEXT, Gender TEXT, Age DOUBLE, Date DATE, Time TIME)"));
    database.registerSubject(QStringLiteral("Bob"), QStringLiteral("Rise"));
    const QString out = folder.filePath(QStringLiteral("export"));
    ASSERT_EQ(Tool({"export", out, "--no-simulated"}), 0) << errors.toStdString();
    EXPECT_TRUE(QString::fromUtf8(ReadFile(out + QStringLiteral("/datSubject.csv")))
                    .contains(QStringLiteral("Bob")));
    ASSERT_EQ(Tool({"simulate", "Rise", "--strategy", "naive", "--record"}), 0)
        << errors.toStdString();
    const auto marks =
        database.storedRows(QStringLiteral("select Subject, Simulated from datSubject"));
    ASSERT_EQ(marks.size(), 2U);
    EXPECT_EQ(marks[0].at(QStringLiteral("Simulated")).toInt(), 0);
    EXPECT_EQ(marks[1].at(QStringLiteral("Simulated")).toInt(), -1);
}

TEST_F(SimulateTest, TimeDrivenRunsSubmitWhenTheScriptSays) {
    database.execute(
        QStringLiteral("UPDATE tblSetup SET IsTimeDriven = -1, "
                       "TimeBetweenEnvTries = 1000, userDelay = 100, UsrMv = 100, "
                       "envDelay = 100, EnvMv = 100"));
    const QString path = ScriptFile("period,inflow,outflow,submit_ms\n1,4,0,50\n3,2,1,\n");
    ASSERT_EQ(Tool({"simulate", "Rise", "--strategy", "scripted", "--script", path, "--submit-at",
                    "700", "--record"}),
              0)
        << errors.toStdString();
    const auto submits = database.storedRows(
        QStringLiteral("select Trial, UserInFlow, UserOutFlow from datExperimentTrials where "
                       "eventType='Submit Clicked'"));
    ASSERT_EQ(submits.size(), 2U);
    EXPECT_EQ(submits[0].at(QStringLiteral("Trial")).toInt(), 1);
    EXPECT_EQ(submits[0].at(QStringLiteral("UserInFlow")).toDouble(), 4);
    EXPECT_EQ(submits[1].at(QStringLiteral("Trial")).toInt(), 3);
    EXPECT_EQ(submits[1].at(QStringLiteral("UserOutFlow")).toDouble(), 1);
    EXPECT_EQ(database.rows(QStringLiteral("select Trial from datUserTimesSummary")).size(), 2U);
}

// One order of 5 under a delay that rises or falls, played by the scripted strategy. With
// OrdersDueOnce the amount arrives once; without it (empty, as in files made before the
// column) the re-aimed due period delivers it twice or never, as recorded runs always had.
struct OneOrder {
    const char* name;
    double firstDelay, firstLength, laterDelay;
    const char* script;
    const char* ordersDueOnce;       // the tblSetup cell; none: the column left out
    std::map<int, double> arrivals;  // period -> amount that reached the stock
};

std::ostream& operator<<(std::ostream& out, const OneOrder& c) {
    return out << c.name;
}

class SimulateOneOrderTest : public SimulateTest, public ::testing::WithParamInterface<OneOrder> {};

TEST_P(SimulateOneOrderTest, ArrivesOnceWithOrdersDueOnceAndAsReaimedWithout) {
    const OneOrder& c = GetParam();
    std::map<QString, QString> setup = {
        {"MaxTrial", "8"}, {"ScenarioUsed", "2"}, {"DelayScenario", "2"}};
    if (c.ordersDueOnce) setup["OrdersDueOnce"] = c.ordersDueOnce;
    database.addVersion(QStringLiteral("One"), setup);
    database.addDelaySegment(2, c.firstDelay, c.firstLength, 1, 30);
    database.addDelaySegment(2, c.laterDelay, 30, 1, 30);
    for (int trial = 1; trial <= 8; ++trial) database.addRate(2, trial, 0, 0);
    ASSERT_EQ(Tool({"simulate", "One", "--strategy", "scripted", "--script", ScriptFile(c.script),
                    "--record"}),
              0)
        << errors.toStdString();
    const auto rows = database.storedRows(QStringLiteral(
        "select Trial, eventType, AmountInTank, TotalBackOrder from datExperimentTrials "
        "where Version = 'One'"));
    ASSERT_FALSE(rows.empty());
    std::map<int, double> arrivals;
    double before = 20;
    for (const auto& row : rows) {
        const double amount = row.at(QStringLiteral("AmountInTank")).toDouble();
        if (row.at(QStringLiteral("eventType")).toString() == QStringLiteral("User Inflow") &&
            amount != before)
            arrivals[row.at(QStringLiteral("Trial")).toInt()] += amount - before;
        before = amount;
    }
    EXPECT_EQ(arrivals, c.arrivals);
    double arrived = 0;
    for (const auto& [period, amount] : c.arrivals) arrived += amount;
    EXPECT_EQ(rows.back().at(QStringLiteral("TotalBackOrder")).toDouble(), 5 - arrived);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, SimulateOneOrderTest,
    ::testing::Values(
        // 1 for periods 1 to 3, 3 from period 4: the order of period 3 is aimed at again in 5.
        OneOrder{"RisingOnce", 1, 4, 3, "period,inflow,outflow\n3,5,0\n", "-1", {{3, 5}}},
        OneOrder{
            "RisingReaimed", 1, 4, 3, "period,inflow,outflow\n3,5,0\n", nullptr, {{3, 5}, {5, 5}}},
        OneOrder{"RisingReaimedWhenFalse",
                 1,
                 4,
                 3,
                 "period,inflow,outflow\n3,5,0\n",
                 "0",
                 {{3, 5}, {5, 5}}},
        // 3 for periods 1 to 3, 1 from period 4: the order of period 2, due in 4, is skipped.
        OneOrder{"FallingOnce", 3, 4, 1, "period,inflow,outflow\n2,5,0\n", "-1", {{4, 5}}},
        OneOrder{"FallingReaimed", 3, 4, 1, "period,inflow,outflow\n2,5,0\n", nullptr, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
