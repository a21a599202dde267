#pragma once
// The arithmetic of the tank and store pictures, apart from the widgets: the scale of the
// Y axis, where marks and the goal line lie, how the liquid body follows an amount and where
// the people blocks go. Lengths are twips unless a name says pixels.

#include <QRectF>
#include <vector>

namespace tank {

// The liquid's top below which a shrinking liquid is left as it is.
constexpr double kLiquidFloorTwips = 15.0;

struct MarkScale {
    double AmountPerMark = 0;  // amount one mark spacing stands for
    double TwipsPerMark = 0;   // mark spacing
};

// The scale of a tank of the given height carrying numMarks marks, the top one worth
// topLabelValue. numMarks must not be 0.
MarkScale ScaleForMarks(double topLabelValue, int numMarks, double tankHeight);

// Mark i stands (i + 1) spacings above the tank's bottom.
double MarkY(double tankBottom, double twipsPerMark, int i);

// The goal line lies `height` above the tank's bottom.
double GoalLineY(double tankBottom, double height);

// The vertical extent of the liquid body.
struct Liquid {
    double top = 0;
    double height = 0;
};

// The liquid body after drawing a liquid `height` (the amount over AmountPerMark): whole
// twips only, growing and shrinking at its top; a negative height empties it onto the tank's
// bottom. A liquid exactly kLiquidFloorTwips high does not shrink. A height that is not a
// number leaves it as it is.
Liquid NextLiquid(const Liquid& current, double height, double tankBottom);

// The people picture: its inner area on the form, and the twips per pixel in which the
// block sizes are given.
struct PeopleArea {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
};

// One block per whole person, blockWidth by blockHeight pixels with one pixel between
// neighbours, filling the area from its bottom-left corner row by row upwards. Rectangles are
// in picture twips (from the inner top-left corner), far edges excluded. Rows wholly above the
// area would be clipped away, so they are not produced.
std::vector<QRectF> PersonBlocks(double count, const PeopleArea& area, double blockWidth,
                                 double blockHeight);

}  // namespace tank
