#pragma once
// The one place where design geometry in twips (1/1440 inch) becomes pixels. The design
// assumes 15 twips a pixel (96 dpi); the program may choose a smaller figure to draw the
// same layout larger on a big screen (the context's twipsPerPixel). Fonts scale with it (one
// point is 20 twips).

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "runtime/Context.h"

namespace ui {

using runtime::kDesignTwipsPerPixel;

double TwipsPerPixelX();
double TwipsPerPixelY();

int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);
double PixelsToTwipsX(int pixels);
double PixelsToTwipsY(int pixels);
QRect TwipRect(double left, double top, double width, double height);
QPoint TwipPoint(double x, double y);
// A form's client area of the given design size.
QSize TwipSize(double width, double height);

// A font of the given point size, its pixel size following the twip mapping.
QFont DesignFont(double points, bool bold, const QString& family = QString());

}  // namespace ui
