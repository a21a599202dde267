// The tank picture: scale, marks, goal line, liquid body and people blocks, as plain
// arithmetic and as drawn by the simulation screen.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "screens/simulation/frmHydrovat.h"
#include "task/TankGeometry.h"
#include "tests/frmHydrovatFixture.h"

namespace {

constexpr double kTankTop = 2760;
constexpr double kTankBottom = 6345;  // top 2760 + height 3585
constexpr double kDesignLiquidBottom = 6375;

TEST(TankGeometry, DesignScaleOfTenMarks) {
    const tank::MarkScale scale = tank::ScaleForMarks(1000, 10, 3585);
    EXPECT_DOUBLE_EQ(scale.AmountPerMark, 100);
    EXPECT_DOUBLE_EQ(scale.TwipsPerMark, 358.5);
    EXPECT_DOUBLE_EQ(tank::MarkY(kTankBottom, scale.TwipsPerMark, 0), 5986.5);
    EXPECT_DOUBLE_EQ(tank::MarkY(kTankBottom, scale.TwipsPerMark, 9), kTankTop);
    // A goal of 600, stored as 600 * 358.5 = 215100, lies 2151 twips up: on mark 5.
    EXPECT_DOUBLE_EQ(tank::GoalLineY(kTankBottom, 215100 / scale.AmountPerMark), 4194);
    EXPECT_DOUBLE_EQ(tank::MarkY(kTankBottom, scale.TwipsPerMark, 5), 4194);
}

TEST(TankGeometry, SpacingDividesTheTankHeightInSinglePrecision) {
    const tank::MarkScale scale = tank::ScaleForMarks(700, 7, 3585);
    EXPECT_DOUBLE_EQ(scale.TwipsPerMark, 3585.0 / 7.0);
    EXPECT_DOUBLE_EQ(scale.AmountPerMark, 100);
}

struct LiquidCase {
    const char* what;
    tank::Liquid before;
    double height;
    tank::Liquid after;
};

std::ostream& operator<<(std::ostream& out, const LiquidCase& c) {
    return out << c.what;
}

class LiquidStep : public ::testing::TestWithParam<LiquidCase> {};

TEST_P(LiquidStep, FollowsTheAmount) {
    const LiquidCase& c = GetParam();
    const tank::Liquid after = tank::NextLiquid(c.before, c.height, kTankBottom);
    EXPECT_DOUBLE_EQ(after.top, c.after.top) << c.what;
    EXPECT_DOUBLE_EQ(after.height, c.after.height) << c.what;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, LiquidStep,
    ::testing::Values(
        // From the design body (bottom edge 6375): the surface of 600 stands at 4224.
        LiquidCase{"600 from design", {2760, 3615}, 2151, {4224, 2151}},
        LiquidCase{"fraction dropped", {2760, 3615}, 1234.9, {kDesignLiquidBottom - 1234, 1234}},
        LiquidCase{"negative empties onto the bottom", {4224, 2151}, -0.5, {kTankBottom, 0}},
        LiquidCase{"grows from the bottom again", {kTankBottom, 0}, 100, {kTankBottom - 100, 100}},
        LiquidCase{"15 twips do not shrink", {kTankBottom - 15, 15}, 10.7, {kTankBottom - 15, 15}},
        LiquidCase{"15 twips grow", {kTankBottom - 15, 15}, 20, {kTankBottom - 20, 20}},
        LiquidCase{"15 twips empty when negative", {kTankBottom - 15, 15}, -3, {kTankBottom, 0}},
        LiquidCase{"16 twips shrink", {kTankBottom - 16, 16}, 10, {kTankBottom - 10, 10}},
        LiquidCase{"taller than the tank", {kTankBottom, 0}, 5000, {kTankBottom - 5000, 5000}},
        LiquidCase{"no number keeps it", {4224, 2151}, kNaN, {4224, 2151}}));

tank::PeopleArea DesignPicture() {
    // Picture1 at 2880, 2760, 9375 by 3615 with a two-pixel frame.
    return {2880, 2760, 9375 - 60, 3615 - 60, 15, 15};
}

TEST(PersonBlocks, ThreePointNineDrawsThreeFromTheBottomLeft) {
    const tank::PeopleArea area = DesignPicture();
    const double H = area.height;
    const auto blocks = tank::PersonBlocks(3.9, area, 5, 10);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], QRectF(QPointF(0, H - 165), QPointF(75, H - 15)));
    EXPECT_EQ(blocks[1], blocks[0].translated(90, 0));
    EXPECT_EQ(blocks[2], blocks[0].translated(180, 0));
}

