// The form runtime's drawn controls: twip geometry, visibility, colours, stacking, the picture
// box's drawing and control arrays.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <limits>

#include "screens/common/Controls.h"
#include "screens/common/Twips.h"

namespace {

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override { form.resize(ui::TwipRect(0, 0, 16080, 10260).size()); }

    // The form as drawn, and the colour of one pixel of it at a point in twips.
    QColor ColorAt(double x, double y) {
        return form.grab().toImage().pixelColor(ui::TwipPoint(x, y));
    }

    runtime::ScopedContext context;
    QWidget form;
};

TEST_F(ControlsTest, BoxGeometryIsKeptInTwipsAndPlacedInPixels) {
    ui::Label label(&form);
    label.Move(720, 240, 1695, 375);
    EXPECT_EQ(label.geometry(), QRect(48, 16, 113, 25));

    // Fractions stay exact in twips; only the pixels are rounded.
    label.setTop(5986.5 - 127.5);
    EXPECT_DOUBLE_EQ(label.Top(), 5859);
    label.setHeight(255.25);
    EXPECT_DOUBLE_EQ(label.Height(), 255.25);
    EXPECT_EQ(label.geometry(), ui::TwipRect(720, 5859, 1695, 255.25));

    context->twipsPerPixel = 10;
    label.setLeft(720);
    EXPECT_EQ(label.geometry().topLeft(), QPoint(72, 586));
}

TEST_F(ControlsTest, VisibleIsTheControlsOwnFlagBeforeTheFormShows) {
    ui::Label shown(&form);
    ui::Shape hidden(&form);
    hidden.setVisible(false);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(shown.Visible());
    EXPECT_FALSE(hidden.Visible());
    hidden.setVisible(true);
    EXPECT_TRUE(hidden.Visible());
}

TEST_F(ControlsTest, LabelWithoutBackColorLetsTheFormShowThrough) {
    ui::Label label(&form);
    label.Move(0, 0, 1500, 600);
    EXPECT_FALSE(label.BackColor().isValid());
    EXPECT_FALSE(label.autoFillBackground());
    label.setBackColor(QColor(255, 0, 0));
    EXPECT_EQ(ColorAt(750, 500), QColor(255, 0, 0));
    label.setForeColor(QColor(0, 0, 255));
    EXPECT_EQ(label.ForeColor(), QColor(0, 0, 255));
}

TEST_F(ControlsTest, LabelCaptionIsPlainTextEvenWhenItLooksLikeMarkup) {
    ui::Label label(&form);
    label.setCaption(QStringLiteral("<b>Gallons</b>"));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.Caption(), QStringLiteral("<b>Gallons</b>"));
}

TEST_F(ControlsTest, ShapeFillAndBorderLieInsideItsEdges) {
    ui::Shape shape(&form);
    shape.Move(1500, 1500, 1500, 1500);  // pixels 100 to 199
    shape.setFillStyle(ui::Shape::Solid);
    shape.setFillColor(QColor(0, 0, 255));
    shape.setBorderColor(QColor(255, 0, 0));
    shape.setBorderWidth(3);
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(100, 150), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(102, 150), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(103, 150), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(199, 150), QColor(255, 0, 0));
    EXPECT_NE(image.pixelColor(200, 150), QColor(255, 0, 0));
}

