#pragma once

#include "Channel.h"

// Which channels a detected configuration (model byte, and head for model 65) carries.
// RH brings the wet-bulb and dew-point temperatures with it.
struct ChannelSet {
    bool t = false;
    bool rh = false;
    bool v = false;
    bool e = false;
    bool l = false;
    bool uv = false;

    bool contains(Channel c) const;
};

ChannelSet processedChannels(int modelCode, int headCode);

// The series whose newest point the time axis follows: air speed wherever the
// configuration measures it, else ultraviolet. Returns the series index.
int AxisReferenceSeries(int modelCode, int headCode);