TEST(PersonBlocks, NoWholePersonDrawsNothing) {
    for (const double count : {0.0, 0.7, -3.0, kNaN}) {
        EXPECT_TRUE(tank::PersonBlocks(count, DesignPicture(), 5, 10).empty()) << count;
    }
}

TEST(PersonBlocks, AFullRowStartsTheNextOneHigher) {
    const tank::PeopleArea area = DesignPicture();
    // A block starts while x < W - 75: x = 0, 90, ..., 9180 gives 103 a row.
    const auto blocks = tank::PersonBlocks(104, area, 5, 10);
    ASSERT_EQ(blocks.size(), 104u);
    EXPECT_DOUBLE_EQ(blocks[102].left(), 9180);
    EXPECT_DOUBLE_EQ(blocks[103].left(), 0);
    EXPECT_DOUBLE_EQ(blocks[103].top(), area.height - 330);
}

TEST(PersonBlocks, RowsAboveThePictureAreLeftOut) {
    const tank::PeopleArea area = DesignPicture();
    // 3555 twips hold 21 full rows and the top 90 twips of a 22nd.
    const auto blocks = tank::PersonBlocks(1e12, area, 5, 10);
    EXPECT_EQ(blocks.size(), 22u * 103u);
    for (const QRectF& block : blocks) EXPECT_GT(block.bottom(), 0);
}

TEST(PersonBlocks, ADegenerateBlockSizeStillEnds) {
    const auto blocks = tank::PersonBlocks(1e12, DesignPicture(), -1, -1);
    EXPECT_LT(blocks.size(), 1000000u);
}

// The same drawing on the screen.
class TankDrawing : public ScreenTest {};

TEST_F(TankDrawing, LoadPlacesTheDesignScaleAndTheGoal) {
    PrepareScreenRun(run, true);
    frmHydrovat form(run);
    EXPECT_DOUBLE_EQ(run.state.AmountPerMark, 100);
    EXPECT_DOUBLE_EQ(run.state.TwipsPerMark, 358.5);
    EXPECT_DOUBLE_EQ(run.setup.GoalLinePosition, 215100);
    EXPECT_DOUBLE_EQ(run.setup.InitialAmountInTank, 215100);
    EXPECT_DOUBLE_EQ(run.state.AmountInTank, 215100);

    EXPECT_DOUBLE_EQ(form.TankFill[0].Height(), 2151);
    EXPECT_DOUBLE_EQ(form.TankFill[0].Top(), 4224);
    EXPECT_FALSE(form.WaterLine[0].Visible());
    EXPECT_TRUE(form.TankFill[0].Visible());

    EXPECT_DOUBLE_EQ(form.lineGoal.Y1(), 4194);
    EXPECT_DOUBLE_EQ(form.lineGoal.Y2(), 4194);
    EXPECT_DOUBLE_EQ(form.lineGoal.X1(), 1800);
    EXPECT_DOUBLE_EQ(form.lineGoal.X2(), 13440);
    EXPECT_DOUBLE_EQ(form.lblGoal.Top(), 4194);

    for (int i = 0; i < 10; ++i) {
        const double y = 5986.5 - 358.5 * i;
        EXPECT_DOUBLE_EQ(form.markY[i].Y1(), y) << i;
        EXPECT_DOUBLE_EQ(form.markY[i].Y2(), y) << i;
        EXPECT_DOUBLE_EQ(form.markY[i].X1(), 2520) << i;
        EXPECT_DOUBLE_EQ(form.lblMarkY[i].Top(), y - 127.5) << i;
        EXPECT_EQ(form.lblMarkY[i].Caption(), QString::number((i + 1) * 100)) << i;
    }
    // The read-outs show amounts, not screen units.
    EXPECT_EQ(form.lblGoalStatusVal.Caption(), QStringLiteral("600.000"));
    EXPECT_EQ(form.lblAmountStatusVal.Caption(), QStringLiteral("600.000"));
}

