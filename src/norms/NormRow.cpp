#include "NormRow.h"

QString yearPeriodText(YearPeriod period) {
    return period == YearPeriod::Cold ? QStringLiteral("холодный") : QStringLiteral("тёплый");
}

YearPeriod proposedYearPeriod(int month) {
    return month >= 5 && month <= 9 ? YearPeriod::Warm : YearPeriod::Cold;
}