TEST_F(ControlsTest, LineIsDrawnBetweenItsEnds) {
    ui::Line line(&form);
    line.Move(1800, 4440, 13440, 4440);
    line.setBorderColor(QColor(255, 0, 0));
    line.setBorderWidth(3);
    EXPECT_EQ(ColorAt(6000, 4440), QColor(255, 0, 0));
    line.setY1(3000);
    line.setY2(line.Y1());
    EXPECT_EQ(ColorAt(6000, 3000), QColor(255, 0, 0));
    EXPECT_NE(ColorAt(6000, 4440), QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(line.X2(), 13440);
}

TEST_F(ControlsTest, RunawayGeometryDrawsNothingAndDoesNotFail) {
    ui::Shape shape(&form);
    shape.Move(100, 100, 100, -50);
    EXPECT_DOUBLE_EQ(shape.Height(), -50);
    EXPECT_EQ(shape.geometry().height(), 0);
    shape.setHeight(std::numeric_limits<double>::infinity());
    shape.setTop(-1e300);
    shape.setLeft(std::numeric_limits<double>::quiet_NaN());
    EXPECT_GE(shape.geometry().top(), -10000000);
    form.grab();
}

TEST_F(ControlsTest, PictureBoxInnerAreaIsTheBoxLessItsFrame) {
    ui::PictureBox picture(&form);
    picture.Move(2880, 2760, 9375, 3615);
    EXPECT_DOUBLE_EQ(picture.ScaleWidth(), 9375 - 60);
    EXPECT_DOUBLE_EQ(picture.ScaleHeight(), 3615 - 60);
    context->twipsPerPixel = 10;
    EXPECT_DOUBLE_EQ(picture.ScaleWidth(), 9375 - 40);
}

TEST_F(ControlsTest, PictureBoxKeepsItsBoxesUntilClearedAndClipsThemToItsInside) {
    ui::PictureBox picture(&form);
    picture.Move(1500, 1500, 3000, 3000);  // pixels 100 to 299, inside from 102 to 297
    const QColor blue(0, 0, 255);
    // Inside, and one reaching past the bottom-right corner.
    picture.FillBox(0, 0, 75, 150, blue);
    picture.FillBox(2700, 2700, 4000, 4000, blue);
    ASSERT_EQ(picture.Boxes().size(), 2u);

    QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(102, 102), blue);
    EXPECT_EQ(image.pixelColor(106, 111), blue);  // 75 by 150 twips: 5 by 10 pixels
    EXPECT_NE(image.pixelColor(107, 102), blue);
    EXPECT_EQ(image.pixelColor(297, 297), blue);
    EXPECT_NE(image.pixelColor(299, 299), blue);  // the frame is not painted over
    EXPECT_NE(image.pixelColor(305, 305), blue);  // nor is the form beyond it

    image = form.grab().toImage();  // kept over a repaint
    EXPECT_EQ(image.pixelColor(102, 102), blue);

    picture.Cls();
    EXPECT_TRUE(picture.Boxes().empty());
    EXPECT_NE(form.grab().toImage().pixelColor(102, 102), blue);
}

TEST_F(ControlsTest, PictureBoxLiesAboveLabelsShapesAndLinesWhateverTheOrder) {
    ui::Label before(&form);
    before.Move(3000, 3000, 600, 600);
    ui::PictureBox picture(&form);
    picture.Move(1500, 1500, 3000, 3000);
    ui::Label after;
    after.setParent(&form);
    after.Move(3000, 3000, 600, 600);
    ui::Shape shape(&form);
    shape.Move(3000, 3000, 600, 600);
    ui::Line line(&form);
    line.Move(3000, 3200, 3600, 3200);
    QLineEdit box(&form);
    box.setGeometry(ui::TwipRect(3000, 3000, 600, 600));

    const QPoint inside = ui::TwipPoint(3300, 3300);
    EXPECT_EQ(form.childAt(inside), &box);  // windowed controls keep their own order
    box.hide();
    EXPECT_EQ(form.childAt(inside), &picture);

    // Among themselves, later lightweight controls lie above earlier ones.
    picture.hide();
    EXPECT_EQ(form.childAt(inside), &after);  // shapes and lines let the mouse through
}

TEST(ControlArray, AMissingIndexIsRunTimeError340) {
    ui::ControlArray<ui::Label, 2> labels;
    labels[1].setCaption(QStringLiteral("ok"));
    EXPECT_EQ(labels[1].Caption(), QStringLiteral("ok"));
    EXPECT_TRUE(labels.exists(0));
    EXPECT_FALSE(labels.exists(2));
    try {
        labels[2].setCaption(QString());
        FAIL() << "no error raised";
    } catch (const runtime::RuntimeError& error) {
        EXPECT_EQ(error.number(), 340);
        EXPECT_EQ(error.description(), QStringLiteral("Control array element '2' doesn't exist"));
    }
    EXPECT_THROW(labels[-1], runtime::RuntimeError);
}

TEST(ControlArray, AnArrayMayStartAboveZero) {
    ui::ControlArray<ui::Label, 1, 1> single;
    EXPECT_NO_THROW(single[1]);
    EXPECT_THROW(single[0], runtime::RuntimeError);
    EXPECT_EQ(single.LBound, 1);
    EXPECT_EQ(single.UBound, 1);
}

}  // namespace
