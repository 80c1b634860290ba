#include "LimitAlarm.h"

#include "RegionalSettings.h"
#include "Rounding.h"

double limitTestValue(float value) {
    return RoundToTenth(static_cast<double>(value));
}

bool LimitAlarm(float value, bool enabled, const QString& minText, const QString& maxText) {
    if (!enabled)
        return false;
    const double v = limitTestValue(value);
    double bound = 0;
    if (RegionalSettings::parseNumber(maxText, bound) && v >= bound)
        return true;
    if (RegionalSettings::parseNumber(minText, bound) && v <= bound)
        return true;
    return false;
}
