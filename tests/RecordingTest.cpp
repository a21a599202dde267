// The recorded tables: the event log, the period summaries and the Submit times, written to
// a real experiment database, and what happens when a row cannot be written.
#include <gtest/gtest.h>

#include <QDate>
#include <QTimer>
#include <QUuid>
#include <functional>
#include <utility>
#include <vector>

#include "core/RunRecord.h"
#include "core/Shutdown.h"
#include "db/Engine.h"
#include "db/Schema.h"
#include "recording/EventLog.h"
#include "recording/RecordWriter.h"
#include "recording/SubmitTime.h"
#include "recording/TrialSummary.h"
#include "runtime/Clock.h"
#include "runtime/ProgramEnd.h"
#include "runtime/Questions.h"
#include "tests/support/Ending.h"
#include "tests/support/TempDatabase.h"

namespace {

using Row = std::vector<std::pair<QString, QVariant>>;

QVariant Int(qlonglong value) {
    return value;
}

const QVariant kTrue = Int(-1);
const QVariant kFalse = Int(0);

// Answers the write-failure question after running an action (repairing the fault).
class DialogsWithAction : public runtime::ScriptedQuestions {
  public:
    std::function<void()> beforeAnswer;

    runtime::Answer ask(const runtime::Question& question) override {
        if (beforeAnswer && question.title == WriteFailureTitle()) beforeAnswer();
        return ScriptedQuestions::ask(question);
    }
};

class RecordingTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    // Also called within a test for a fresh run.
    void SetUp() override {
        run = ::Run{};
        run.session.databasePath = database.path();
        ExperimentSetupRecord& setup = run.setup;
        RunStateRecord& state = run.state;
        setup.MaxTrial = 5;
        setup.AfterEveryNTrials = 1;
        setup.MaxNumberOfAScenarioType = 6;
        setup.GoalLinePosition = 50;
        setup.simTimeForTP = 10;
        setup.BaseMoney = 2.5;
        setup.BonusAmount = 0.75;
        setup.LowerBoundFromGoal = 4;
        setup.UpperBoundFromGoal = 6;
        setup.ExperimentTimeForInstructions = 300;
        setup.TimeBetweenEnvTries = 2500;
        setup.deltaTmeBetweenEnvUsr = 3000;
        state.SubjectName = QStringLiteral("O'Brien");
        state.Version = QStringLiteral("v'1");
        state.CurrentTrial = 3;
        state.EventID = 17;
        state.CurrentCost = 0.5;
        state.TotCost = 2.5;
        state.CurrentBonus = 0.75;
        state.TotBonus = 4.75;
        state.AmountInTank = 42.5;
        state.TotalBackOrder = 11;
        state.TotalForwardDischarge = 12;
        state.UserInflowTP = 2;
        state.UserOutflowTP = 3;
        state.UserInFlow = {0, 1.5, 2.5, 3.5, 4.5, 0, 0};
        state.UserOutFlow = {0, 0.25, 1.25, 2.25, 3.25, 0, 0};
        state.BackOrder = {0, 7, 0, 8, 0, 0, 0};
        state.ForwardDischarge = {0, 0, 0, 9, 0, 0, 0};
        state.EnvInFlow = {0, 1, 2, 3, 4, 5, 6, 7};
        state.EnvOutFlow = {0, 0.5, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5};
        state.IsUserInFlow = true;
        state.IsEnvOutFlow = true;
        state.PeriodStartTime = runtime::TimeValue{10 * 3600 + 1};
        state.PeriodEndTime = runtime::TimeValue{10 * 3600 + 62};
        state.SubmitTime = runtime::TimeValue{11 * 3600 + 3};
    }

    void UseGraphicalMode() {
        run.setup.graphicalMode = true;
        run.state.TwipsPerMark = 240;
        run.state.AmountInTank = 42.5 * 240;
        run.setup.GoalLinePosition = 50 * 240;
    }

    // Every row of a table, in the order written, with each column's stored value.
    std::vector<QVariantMap> Rows(const QString& table) const {
        db::Connection connection(database.path(), db::DatabasePassword(), db::OpenMode::ReadOnly);
        db::Statement select =
            connection.prepare(QStringLiteral("SELECT * FROM ") + table +
                               QStringLiteral(" ORDER BY ") + connection.rowKey());
        std::vector<QVariantMap> rows;
        while (select.step()) {
            QVariantMap row;
            for (int c = 0; c < select.columnCount(); ++c) {
                row.insert(select.columnName(c), select.value(c));
            }
            rows.push_back(row);
        }
        return rows;
    }

