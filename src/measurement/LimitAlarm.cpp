#include "LimitAlarm.h"

#include "RegionalSettings.h"
#include "Rounding.h"

double limitTestValue(float value) {
    return RoundToTenth(static_cast<double>(value));
}

LimitCrossing LimitTest(float value, const QString& minText, const QString& maxText) {
    const double v = limitTestValue(value);
    double bound = 0;
    if (RegionalSettings::parseNumber(maxText, bound) && v >= bound)
        return {LimitCrossing::Max, bound};
    if (RegionalSettings::parseNumber(minText, bound) && v <= bound)
        return {LimitCrossing::Min, bound};
    return {};
}

bool LimitAlarm(float value, bool enabled, const QString& minText, const QString& maxText) {
    return enabled && static_cast<bool>(LimitTest(value, minText, maxText));
}
