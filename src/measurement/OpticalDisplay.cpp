#include "OpticalDisplay.h"

#include "Rounding.h"
#include "ValueText.h"

#include <cmath>

namespace {
int codeOf(float rangeCode) {
    return static_cast<int>(rangeCode);
}

long double scale(float mantissa, float rangeCode) {
    static constexpr long double powers[] = {1.0L, 10.0L, 100.0L, 1000.0L};
    return static_cast<long double>(mantissa) * powers[codeOf(rangeCode)];
}
} // namespace

bool isKnownRangeCode(float rangeCode) {
    return rangeCode == 0.0f || rangeCode == 1.0f || rangeCode == 2.0f || rangeCode == 3.0f;
}

std::optional<QString> opticalBoxText(float mantissa, float rangeCode) {
    if (!isKnownRangeCode(rangeCode))
        return std::nullopt;
    const long double m = mantissa;
    const QString k = QStringLiteral("k");
    switch (codeOf(rangeCode)) {
    case 0:
        return ValueText(RoundToTenth(static_cast<double>(m)));
    case 1:
        return ValueText(RoundToUnit(static_cast<double>(m * 10.0L)));
    case 2:
        return ValueText(RoundToHundredth(static_cast<double>(m * 0.1L))) + k;
    default:
        return ValueText(RoundToTenth(static_cast<double>(m))) + k;
    }
}

float scaledOpticalValue(float mantissa, float rangeCode) {
    if (!isKnownRangeCode(rangeCode))
        return mantissa;
    return static_cast<float>(opticalLogValue(mantissa, rangeCode));
}

double opticalLogValue(float mantissa, float rangeCode) {
    if (!isKnownRangeCode(rangeCode))
        return RoundToTenth(mantissa);
    return RoundToTenth(static_cast<double>(scale(mantissa, rangeCode)));
}

QString opticalLogText(double logValue) {
    if (std::fabs(logValue) < 10000)
        return ValueText(logValue);
    return ValueText(RoundToHundredth(logValue / 1000)) + QStringLiteral("k");
}
