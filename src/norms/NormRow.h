#pragma once

#include <QString>

#include <vector>

enum class YearPeriod { Cold, Warm };

// "холодный" / "тёплый", as the window and the protocol name the period.
QString yearPeriodText(YearPeriod period);
// October to April is the cold period; the user may still choose otherwise.
YearPeriod proposedYearPeriod(int month);

// A closed range of a quantity, both bounds included.
struct NormRange {
    double low = 0;
    double high = 0;
};

// The highest relative humidity allowed at an air temperature.
struct HumidityCap {
    double temperature = 0;
    double maxHumidity = 0;
};

// One row of a microclimate norm: a work category in one period of the year.
struct NormRow {
    QString category; // "Iа", "IIб", ...
    QString energy;   // the category's energy use, as the document gives it
    YearPeriod period = YearPeriod::Cold;

    NormRange optimalT;
    NormRange optimalRh;
    double optimalV = 0;

    // The permissible temperatures lie on both sides of the optimal ones, and the
    // permissible air speed depends on the side.
    NormRange permissibleTBelow;
    NormRange permissibleTAbove;
    NormRange permissibleRh;
    double permissibleVBelow = 0;
    double permissibleVAbove = 0;
    // By ascending temperature; empty where the period has no such limit.
    std::vector<HumidityCap> humidityCaps;
};
