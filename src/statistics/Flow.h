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
    // or the speed does not hold a number.
    QString flowText;
    // For the rectangular and round sections the computed area goes back into the
    // area field; empty when it cannot be computed (the field is then left alone).
    QString areaText;
};

FlowResult computeFlow(const FlowFields& fields);
