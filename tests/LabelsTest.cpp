#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

#include "config/Labels.h"
#include "core/RunRecord.h"
#include "tests/support/OpenWrite.h"
#include "tests/support/TempDatabase.h"

namespace {

using Captions = std::vector<QString>;

// Labels of a version as (LabelNumber, LabelName as an SQL literal), in insertion order.
using Labels = std::vector<std::pair<int, const char*>>;

class LabelsTest : public ::testing::Test {
  protected:
    ::Run run;

  protected:
    void SetUp() override {
        run.session.databasePath = database.path();
        run.state.Version = "A";
        run.state.TopLabelValue = 99;  // left from an earlier load
    }
    void TearDown() override { EXPECT_FALSE(WriteLeftOpen(run)) << "a write was left open"; }

    void addLabels(const QString& version, const Labels& labels) {
        for (const auto& [number, name] : labels) {
            database.execute(QStringLiteral("INSERT INTO tblLabels (version, LabelNumber, "
                                            "LabelName) VALUES ('%1', %2, %3)")
                                 .arg(QString(version).replace("'", "''"))
                                 .arg(number)
                                 .arg(name));
        }
    }

    void load() {
        LoadLabels(run);
        LoadTopLabelValue(run);
    }

    TempDatabase database;
};

struct LabelCase {
    const char* name;
    int numMarks;
    Labels labels;
    Captions captions;
    double topValue;
};

std::ostream& operator<<(std::ostream& out, const LabelCase& c) {
    return out << c.name;
}

class LabelCaseTest : public LabelsTest, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(LabelCaseTest, FillsCaptionsAndTopValue) {
    const LabelCase& c = GetParam();
    run.setup.numMarks = static_cast<std::int16_t>(c.numMarks);
    addLabels("A", c.labels);
    addLabels("B", {{0, "'other version'"}, {9, "'900'"}});
    load();
    EXPECT_EQ(run.state.MarkLabels, c.captions);
    EXPECT_EQ(run.state.TopLabelValue, c.topValue);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LabelCaseTest,
    ::testing::Values(LabelCase{"LowestFirstWhateverTheRowOrder",
                                4,
                                {{3, "'30'"}, {1, "'10'"}, {4, "'40 Gallons'"}, {2, "'20'"}},
                                {"10", "20", "30", "40 Gallons", ""},
                                40},
                      LabelCase{"FewerLabelsThanMarksLeaveTheRestEmpty",
                                4,
                                {{1, "'25'"}, {2, "'50'"}},
                                {"25", "50", "", "", ""},
                                50},
                      LabelCase{"MoreLabelsThanMarksTopValueFromTheHighest",
                                2,
                                {{1, "'100'"}, {2, "'200'"}, {3, "'300'"}, {4, "'400'"}},
                                {"100", "200", ""},
                                400},
                      LabelCase{"TopValueIsTheNumberBeforeTheWord",
                                2,
                                {{1, "'100 Gallons'"}, {2, "'  250 Gallons'"}},
                                {"100 Gallons", "  250 Gallons", ""},
                                250},
                      LabelCase{"NullNameGivesAnEmptyCaptionAndValueZero",
                                3,
                                {{1, "'10'"}, {2, "NULL"}},
                                {"10", "", "", ""},
                                0},
                      LabelCase{
                          "NoLabelsLeaveEmptyCaptionsAndValueZero", 3, {}, {"", "", "", ""}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LabelsTest, AVersionWithAQuoteFindsItsLabels) {
    run.setup.numMarks = 1;
    run.state.Version = "O'Brien";
    addLabels("O'Brien", {{1, "'7 people'"}});
    addLabels("O", {{2, "'99'"}});
    load();
    EXPECT_EQ(run.state.MarkLabels, (Captions{"7 people", ""}));
    EXPECT_EQ(run.state.TopLabelValue, 7);
}

}  // namespace
