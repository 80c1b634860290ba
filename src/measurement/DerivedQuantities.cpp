#include "DerivedQuantities.h"

#include "Rounding.h"

#include <cmath>

float wetBulbTemperature(float t, float rh) {
    const long double T = t;
    const long double RH = rh;
    // The constants are the doubles nearest the decimals; only the arithmetic is extended.
    const long double d = 0.01 * RH - 0.5;
    const long double w = (0.00381 * RH + 0.636) * T + 0.0546 * RH - 4.0 * d * d - 4.94;
    return static_cast<float>(RoundToTenth(static_cast<double>(w)));
}

std::optional<float> dewPointTemperature(float t, float rh) {
    if (rh == 0.0f)
        return std::nullopt;
    const long double T = t;
    const long double RH = rh;
    static constexpr long double reciprocal = 1.0L / 17.5043L;
    // ln(0.01 RH) taken as ln(1 + x): accurate near saturation, where x is small.
    const long double a = std::log1pl(0.01 * RH - 1.0);
    const long double gamma = a * reciprocal + T / (241.2 + T);
    const long double dew = 241.2L * gamma / (1.0L - gamma);
    return static_cast<float>(dew);
}

bool computeDerivedQuantities(PollReading& r) {
    r.WetBulbT = wetBulbTemperature(r.RawT, r.RawRH);
    const std::optional<float> dew = dewPointTemperature(r.RawT, r.RawRH);
    if (dew)
        r.DewPointT = *dew;
    return dew.has_value();
}
