#pragma once

// x rounded to a multiple of 1/factor, halves upwards (towards plus infinity).
double RoundHalfUp(double x, double factor);

// x rounded away from zero to a multiple of 1/factor.
double RoundAwayFromZero(double x, double factor);