    // The row holds exactly these values (and type), and they cover all its columns.
    static void ExpectRow(QVariantMap actual, const Row& expected) {
        // Each write's key is made anew; the rest is what the run holds.
        const QString keyColumn = QLatin1String(db::kWriteKeyColumn);
        EXPECT_FALSE(QUuid::fromString(actual.take(keyColumn).toString()).isNull());
        EXPECT_EQ(actual.size(), static_cast<qsizetype>(expected.size()));
        for (const auto& [column, value] : expected) {
            SCOPED_TRACE(column.toStdString());
            ASSERT_TRUE(actual.contains(column));
            EXPECT_EQ(actual[column].typeId(), value.typeId())
                << actual[column].toString().toStdString();
            EXPECT_EQ(actual[column], value) << actual[column].toString().toStdString();
        }
    }

    static QVariant TodayText() { return runtime::Today().toString(Qt::ISODate); }

    TempDatabase database;
};

struct ModeCase {
    const char* name;
    bool graphical;
};
const ModeCase kModes[] = {{"discrete", false}, {"graphical", true}};

TEST_F(RecordingTest, EventRowHoldsTheRunColumnByColumn) {
    for (const ModeCase& mode : kModes) {
        SCOPED_TRACE(mode.name);
        database.execute(QStringLiteral("DELETE FROM datExperimentTrials"));
        if (mode.graphical) UseGraphicalMode();
        const QString before = runtime::TimeText();
        RecordEvent(run, QStringLiteral("User Inflow"));
        const QString after = runtime::TimeText();

        const auto rows = Rows(QStringLiteral("datExperimentTrials"));
        ASSERT_EQ(rows.size(), 1u);
        const QString time = rows[0][QStringLiteral("Time")].toString();
        EXPECT_TRUE(time == before || time == after) << time.toStdString();
        ExpectRow(rows[0], {
                               {"Subject", QStringLiteral("O'Brien")},
                               {"Version", QStringLiteral("v'1")},
                               {"eventType", QStringLiteral("User Inflow")},
                               {"EventID", Int(17)},
                               {"Trial", Int(3)},
                               {"Date", TodayText()},
                               {"Time", time},
                               {"CurrentCost", 0.5},
                               {"TotCost", 2.5},
                               {"UserInFlow", 3.5},
                               {"UserOutFlow", 2.25},
                               {"EnvInFlow", 3.0},
                               {"EnvOutFlow", 2.5},
                               {"BackOrder", 8.0},
                               {"ForwardDischarge", 9.0},
                               {"TotalBackOrder", 11.0},
                               {"TotalForwardDischarge", 12.0},
                               {"AmountInTank", 42.5},
                               {"GoalAmount", 50.0},
                               {"SimulationTime", 10.0},
                               {"BaseMoney", 2.5},
                               {"UserInflowTP", Int(2)},
                               {"UserOutflowTP", Int(3)},
                               {"AfterEveryNTrials", Int(1)},
                               {"IsUserInFlow", kTrue},
                               {"IsUserOutFlow", kFalse},
                               {"IsEnvInFlow", kFalse},
                               {"IsEnvOutFlow", kTrue},
                               {"graphicalMode", mode.graphical ? kTrue : kFalse},
                               {"BonusAmount", 0.75},
                               {"CurrentBonus", 0.75},
                               {"TotBonus", 4.75},
                               {"LowerBoundFromGoal", 4.0},
                               {"UpperBoundFromGoal", 6.0},
                               {"ExperimentTimeForInstructions", Int(300)},
                               {"MaxNumberOfAScenarioType", Int(6)},
                               {"IsTimeDriven", kFalse},
                               {"IsBonusOnTimeGap", kFalse},
                               {"TimeBetweenEnvTries", 2500.0},
                               {"deltaTmeBetweenEnvUsr", 3000.0},
                               {"superseded", kFalse},
                           });
    }
}

