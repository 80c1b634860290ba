#include "Flow.h"

#include "measurement/RegionalSettings.h"
#include "measurement/Rounding.h"
#include "measurement/ValueText.h"

#include <cmath>
#include <optional>

namespace {
constexpr double SecondsPerHour = 3600.0;

std::optional<double> number(const QString& text) {
    double v = 0.0;
    if (!RegionalSettings::parseNumber(text, v))
        return std::nullopt;
    return v;
}

std::optional<double> sectionArea(const FlowFields& f) {
    switch (f.section) {
    case FlowSection::Rectangular: {
        const auto x = number(f.width);
        const auto y = number(f.height);
        if (!x || !y)
            return std::nullopt;
        return *x * *y;
    }
    case FlowSection::Round: {
        const auto d = number(f.diameter);
        if (!d)
            return std::nullopt;
        return *d * *d * 3.14 * 0.25;
    }
    case FlowSection::Arbitrary:
        return number(f.area);
    }
    return std::nullopt;
}
} // namespace

FlowResult computeFlow(const FlowFields& fields) {
    FlowResult result;
    const auto area = sectionArea(fields);
    if (!area || !std::isfinite(*area))
        return result;
    if (fields.section != FlowSection::Arbitrary)
        result.areaText = ValueText(*area);
    const auto speed = number(fields.speed);
    if (!speed)
        return result;
    const double flow = RoundToFiveDecimals(*area * *speed * SecondsPerHour);
    if (std::isfinite(flow))
        result.flowText = ValueText(flow);
    return result;
}
