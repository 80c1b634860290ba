#include "Rounding.h"

#include <cmath>

namespace {
double roundToStep(double x, long double step) {
    const long double q = std::nearbyintl(static_cast<long double>(x) / step);
    const double r = static_cast<double>(q * step);
    return r == 0.0 ? 0.0 : r; // no negative zero in texts
}
} // namespace

double RoundToTenth(double x) {
    return roundToStep(x, 0.1L);
}
double RoundToHundredth(double x) {
    return roundToStep(x, 0.01L);
}
double RoundToUnit(double x) {
    return roundToStep(x, 1.0L);
}
double RoundToFiveDecimals(double x) {
    return roundToStep(x, 0.00001L);
}
