#pragma once

#include <QRgb>

struct SeriesLook {
    QRgb line;
    QRgb point;
    bool shown;
    // White air speed and yellow wet bulb barely show on the white back wall: a thin dark
    // edge shows them and keeps their colour.
    bool outlined;
};

// Line colour, point colour, start visibility and outline of Series1..Series10: the chart
// and the report's chart draw each quantity alike.
constexpr SeriesLook SeriesLooks[10] = {
    {0x008000, 0x008000, true, false},  {0xFF0000, 0xFF0000, true, false},
    {0xFFFF00, 0xFFFF00, true, true},   {0x0000FF, 0x0000FF, true, false},
    {0xFFFFFF, 0xFFFFFF, true, true},   {0x808080, 0x808080, true, false},
    {0xFF00FF, 0xFF00FF, true, false},  {0x008080, 0x00FFFF, false, false},
    {0x000080, 0x000000, false, false}, {0x800000, 0x800000, false, false},
};

constexpr QRgb SeriesOutline = 0x404040;
