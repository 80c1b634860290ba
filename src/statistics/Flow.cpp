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

// A width, height, diameter or area: a length or area of nothing, or below nothing,
// gives no flow.
std::optional<double> dimension(const QString& text) {
    const auto v = number(text);
    if (!v || !(*v > 0))
        return std::nullopt;
    return v;
}

std::optional<double> sectionArea(const FlowFields& f) {
    switch (f.section) {
    case FlowSection::Rectangular: {
        const auto x = dimension(f.width);
        const auto y = dimension(f.height);
        if (!x || !y)
            return std::nullopt;
        return *x * *y;
    }
    case FlowSection::Round: {
        const auto d = dimension(f.diameter);
        if (!d)
            return std::nullopt;
        return *d * *d * 3.14 * 0.25;
    }
    case FlowSection::Arbitrary:
        return dimension(f.area);
    }
    return std::nullopt;
}
} // namespace

FlowResult computeFlow(const FlowFields& fields) {
    FlowResult result;
    const auto area = sectionArea(fields);
    const auto speed = number(fields.speed);
    // Still air is a flow of 0; air cannot move at a negative speed.
    if (!area || !std::isfinite(*area) || !speed || *speed < 0)
        return result;
    const double flow = RoundToFiveDecimals(*area * *speed * SecondsPerHour);
    if (!std::isfinite(flow))
        return result;
    result.flowText = ValueText(flow);
    if (fields.section != FlowSection::Arbitrary)
        result.areaText = ValueText(*area);
    return result;
}
