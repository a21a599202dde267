// A station stopped at any moment of a run and the run continued. Which period counts as
// complete is judged from the event rows; and a run killed at a random moment (inside a write
// too) and continued keeps one summary row a period and, leaving out its superseded rows,
// records exactly what the same run records without the stop. The run plays headless on a
// simulated clock, in a child process that is killed at a random moment of real time.
#include <gtest/gtest.h>

#include <QHash>
#include <QStringList>
#include <ostream>

#include "recording/InterruptedPeriod.h"

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
        CompletenessCase{"TimedPhaseFromThePeriodBeforeOnly", true, "1:EASN 2:IANA", 0, 1, 4}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
