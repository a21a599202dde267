// A station stopped at any moment of a run and the run continued. Which period counts as
// complete is judged from the event rows; and a run killed at a random moment (inside a write
// too) and continued keeps one summary row a period and, leaving out its superseded rows,
// records exactly what the same run records without the stop. The run plays headless on a
// simulated clock, in a child process that is killed at a random moment of real time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <chrono>
#include <ostream>
#include <random>
#include <thread>

#include "app/Main.h"
#include "core/RunRecord.h"
#include "db/Schema.h"
#include "recording/InterruptedPeriod.h"
#include "runtime/NumberText.h"
#include "runtime/ProgramEnd.h"
#include "screens/common/Dialogs.h"
#include "screens/intake/frmLogin.h"
#include "support/ExperimentDatabase.h"
#include "support/IntakeScripts.h"
#include "support/ProgramStart.h"
#include "task/HeadlessPlayer.h"

namespace {

// ---- which period is complete ----------------------------------------------------------

// A run's event rows written compactly: per period its number, a colon and one letter per
// row (S "Submit Clicked", E "Environment Effect", N "No User Effect", I "User Inflow", O "User
// Outflow", A "After Cost Calculation"), EventIDs from 1 in order.
std::vector<RecordedEvent> Events(const QString& text) {
    const QHash<QChar, QString> types{{'S', "Submit Clicked"}, {'E', "Environment Effect"},
                                      {'N', "No User Effect"}, {'I', "User Inflow"},
                                      {'O', "User Outflow"},   {'A', "After Cost Calculation"}};
    std::vector<RecordedEvent> events;
    for (const QString& period : text.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = period.split(':');
        for (const QChar letter : parts[1]) {
            events.push_back({static_cast<std::int32_t>(events.size() + 1), parts[0].toLong(),
                              types.value(letter)});
        }
    }
    return events;
}

struct CompletenessCase {
    const char* name;
    bool timeDriven;
    const char* events;
    long presses;  // Submit presses recorded in the latest period
    long period;   // the last complete period, 0 for none
    int closingEventID;
};

std::ostream& operator<<(std::ostream& out, const CompletenessCase& c) {
    return out << c.name;
}

class CompletenessTest : public ::testing::TestWithParam<CompletenessCase> {};

TEST_P(CompletenessTest, FindsTheEndOfTheLastCompletePeriod) {
    const CompletenessCase& c = GetParam();
    const CompletePeriod complete =
        LastCompletePeriod(Events(c.events), c.timeDriven, c.presses, 5);
    EXPECT_EQ(complete.period, c.period);
    EXPECT_EQ(complete.closingEventID, c.closingEventID);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CompletenessTest,
    ::testing::Values(
        CompletenessCase{"PacedScored", false, "1:SENIA 2:SENOA", 0, 2, 10},
        CompletenessCase{"PacedUserPhaseRunning", false, "1:SENIA 2:SENI", 0, 1, 5},
        CompletenessCase{"PacedOnlySubmitted", false, "1:SENIA 2:S", 0, 1, 5},
        CompletenessCase{"PacedFirstPeriodInterrupted", false, "1:SEN", 0, 0, 0},
        CompletenessCase{"PacedLastPeriodScored", false, "4:SENA 5:SENA", 0, 5, 8},
        CompletenessCase{"TimedUserPhaseThenEnvironmentScored", true, "1:NIAEA", 0, 1, 5},
        CompletenessCase{"TimedEnvironmentStillToCome", true, "1:NAEA 2:NIA", 0, 1, 4},
        CompletenessCase{"TimedFirstPeriodEnvironmentToCome", true, "1:NIA", 0, 0, 0},
        CompletenessCase{"TimedEnvironmentFirstScored", true, "1:NAEA 2:EA", 0, 2, 6},
        CompletenessCase{"TimedEnvironmentNotActingScored", true, "1:NAEA 2:A", 0, 2, 5},
        CompletenessCase{"TimedSubmitPhaseRunning", true, "1:NAEA 2:EASNI", 1, 1, 4},
        CompletenessCase{"TimedSubmitPhaseScored", true, "1:NAEA 2:EASNIA", 1, 2, 10},
        CompletenessCase{"TimedPressNotTakenOver", true, "1:NAEA 2:EA", 1, 1, 4},
        CompletenessCase{"TimedPressInTheLastPeriod", true, "4:EA 5:EA", 1, 5, 4},
        CompletenessCase{"TimedPhaseFromThePeriodBeforeScored", true, "1:EASN 2:IANAEA", 0, 2, 10},
        CompletenessCase{"TimedPhaseFromThePeriodBeforeOnly", true, "1:EASN 2:IANA", 0, 1, 4},
        // A Submit that joined the clock's phase in its first pause shares its scoring; the
        // rows read as a phase still running, and the period is played again.
        CompletenessCase{"TimedSubmitJoinedTheClocksPhase", true, "1:NAEA 2:NSNIAEA", 1, 1, 4}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- a run killed at random moments ----------------------------------------------------

// The participant's orders, period 1 to 12; a time-driven participant leaves every third
// period without a Submit.
const double kInflowOrders[] = {5, 0, 7, 2, 0, 3, 4, 1, 6, 0, 2, 3};
const double kOutflowOrders[] = {1, 2, 0, 3, 1, 0, 2, 2, 1, 0, 1, 4};
constexpr int kPeriods = 12;
constexpr int kKills = 50;

bool PressesIn(const ::Run& run, int period) {
    return !run.setup.IsTimeDriven || period % 3 != 0;
}

struct Pacing {
    const char* name;
    bool timeDriven;
};

std::ostream& operator<<(std::ostream& out, const Pacing& p) {
    return out << p.name;
}

// Columns that hold the moment of recording, the numbering or the key made anew for each
// write, which a continued run does not share with the uninterrupted one.
const QStringList kMomentColumns = {
    "Subject",    "EventID",          "Date", "Time", "startTime", "endTime", "SubmitClickTime",
    "superseded", db::kWriteKeyColumn};

class KilledRunTest : public ::testing::TestWithParam<Pacing> {
  protected:
    std::optional<Program> program;
    ::Run& run() { return program->run(); }

  protected:
    void SetUp() override {
        database.addVersion("V", {{"IsTimeDriven", GetParam().timeDriven ? "-1" : "0"},
                                  {"InitialBackOrder", "6"},
                                  {"InitialForwardDischarge", "3"}});
        // Delays that rise and fall while the run goes on.
        database.addDelaySegment(1, 3, 4, 2, 5);
        database.addDelaySegment(1, 1, 3, 4, 3);
        database.addDelaySegment(1, 2, 20, 1, 20);
        for (int trial = 1; trial <= kPeriods; ++trial) {
            // Period 5 has no environment action.
            const bool acts = trial != 5;
            database.addRate(1, trial, acts ? 1.5 + trial % 3 : -1, acts ? 0.75 * (trial % 4) : -1);
        }
    }
    void TearDown() override { program->UnloadSimulationScreen(); }

    // The program started for the participant up to its simulation screen, which goes: the
    // run is played headless. False when the program ended at the login (a finished run).
    bool startProgram(const QString& name) {
        dialogs.clear();
        try {
            StartProgramAgain(program, dialogs, database.path(), name);
        } catch (const runtime::ProgramEnded&) {
            return false;
        }
        program->UnloadSimulationScreen();
        return true;
    }

    // Plays from where the run stands to its end. Participant-paced: each period's orders,
    // then Submit. Time-driven: the orders submitted as soon as the clock has opened a period.
    void PlayToEnd() {
        period::HeadlessPlayer player(run());
        while (!player.ended()) {
            if (run().setup.IsTimeDriven) {
                const int open = run().state.CurrentTrial;
                player.playUntil([&] { return run().state.CurrentTrial != open; });
            }
            const int n = run().state.CurrentTrial + (run().setup.IsTimeDriven ? 0 : 1);
            if (!player.ended() && n >= 1 && PressesIn(run(), n)) {
                player.type(runtime::Plain(kInflowOrders[n - 1]),
                            runtime::Plain(kOutflowOrders[n - 1]));
                player.submit();
            }
            if (!run().setup.IsTimeDriven) player.playUntil([&] { return player.submitOffered(); });
        }
    }

    // The participant's run played in a child process that is killed after `delay`. True
    // when the kill fell inside a write: the engine's journal of the unfinished write stays.
    bool PlayKilledAfter(std::chrono::microseconds delay) {
        const pid_t child = fork();
        if (child < 0) {
            ADD_FAILURE() << "no child process";
            return false;
        }
        if (child == 0) {
            PlayToEnd();
            _exit(0);
        }
        std::this_thread::sleep_for(delay);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return QFileInfo::exists(database.path() + QStringLiteral("-journal"));
    }

    // The participant's rows of a table that are not superseded (a period's summary row
    // is never superseded: a continuation writes it again).
    std::vector<ExperimentDatabase::Row> kept(const char* table, const QString& name) const {
        const QString tableName = QString::fromLatin1(table);
        return database.rows(QStringLiteral("SELECT * FROM %1 WHERE Subject = %2%3 ORDER BY rowid")
                                 .arg(tableName, Literal(name),
                                      tableName == QLatin1String("datTrialSummary")
                                          ? QString()
                                          : QStringLiteral(" AND NOT superseded")));
    }

    // The kept rows of a table equal the uninterrupted run's, row by row.
    void expectSameRows(const char* table, const QString& name) const {
        const auto whole = kept(table, "Whole");
        const auto split = kept(table, name);
        ASSERT_EQ(split.size(), whole.size()) << table;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            for (const auto& [column, value] : whole[i]) {
                if (kMomentColumns.contains(column)) continue;
                EXPECT_EQ(split[i].at(column).toString().toStdString(),
                          value.toString().toStdString())
                    << table << " row " << i + 1 << " column " << column.toStdString();
            }
        }
    }

    // Plays the whole run once and says how long a run plays.
    std::chrono::microseconds playWhole() {
        EXPECT_TRUE(startProgram("Whole"));
        const auto start = std::chrono::steady_clock::now();
        PlayToEnd();
        return std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
    }

    ExperimentDatabase database;
    ui::ScriptedDialogs dialogs;
};

TEST_P(KilledRunTest, ContinuedRunKeepsExactlyTheRowsOfTheUninterruptedRun) {
    const std::chrono::microseconds runTime = playWhole();
    ASSERT_EQ(kept("datTrialSummary", "Whole").size(), std::size_t{kPeriods});
    int killsInsideWrites = 0;
    std::mt19937 random(GetParam().timeDriven ? 12 : 11);
    std::uniform_int_distribution<long> moment(0, runTime.count());
    for (int k = 0; k < kKills && !HasFailure(); ++k) {
        const QString name = QStringLiteral("Split%1").arg(k);
        const std::chrono::microseconds delay(moment(random));
        SCOPED_TRACE(
            QStringLiteral("%1 killed after %2 us").arg(name).arg(delay.count()).toStdString());
        ASSERT_TRUE(startProgram(name));
        killsInsideWrites += PlayKilledAfter(delay);
        if (startProgram(name)) PlayToEnd();

        for (const char* table :
             {"datExperimentTrials", "datTrialSummary", "datUserTimesSummary"}) {
            expectSameRows(table, name);
        }
    }
    RecordProperty("killsInsideWrites", killsInsideWrites);
    EXPECT_GT(killsInsideWrites, 0) << "no kill fell inside a write";
}

INSTANTIATE_TEST_SUITE_P(Modes, KilledRunTest,
                         ::testing::Values(Pacing{"ParticipantPaced", false},
                                           Pacing{"TimeDriven", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
