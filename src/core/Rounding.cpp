#include "core/Rounding.h"

#include <cmath>

double RoundHalfUp(double x, double factor) {
    return std::floor(x * factor + 0.5) / factor;
}

double RoundAwayFromZero(double x, double factor) {
    const double t = std::trunc(x * factor);
    if (x == t) return t / factor;
    const double sign = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0);
    return (t + sign) / factor;
}