TEST_F(RecordingTest, EventRowFlagsOfTheVersion) {
    run.setup.IsTimeDriven = true;
    run.setup.IsBonusOnTimeGap = true;
    run.state.IsUserInFlow = false;
    run.state.IsEnvOutFlow = false;
    run.state.IsUserOutFlow = true;
    run.state.IsEnvInFlow = true;
    RecordEvent(run, QStringLiteral("Environment Effect"));
    const QVariantMap row = Rows(QStringLiteral("datExperimentTrials")).at(0);
    EXPECT_EQ(row["IsTimeDriven"], kTrue);
    EXPECT_EQ(row["IsBonusOnTimeGap"], kTrue);
    EXPECT_EQ(row["IsUserInFlow"], kFalse);
    EXPECT_EQ(row["IsUserOutFlow"], kTrue);
    EXPECT_EQ(row["IsEnvInFlow"], kTrue);
    EXPECT_EQ(row["IsEnvOutFlow"], kFalse);
}

TEST_F(RecordingTest, EventsOfAPeriodBeyondTheScenarioRecordNoEnvironmentRates) {
    run.state.CurrentTrial = 9;  // beyond every array
    RecordEvent(run, QStringLiteral("No User Effect"));
    const QVariantMap row = Rows(QStringLiteral("datExperimentTrials")).at(0);
    EXPECT_EQ(row["EnvInFlow"], 0.0);
    EXPECT_EQ(row["UserInFlow"], 0.0);
    EXPECT_EQ(row["Trial"], Int(9));
}

Row SummaryStart(const QVariant& userIn, const QVariant& userOut, bool graphical) {
    return {
        {"Subject", QStringLiteral("O'Brien")},
        {"Version", QStringLiteral("v'1")},
        {"Trial", Int(4)},
        {"Date", runtime::Today().toString(Qt::ISODate)},
        {"startTime", QStringLiteral("10:00:01")},
        {"endTime", QStringLiteral("10:01:02")},
        {"UserInFlow", userIn},
        {"UserOutFlow", userOut},
        {"EnvInFlow", 4.0},
        {"EnvOutFlow", 3.5},
        {"AmountInTank", 42.5},
        {"GoalAmount", 50.0},
        {"SimulationTime", 10.0},
        {"BaseMoney", 2.5},
        {"UserInflowTP", Int(2)},
        {"UserOutflowTP", Int(3)},
        {"IsUserInFlow", kTrue},
        {"IsUserOutFlow", kFalse},
        {"IsEnvInFlow", kFalse},
        {"IsEnvOutFlow", kTrue},
        {"graphicalMode", graphical ? kTrue : kFalse},
        {"TotBonus", 4.75},
        {"LowerBoundFromGoal", 4.0},
        {"UpperBoundFromGoal", 6.0},
        {"CurrentBonus", QVariant()},
        {"CurrentCost", QVariant()},
        {"TotCost", QVariant()},
        {"BackOrder", QVariant()},
        {"ForwardDischarge", QVariant()},
        {"TotalBackOrder", QVariant()},
        {"TotalForwardDischarge", QVariant()},
    };
}

// The row with some of its values replaced.
Row WithValues(Row row, const Row& changes) {
    for (const auto& [column, value] : changes) {
        for (auto& entry : row) {
            if (entry.first == column) entry.second = value;
        }
    }
    return row;
}

TEST_F(RecordingTest, SummaryRowOfThePeriodThatBegins) {
    for (const ModeCase& mode : kModes) {
        SCOPED_TRACE(mode.name);
        database.execute(QStringLiteral("DELETE FROM datTrialSummary"));
        if (mode.graphical) UseGraphicalMode();
        run.state.PeriodStartTime = runtime::TimeValue{10 * 3600 + 1};
        run.state.PeriodEndTime = runtime::TimeValue{10 * 3600 + 62};
        RecordTrialSummary(run, QStringLiteral("3.5"), QStringLiteral("2.25"));
        const auto rows = Rows(QStringLiteral("datTrialSummary"));
        ASSERT_EQ(rows.size(), 1u);
        ExpectRow(rows[0], SummaryStart(3.5, 2.25, mode.graphical));
        EXPECT_TRUE(run.state.PeriodStartTime.isMidnight());
        EXPECT_TRUE(run.state.PeriodEndTime.isMidnight());
    }
}