TEST_F(TankDrawing, NegativeAmountEmptiesTheTankAndTheNextGrowsFromItsBottom) {
    PrepareScreenRun(run, true);
    frmHydrovat form(run);
    form.FillTank(0, -5 * run.state.TwipsPerMark);
    EXPECT_DOUBLE_EQ(form.TankFill[0].Height(), 0);
    EXPECT_DOUBLE_EQ(form.TankFill[0].Top(), kTankBottom);

    form.FillTank(0, 100 * run.state.TwipsPerMark);  // 358.5 twips, drawn 358
    EXPECT_DOUBLE_EQ(form.TankFill[0].Height(), 358);
    EXPECT_DOUBLE_EQ(form.TankFill[0].Top(), kTankBottom - 358);
    EXPECT_EQ(form.TankFill[0].geometry(), ui::TwipRect(2880, kTankBottom - 358, 9360, 358));
}

TEST_F(TankDrawing, FiveMarksShowOnlyTheirOwn) {
    PrepareScreenRun(run, true);
    run.setup.numMarks = 5;
    run.state.TopLabelValue = 500;
    frmHydrovat form(run);
    EXPECT_DOUBLE_EQ(run.state.TwipsPerMark, 717);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(form.markY[i].Visible(), i < 5) << i;
        EXPECT_EQ(form.lblMarkY[i].Visible(), i < 5) << i;
    }
    EXPECT_DOUBLE_EQ(form.markY[4].Y1(), kTankTop);
}

TEST_F(TankDrawing, StoreShowsAmountGoalAndOneBlockPerPerson) {
    PrepareScreenRun(run, false);
    frmHydrovat form(run);
    const double H = form.Picture1.ScaleHeight();
    ASSERT_DOUBLE_EQ(H, 3555);

    form.FillTank(0, 3.9);
    ASSERT_EQ(form.Picture1.Boxes().size(), 3u);
    EXPECT_EQ(form.Picture1.Boxes()[0].twips, QRectF(QPointF(0, H - 165), QPointF(75, H - 15)));
    EXPECT_EQ(form.Picture1.Boxes()[0].color, QColor(0, 0, 255));
    EXPECT_EQ(form.MissedFB[0].Caption(), QStringLiteral("3.9"));
    EXPECT_EQ(form.MissedFB[1].Caption(), QStringLiteral("600"));
    EXPECT_FALSE(form.TankFill[0].Visible());

    form.FillTank(0, 0.5);
    EXPECT_TRUE(form.Picture1.Boxes().empty());
    EXPECT_EQ(form.MissedFB[0].Caption(), QStringLiteral(".5"));

    form.FillTank(0, 120);
    EXPECT_EQ(form.Picture1.Boxes().size(), 120u);
    EXPECT_EQ(form.MissedFB[0].Caption(), QStringLiteral("120"));

    form.FillTank(0, -3);
    EXPECT_TRUE(form.Picture1.Boxes().empty());
}

TEST_F(TankDrawing, BlocksKeepTheirDesignSizeOnALargerScreen) {
    PrepareScreenRun(run, false);
    context->twipsPerPixel = 10;
    frmHydrovat form(run);
    form.FillTank(0, 104);
    const auto& boxes = form.Picture1.Boxes();
    ASSERT_EQ(boxes.size(), 104u);
    EXPECT_EQ(boxes[0].twips.size(), QSizeF(75, 150));
    EXPECT_DOUBLE_EQ(boxes[103].twips.left(), 0);  // 103 a row, as on the design screen
}

TEST_F(TankDrawing, AnIndexOtherThanTheTankDrawsNothing) {
    PrepareScreenRun(run, true);
    frmHydrovat form(run);
    const double before = form.TankFill[0].Height();
    form.FillTank(1, 0);
    form.FillTank(-1, 0);
    EXPECT_DOUBLE_EQ(form.TankFill[0].Height(), before);
}

}  // namespace
