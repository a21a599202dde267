// The picture of a run: read from the event log, with every point where it belongs.
#include <gtest/gtest.h>

#include <QImage>

#include "session/Plot.h"
#include "tests/support/ToolFixtures.h"
#include "tool/common/ToolError.h"
#include "tool/csv/CsvImport.h"

namespace {

using tool::kAmountColour;

// Three periods of participant Ann in TankP, as the program logs them (goal 60, band 55-65).
const QByteArray kEvents =
    "Subject,Version,eventType,EventID,Trial,AmountInTank,GoalAmount,LowerBoundFromGoal,"
    "UpperBoundFromGoal,"
    "UserInFlow,UserOutFlow,EnvInFlow,EnvOutFlow,SimulationTime\n"
    "Ann,TankP,Submit Clicked,1,1,40,60,5,5,5,1,3,1.5,2\n"
    "Ann,TankP,Environment Effect,2,1,43,60,5,5,5,1,3,1.5,2\n"
    "Ann,TankP,No User Effect,3,1,43,60,5,5,5,1,3,1.5,2\n"
    "Ann,TankP,After Cost Calculation,4,1,43,60,5,5,5,1,3,1.5,2\n"
    "Ann,TankP,Submit Clicked,5,2,43,60,5,5,0,2,3,1.5,2\n"
    "Ann,TankP,Environment Effect,6,2,46,60,5,5,0,2,3,1.5,2\n"
    "Ann,TankP,User Inflow,7,2,51,60,5,5,0,2,3,1.5,2\n"
    "Ann,TankP,After Cost Calculation,8,2,51,60,5,5,0,2,3,1.5,2\n"
    "Ben,TankP,Submit Clicked,9,1,10,60,5,5,4,4,3,1.5,2\n"
    "Ann,TankP,Submit Clicked,10,3,51,60,5,5,3,0,1,3,2\n"
    "Ann,TankP,Environment Effect,11,3,47,60,5,5,3,0,1,3,2\n"
    "Ann,TankP,After Cost Calculation,12,3,47,60,5,5,3,0,1,3,2\n";

class PlotTest : public ::testing::Test {
  protected:
    PlotTest() {
        const QString path = demo.file("events.csv");
        WriteFile(path, kEvents);
        tool::NoProgress quiet;
        tool::ImportTableFile(demo.path(), "datExperimentTrials", path, false, quiet);
    }
    tool::RunData annsRun() {
        auto connection = tool::OpenExperimentDatabase(demo.path(), db::OpenMode::ReadOnly);
        return tool::LoadRun(*connection, "ann", "TankP");
    }

