#pragma once

#include <QString>

// The air flow through a duct: the cross-section's area times the air speed shown in
// the main window, in cubic metres per hour.
enum class FlowSection { Rectangular, Round, Arbitrary };

struct FlowFields {
    FlowSection section = FlowSection::Rectangular;
    QString width;    // EditX, m
    QString height;   // EditY, m
    QString diameter; // EditD, m
    QString area;     // EditS, m²
    QString speed;    // the displayed air speed, m/s
};

struct FlowResult {
    // The result box's text: the flow rounded to five decimals, or empty when a field
    // or the speed does not hold a number, a dimension is not above 0, the speed is
    // negative, or the flow overflows.
    QString flowText;
    // For the rectangular and round sections the area field shows the area that the
    // result was computed from, and is emptied with the result, so that it never shows
    // a value the result did not use. The arbitrary section's area is the user's own
    // entry: it stays as typed and this is empty.
    QString areaText;
};

FlowResult computeFlow(const FlowFields& fields);
