// A write whose commit reached the lab server but whose reply was lost on the way back: the
// station tries it again, and the row is stored once, not twice; the run goes on.
#include <gtest/gtest.h>

#include <functional>

#include "core/RunRecord.h"
#include "db/Engine.h"
#include "recording/EventLog.h"
#include "recording/SubmitTime.h"
#include "recording/TrialSummary.h"
#include "runtime/Questions.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/TestServer.h"

namespace {

struct LostReplyCase {
    const char* table;
    std::function<void(::Run&)> record;
};

void PrintTo(const LostReplyCase& c, std::ostream* out) {
    *out << c.table;
}

const LostReplyCase kCases[] = {
    {"datExperimentTrials",
     [](::Run& run) { RecordEvent(run, QStringLiteral("After Cost Calculation")); }},
    {"datUserTimesSummary", [](::Run& run) { RecordSubmitTime(run); }},
    {"datTrialSummary",
     [](::Run& run) { RecordTrialSummary(run, QStringLiteral("1"), QStringLiteral("0")); }},
};

class LostReplyTest : public ::testing::TestWithParam<LostReplyCase> {};

TEST_P(LostReplyTest, AWriteWhoseReplyIsLostIsStoredOnceAndTheRunGoesOn) {
    const QString table = QLatin1String(GetParam().table);
    TempServerDatabase database;
    {
        // As the program's start does on every database.
        db::Connection connection(database.location(), db::DatabasePassword(),
                                  db::OpenMode::ReadWrite);
        db::AddMissingColumns(connection, table);
        db::AddUniqueKeys(connection, table);
    }
    CuttingProxy proxy(TestServerFolder());
    runtime::ScriptedQuestions questions;
    ::Run run;
    run.asks = &questions;
    run.session.databasePath = ServerLocationIn(proxy.folder(), database.name());
    run.state.SubjectName = QStringLiteral("Ann");
    run.state.Version = QStringLiteral("TankP");

    for (long period = 1; period <= 3; ++period) {
        run.state.CurrentTrial = period;
        run.state.EventID = period;
        if (period == 2) proxy.cutAfterNextWriteTo(table);
        GetParam().record(run);
    }

    EXPECT_EQ(proxy.cuts(), 1) << "the write was not cut after its commit";
    EXPECT_TRUE(questions.shown().empty()) << questions.shown().front().text.toStdString();
    EXPECT_EQ(FirstRow(database.location(),
                       QStringLiteral("SELECT count(*), count(DISTINCT Trial), count(DISTINCT %1) "
                                      "FROM %2")
                           .arg(QLatin1String(db::kWriteKeyColumn), table)),
              (QStringList{"3", "3", "3"}));
}

INSTANTIATE_TEST_SUITE_P(RecordedTables, LostReplyTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.table); });

}  // namespace