    DemoDatabase demo;
};

TEST_F(PlotTest, TheRunIsReadPeriodByPeriodFromTheEventLog) {
    const tool::RunData run = annsRun();
    EXPECT_EQ(run.units, QStringLiteral("Gallons"));
    EXPECT_EQ(run.startAmount, 40);
    ASSERT_EQ(run.periods.size(), 3u);
    const double expected[3][6] = {
        {43, 5, 1, 6, 3, 60}, {51, 0, 2, 6, 3, 60}, {47, 3, 0, 2, 6, 60}};
    for (int t = 0; t < 3; ++t) {
        const tool::RunPeriod& p = run.periods[static_cast<std::size_t>(t)];
        EXPECT_EQ(p.trial, t + 1);
        EXPECT_EQ((std::vector<double>{p.amount, p.userInFlow, p.userOutFlow, p.envInFlow,
                                       p.envOutFlow, p.goal}),
                  std::vector<double>(expected[t], expected[t] + 6))
            << "period " << t + 1;
    }
}

TEST_F(PlotTest, PointsBandAndAxesAreWhereTheyBelong) {
    const tool::RunData run = annsRun();
    const QSize size(400, 300);
    const QImage image = tool::DrawRunChart(run, size);
    const tool::ChartLayout layout(run, size);
    const auto colourAt = [&](QPointF point) { return image.pixelColor(point.toPoint()); };

    // Round axes over the data: periods 0 to 3, amounts 40 to 65 (the band's top), flows 0 to 6.
    EXPECT_EQ(layout.periods().low, 0);
    EXPECT_EQ(layout.periods().high, 3);
    EXPECT_EQ(layout.amounts().low, 40);
    EXPECT_EQ(layout.amounts().high, 65);
    EXPECT_EQ(layout.flows().low, 0);
    EXPECT_EQ(layout.flows().high, 6);
    const QRectF area = layout.amountArea();
    EXPECT_TRUE(QRectF(QPointF(0, 0), size).contains(area.united(layout.flowArea())));
    EXPECT_NEAR(layout.amountPoint(3, 65).x(), area.right(), 0.01);
    EXPECT_NEAR(layout.amountPoint(1.5, 52.5).y(), area.center().y(), 0.01);
    EXPECT_GT(layout.flowArea().top(), area.bottom());

    EXPECT_EQ(colourAt(layout.amountPoint(0, 40)), kAmountColour);
    EXPECT_EQ(colourAt(layout.amountPoint(1, 43)), kAmountColour);
    EXPECT_EQ(colourAt(layout.amountPoint(2, 51)), kAmountColour);
    EXPECT_EQ(colourAt(layout.amountPoint(3, 47)), kAmountColour);
    EXPECT_EQ(colourAt(layout.amountPoint(1.5, 63)), tool::kBandColour);
    EXPECT_EQ(colourAt(layout.amountPoint(0.5, 53)), QColor(Qt::white));

    const std::pair<double, QColor> flows[3][4] = {
        {{5, tool::kUserInColour},
         {1, tool::kUserOutColour},
         {6, tool::kEnvInColour},
         {3, tool::kEnvOutColour}},
        {{0, tool::kUserInColour},
         {2, tool::kUserOutColour},
         {6, tool::kEnvInColour},
         {3, tool::kEnvOutColour}},
        {{3, tool::kUserInColour},
         {0, tool::kUserOutColour},
         {2, tool::kEnvInColour},
         {6, tool::kEnvOutColour}},
    };
    for (int t = 0; t < 3; ++t)
        for (const auto& [value, colour] : flows[t])
            EXPECT_EQ(colourAt(layout.flowPoint(t + 1, value)), colour)
                << "period " << t + 1 << " flow " << value;
}

TEST_F(PlotTest, PlotRunWritesAPictureOfTheRequestedSize) {
    const QString png = demo.file("ann.png");
    tool::PlotRun(demo.path(), "Ann", "TankP", png, QSize(640, 480));
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(640, 480));
}

// What stands in the way of the picture is named: a folder that is not there, a size no
// image can have.
TEST_F(PlotTest, APictureThatCannotBeWrittenSaysWhy) {
    struct Case {
        QString png;
        QSize size;
        QString message;
    };
    const QString noFolder = demo.file("missing/ann.png");
    const Case cases[] = {
        {noFolder, QSize(640, 480),
         noFolder + QStringLiteral(": cannot write: No such file or directory")},
        {demo.file("huge.png"), QSize(99999, 99999),
         QStringLiteral("a picture of 99999 x 99999 pixels is too large to draw")},
    };
    for (const Case& c : cases) {
        try {
            tool::PlotRun(demo.path(), "Ann", "TankP", c.png, c.size);
            ADD_FAILURE() << "wrote " << c.png.toStdString();
        } catch (const tool::ToolError& error) {
            EXPECT_EQ(error.message(), c.message);
        }
    }
}

TEST_F(PlotTest, AParticipantWithoutEventsIsAClearError) {
    try {
        tool::PlotRun(demo.path(), "Zoe", "TankP", demo.file("zoe.png"));
        FAIL();
    } catch (const tool::ToolError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("participant 'Zoe' has no recorded events in version 'TankP'"));
    }
}

// The period axis ends at the run's last period, not at the next round number: a run of 12
// periods is drawn on an axis of 12, one of 20 on 20.
class PeriodAxisTest : public ::testing::TestWithParam<int> {};

TEST_P(PeriodAxisTest, EndsAtTheLastPeriod) {
    tool::RunData run{"Ann", "TankP", "Gallons", 50, {}};
    for (int trial = 1; trial <= GetParam(); ++trial)
        run.periods.push_back({trial, 50.0 + trial % 3, 50, 5, 5, 1, 0, 2, 1});
    const tool::ChartLayout layout(run, QSize(400, 300));
    EXPECT_EQ(layout.periods().low, 0);
    EXPECT_EQ(layout.periods().high, GetParam());
    EXPECT_NEAR(layout.amountPoint(GetParam(), 50).x(), layout.amountArea().right(), 0.01);
}

INSTANTIATE_TEST_SUITE_P(Lengths, PeriodAxisTest, ::testing::Values(1, 3, 7, 12, 13, 20, 36));

}  // namespace
