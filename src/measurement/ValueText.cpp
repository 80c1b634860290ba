#include "ValueText.h"

#include "RegionalSettings.h"

QString ValueText(double value) {
    if (value == 0.0)
        value = 0.0; // -0 is shown as 0
    return RegionalSettings::locale().toString(value, 'g', 15);
}
