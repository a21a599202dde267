#include "task/TankGeometry.h"

#include <algorithm>
#include <cmath>

namespace tank {

MarkScale ScaleForMarks(double topLabelValue, int numMarks, double tankHeight) {
    MarkScale scale;
    scale.AmountPerMark = topLabelValue / numMarks;
    // The shape holds its height in single precision.
    scale.TwipsPerMark = static_cast<double>(static_cast<float>(tankHeight)) /
                         static_cast<double>(static_cast<float>(numMarks));
    return scale;
}

double MarkY(double tankBottom, double twipsPerMark, int i) {
    return tankBottom - twipsPerMark * (i + 1);
}

double GoalLineY(double tankBottom, double height) {
    return tankBottom - height;
}

Liquid NextLiquid(const Liquid& current, double height, double tankBottom) {
    if (!std::isfinite(height)) return current;
    const double whole = std::floor(height);
    if (whole < 0) return Liquid{tankBottom, 0};
    const double change = whole - current.height;
    if (current.height == kLiquidFloorTwips && change < 0) return current;
    return Liquid{current.top - change, current.height + change};
}

namespace {

// No more blocks than could ever be visible, whatever the block size: a guard against a
// degenerate size that would never leave the picture.
double BlockLimit(const PeopleArea& area) {
    return (area.width / area.twipsPerPixelX + 2) * (area.height / area.twipsPerPixelY + 3);
}

}  // namespace

std::vector<QRectF> PersonBlocks(double count, const PeopleArea& area, double blockWidth,
                                 double blockHeight) {
    const double L = area.left;
    const double T = area.top;
    const double px = area.twipsPerPixelX;
    const double py = area.twipsPerPixelY;
    const double rowStep = (blockHeight + 1) * py;
    const double limit = std::min(count, BlockLimit(area));

    std::vector<QRectF> blocks;
    double y = area.height + T - rowStep;
    double x = L;
    for (double m = 1; m <= limit; ++m) {
        if (x >= L + area.width - blockWidth * px) {
            y -= rowStep;
            x = L;
        }
        if (std::max(y, y + blockHeight * py) - T <= 0) break;
        blocks.emplace_back(QPointF(x - L, y - T),
                            QPointF(x + blockWidth * px - L, y + blockHeight * py - T));
        x += (blockWidth + 1) * px;
    }
    return blocks;
}

}  // namespace tank
