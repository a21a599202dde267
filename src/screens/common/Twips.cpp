#include "screens/common/Twips.h"

#include <cmath>

namespace ui {

double TwipsPerPixelX() {
    return runtime::CurrentContext().twipsPerPixel;
}
double TwipsPerPixelY() {
    return runtime::CurrentContext().twipsPerPixel;
}

int TwipsToPixelsX(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelX()));
}
int TwipsToPixelsY(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixelY()));
}
double PixelsToTwipsX(int pixels) {
    return pixels * TwipsPerPixelX();
}
double PixelsToTwipsY(int pixels) {
    return pixels * TwipsPerPixelY();
}

QRect TwipRect(double left, double top, double width, double height) {
    const int x = TwipsToPixelsX(left);
    const int y = TwipsToPixelsY(top);
    // Edges are rounded, not sizes, so neighbours that touch in twips touch in pixels.
    return QRect(x, y, TwipsToPixelsX(left + width) - x, TwipsToPixelsY(top + height) - y);
}

QPoint TwipPoint(double x, double y) {
    return QPoint(TwipsToPixelsX(x), TwipsToPixelsY(y));
}

QSize TwipSize(double width, double height) {
    return QSize(TwipsToPixelsX(width), TwipsToPixelsY(height));
}

QFont DesignFont(double points, bool bold, const QString& family) {
    QFont font(family.isEmpty() ? QStringLiteral("Liberation Sans") : family);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 20.0 / TwipsPerPixelY()))));
    font.setBold(bold);
    return font;
}

}  // namespace ui
