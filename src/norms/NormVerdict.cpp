#include "NormVerdict.h"

#include <algorithm>
#include <cmath>

namespace {

// Compared in whole tenths, so that 21.9 is not a hair beyond a bound of 21.9.
long tenths(double x) {
    return std::lround(x * 10);
}

bool within(double x, const NormRange& r) {
    return tenths(x) >= tenths(r.low) && tenths(x) <= tenths(r.high);
}

bool atMost(double x, double limit) {
    return tenths(x) <= tenths(limit);
}

} // namespace

QString verdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Optimal:
        return QStringLiteral("оптимальные");
    case Verdict::Permissible:
        return QStringLiteral("допустимые");
    case Verdict::NonCompliant:
        return QStringLiteral("не соответствуют");
    case Verdict::NotMeasured:
        break;
    }
    return QStringLiteral("не измерялось");
}

Verdict worse(Verdict a, Verdict b) {
    return std::max(a, b);
}

Verdict judgeTemperature(const NormRow& row, double t) {
    if (within(t, row.optimalT))
        return Verdict::Optimal;
    if (within(t, row.permissibleTBelow) || within(t, row.permissibleTAbove))
        return Verdict::Permissible;
    return Verdict::NonCompliant;
}

std::optional<double> humidityCap(const NormRow& row, std::optional<double> t) {
    if (!t || row.humidityCaps.empty() || tenths(*t) < tenths(row.humidityCaps.front().temperature))
        return std::nullopt;
    for (const HumidityCap& cap : row.humidityCaps)
        if (tenths(*t) <= tenths(cap.temperature))
            return cap.maxHumidity;
    return row.humidityCaps.back().maxHumidity;
}

Verdict judgeHumidity(const NormRow& row, double rh, std::optional<double> t) {
    const std::optional<double> cap = humidityCap(row, t);
    if (cap && !atMost(rh, *cap))
        return Verdict::NonCompliant;
    if (within(rh, row.optimalRh))
        return Verdict::Optimal;
    if (within(rh, row.permissibleRh))
        return Verdict::Permissible;
    return Verdict::NonCompliant;
}

double permissibleSpeed(const NormRow& row, std::optional<double> t) {
    if (t && tenths(*t) < tenths(row.optimalT.low))
        return row.permissibleVBelow;
    if (t && tenths(*t) > tenths(row.optimalT.high))
        return row.permissibleVAbove;
    return std::min(row.permissibleVBelow, row.permissibleVAbove);
}

Verdict judgeSpeed(const NormRow& row, double v, std::optional<double> t) {
    // The optimal and the permissible speeds are not nested: below the optimal
    // temperatures the permissible speed may be lower than the optimal one. Away from the
    // optimal temperatures the side's permissible limit holds in any case; at them (or
    // with no temperature) the optimal limit alone makes a speed optimal.
    const bool optimalT = !t || within(*t, row.optimalT);
    const bool sideAllows = atMost(v, permissibleSpeed(row, t));
    if (atMost(v, row.optimalV) && (optimalT || sideAllows))
        return Verdict::Optimal;
    return sideAllows ? Verdict::Permissible : Verdict::NonCompliant;
}