TEST_F(RecordingTest, APeriodBegunAgainKeepsItsOneSummaryRowAsNew) {
    // The interrupted attempt began period 4 with other flags and completed its row.
    run.state.IsUserOutFlow = true;
    run.state.IsEnvInFlow = true;
    RecordTrialSummary(run, QStringLiteral("9"), QStringLiteral("9"));
    run.state.CurrentTrial = 4;
    UpdateTrialAmount(run);
    SetUp();
    RecordTrialSummary(run, QStringLiteral("3.5"), QStringLiteral("2.25"));
    const auto rows = Rows(QStringLiteral("datTrialSummary"));
    ASSERT_EQ(rows.size(), 1u);
    ExpectRow(rows[0], SummaryStart(3.5, 2.25, false));
}

TEST_F(RecordingTest, EmptyEntryBoxRecordsZeroWhateverTheStoredOrder) {
    RecordTrialSummary(run, QString(), QStringLiteral("0"));
    run.state.CurrentTrial += 1;
    RecordTrialSummary(run, QStringLiteral("7"), QString());
    const auto rows = Rows(QStringLiteral("datTrialSummary"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["UserInFlow"], 0.0);
    EXPECT_EQ(rows[0]["UserOutFlow"], 2.25);
    EXPECT_EQ(rows[1]["UserInFlow"], 4.5);  // the box's text is not what is recorded
    EXPECT_EQ(rows[1]["UserOutFlow"], 0.0);
}

TEST_F(RecordingTest, UpdateTrialAmountCompletesTheRowOfThePeriod) {
    for (const bool timeDriven : {false, true}) {
        SCOPED_TRACE(timeDriven ? "time-driven" : "participant-paced");
        database.execute(QStringLiteral("DELETE FROM datTrialSummary"));
        run.setup.IsTimeDriven = timeDriven;
        run.state.CurrentTrial = 3;
        RecordTrialSummary(run, QStringLiteral("1"), QStringLiteral("1"));  // the row of period 4
        run.state.CurrentTrial = 4;
        run.state.AmountInTank = 30;
        run.state.CurrentBonus = 0;
        run.state.TotBonus = 5.5;
        run.state.CurrentCost = 0.125;
        run.state.TotCost = 3;
        run.state.BackOrder[4] = 6;
        run.state.ForwardDischarge[4] = 1;
        run.state.TotalBackOrder = 20;
        run.state.TotalForwardDischarge = 21;
        UpdateTrialAmount(run);

        const auto rows = Rows(QStringLiteral("datTrialSummary"));
        ASSERT_EQ(rows.size(), 1u);
        ExpectRow(rows[0],
                  WithValues(SummaryStart(timeDriven ? 4.5 : 3.5, timeDriven ? 3.25 : 2.25, false),
                             {{"AmountInTank", 30.0},
                              {"TotBonus", 5.5},
                              {"CurrentBonus", 0.0},
                              {"CurrentCost", 0.125},
                              {"TotCost", 3.0},
                              {"BackOrder", 6.0},
                              {"ForwardDischarge", 1.0},
                              {"TotalBackOrder", 20.0},
                              {"TotalForwardDischarge", 21.0}}));
        SetUp();
    }
}

TEST_F(RecordingTest, UpdateTrialAmountChangesOnlyTheParticipantsRow) {
    // Another participant's and another version's row of the same period stay as they are.
    const QString insert = QStringLiteral(
        "INSERT INTO datTrialSummary (Subject, Version, Trial, AmountInTank) VALUES ");
    database.execute(insert + QStringLiteral("('OBrien', 'v''1', 3, 1)"));
    database.execute(insert + QStringLiteral("('O''Brien', 'v1', 3, 1)"));
    database.execute(insert + QStringLiteral("('o''brien', 'V''1', 3, 1)"));
    UpdateTrialAmount(run);
    const auto rows = Rows(QStringLiteral("datTrialSummary"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["AmountInTank"], 1.0);
    EXPECT_EQ(rows[1]["AmountInTank"], 1.0);
    EXPECT_EQ(rows[2]["AmountInTank"], 42.5);  // names match regardless of letter case
    const db::Query query = TrialSummaryQuery(run);
    EXPECT_EQ(query.sql, "select * from datTrialSummary where Version=? and Subject=? and Trial=?");
    EXPECT_EQ(query.parameters, (QVariantList{"v'1", "O'Brien", 3}));
}

TEST_F(RecordingTest, UpdateTrialAmountWithoutItsRowAppendsTheCompletedRow) {
    run.setup.IsTimeDriven = true;
    run.state.CurrentTrial = 4;
    UpdateTrialAmount(run);
    const auto rows = Rows(QStringLiteral("datTrialSummary"));
    ASSERT_EQ(rows.size(), 1u);
    ExpectRow(rows[0],
              WithValues(SummaryStart(4.5, 3.25, false), {{"CurrentBonus", 0.75},
                                                          {"CurrentCost", 0.5},
                                                          {"TotCost", 2.5},
                                                          {"BackOrder", 0.0},
                                                          {"ForwardDischarge", 0.0},
                                                          {"TotalBackOrder", 11.0},
                                                          {"TotalForwardDischarge", 12.0}}));
    // The times of the running period are kept for the next period's row.
    EXPECT_EQ(run.state.PeriodStartTime.seconds, 10 * 3600 + 1);
}

TEST_F(RecordingTest, SubmitTimeRowTakesThePressTimeOfTheMode) {
    RecordSubmitTime(run);
    run.setup.IsTimeDriven = true;
    RecordSubmitTime(run);
    const auto rows = Rows(QStringLiteral("datUserTimesSummary"));
    ASSERT_EQ(rows.size(), 2u);
    const Row common = {{"Subject", QStringLiteral("O'Brien")},
                        {"Version", QStringLiteral("v'1")},
                        {"Trial", Int(3)},
                        {"Date", TodayText()},
                        {"superseded", kFalse}};
    Row paced = common;
    paced.emplace_back("SubmitClickTime", QStringLiteral("10:01:02"));
    Row timeDriven = common;
    timeDriven.emplace_back("SubmitClickTime", QStringLiteral("11:00:03"));
    ExpectRow(rows[0], paced);
    ExpectRow(rows[1], timeDriven);
}

// ---- a row that cannot be written ------------------------------------------------------

struct Procedure {
    const char* name;
    const char* table;
    const char* status;
    std::function<void(::Run&)> record;
};

const std::vector<Procedure>& Procedures() {
    static const std::vector<Procedure> procedures = {
        {"RecordEvent", "datExperimentTrials", "Recording data",
         [](::Run& run) { RecordEvent(run, QStringLiteral("Submit Clicked")); }},
        {"RecordTrialSummary", "datTrialSummary", "Recording data",
         [](::Run& run) { RecordTrialSummary(run, QStringLiteral("1"), QStringLiteral("2")); }},
        {"UpdateTrialAmount", "datTrialSummary", "Recording Amount",
         [](::Run& run) { UpdateTrialAmount(run); }},
        {"RecordSubmitTime", "datUserTimesSummary", "Recording data",
         [](::Run& run) { RecordSubmitTime(run); }},
    };
    return procedures;
}

// A fault the engine reports only when the row is stored: the file refuses the write.
QString RefuseWrites(const QString& table) {
    return QStringLiteral(
               "CREATE TRIGGER refuse_insert BEFORE INSERT ON %1 BEGIN SELECT RAISE(ABORT, "
               "'database or disk is full'); END; CREATE TRIGGER refuse_update BEFORE UPDATE ON "
               "%1 BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;")
        .arg(table);
}
const QString kAllowWrites =
    QStringLiteral("DROP TRIGGER refuse_insert; DROP TRIGGER refuse_update;");

class RecordingFailureTest : public RecordingTest {
  protected:
    // The row that UpdateTrialAmount completes, as it stood after its period began.
    void SetUp() override {
        RecordingTest::SetUp();
        database.execute(QStringLiteral(
            "INSERT INTO datTrialSummary (Subject, Version, Trial, AmountInTank) VALUES "
            "('O''Brien', 'v''1', 3, 1)"));
    }

    QString Snapshot(const QString& table) const {
        QStringList rows;
        for (const QVariantMap& row : Rows(table)) {
            QStringList values;
            for (auto it = row.cbegin(); it != row.cend(); ++it) values << it.value().toString();
            rows << values.join(u'|');
        }
        return rows.join(u'\n');
    }
};

TEST_F(RecordingFailureTest, NoEndsTheProgramAsADatabaseFailureWithNothingWritten) {
    for (const Procedure& procedure : Procedures()) {
        SCOPED_TRACE(procedure.name);
        const QString table = QString::fromLatin1(procedure.table);
        database.execute(RefuseWrites(table));
        const QString before = Snapshot(table);
        runtime::ScriptedQuestions dialogs;
        run.asks = &dialogs;
        dialogs.answerNext(runtime::Answer::No);
        EXPECT_EQ(EndingOf([&] { procedure.record(run); }), runtime::ExitStatus::DatabaseFailure);

        ASSERT_EQ(dialogs.shown().size(), 2u);  // the question, then what stopped the session
        const runtime::Question& question = dialogs.shown()[0];
        EXPECT_EQ(question.title, WriteFailureTitle());
        EXPECT_EQ(question.buttons, runtime::Buttons::YesNo);
        EXPECT_EQ(question.icon, runtime::Icon::Question);
        EXPECT_TRUE(question.text.startsWith(QStringLiteral("Error ")));
        EXPECT_TRUE(question.text.contains(QStringLiteral("database or disk is full")));
        EXPECT_TRUE(question.text.contains(QStringLiteral("\r\nTable was ") + table + "\r\n"));
        EXPECT_TRUE(question.text.contains(QStringLiteral("Status was ") + procedure.status));
        EXPECT_TRUE(question.text.endsWith(QStringLiteral("Retry? (No to quit)")));
        const runtime::Question& ending = dialogs.shown()[1];
        EXPECT_EQ(ending.title, DatabaseFailureTitle());
        EXPECT_TRUE(ending.text.contains(QStringLiteral("database or disk is full")));
        EXPECT_TRUE(ending.text.contains(QStringLiteral("Status was ") + procedure.status));
        EXPECT_FALSE(ending.text.contains(QStringLiteral("earned")));
        EXPECT_EQ(Snapshot(table), before);
        EXPECT_FALSE(run.session.connection.held);  // a new try opens it afresh
        database.execute(kAllowWrites);
    }
}

TEST_F(RecordingFailureTest, YesWritesTheRowAgainOnce) {
    for (const Procedure& procedure : Procedures()) {
        SCOPED_TRACE(procedure.name);
        const QString table = QString::fromLatin1(procedure.table);
        database.execute(RefuseWrites(table));
        const auto before = Rows(table).size();
        DialogsWithAction dialogs;
        run.asks = &dialogs;
        dialogs.beforeAnswer = [&] { database.execute(kAllowWrites); };
        dialogs.answerNext(runtime::Answer::Yes);
        procedure.record(run);
        EXPECT_EQ(dialogs.shown().size(), 1u);
        const bool appends = std::string(procedure.name) != "UpdateTrialAmount";
        EXPECT_EQ(Rows(table).size(), before + (appends ? 1 : 0));
    }
    EXPECT_EQ(Rows(QStringLiteral("datTrialSummary")).at(0)["AmountInTank"], 42.5);
}

TEST_F(RecordingFailureTest, TableMissingAColumnLeavesNoPartialRow) {
    // A table that lacks a column the event assigns: the columns assigned before it must
    // not be stored either.
    database.execute(QStringLiteral(
        "DROP TABLE datExperimentTrials; CREATE TABLE datExperimentTrials (Subject TEXT, Version "
        "TEXT, eventType TEXT, EventID INTEGER)"));
    runtime::ScriptedQuestions dialogs;
    run.asks = &dialogs;
    dialogs.answerNext(runtime::Answer::No);
    EXPECT_THROW(RecordEvent(run, QStringLiteral("Submit Clicked")), runtime::ProgramEnded);
    EXPECT_TRUE(dialogs.shown().at(0).text.contains(QStringLiteral("'Trial'")));
    EXPECT_TRUE(Rows(QStringLiteral("datExperimentTrials")).empty());
}

TEST_F(RecordingFailureTest, LockAtCommitIsWaitedOutWithoutAsking) {
    // Another station reads the file and keeps its read lock: storing the row cannot
    // commit until it lets go.
    db::Connection reader(database.path(), db::DatabasePassword(), db::OpenMode::ReadOnly);
    reader.execute(QStringLiteral("BEGIN; SELECT count(*) FROM datExperimentTrials;"));
    QTimer release;
    release.setSingleShot(true);
    QObject::connect(&release, &QTimer::timeout, [&] { reader.rollback(); });
    release.start(1500);
    runtime::ScriptedQuestions dialogs;
    run.asks = &dialogs;
    RecordEvent(run, QStringLiteral("Submit Clicked"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(Rows(QStringLiteral("datExperimentTrials")).size(), 1u);
}

}  // namespace
