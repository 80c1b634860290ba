#include "ChannelConfiguration.h"

bool ChannelSet::contains(Channel c) const {
    switch (c) {
    case Channel::T:
        return t;
    case Channel::RH:
    case Channel::WetBulb:
    case Channel::DewPoint:
        return rh;
    case Channel::V:
        return v;
    case Channel::E:
        return e;
    case Channel::L:
        return l;
    case Channel::UV:
        return uv;
    case Channel::HeatStress:
    case Channel::BlackGlobe:
        return false;
    }
    return false;
}

ChannelSet processedChannels(int modelCode, int headCode) {
    ChannelSet s;
    switch (modelCode) {
    case 50:
        s.v = true;
        break;
    case 52:
        s.t = s.v = true;
        break;
    case 60:
        s.t = s.rh = s.v = true;
        break;
    case 61:
        s.t = s.rh = s.v = s.e = s.l = true;
        break;
    case 62:
        s.t = s.rh = s.v = s.e = s.uv = true;
        break;
    case 63:
        s.t = s.rh = s.v = s.e = true;
        break;
    case 65:
        if (headCode == 2)
            s.t = s.rh = s.v = s.e = true;
        else if (headCode == 1)
            s.l = s.uv = true;
        break;
    default:
        break;
    }
    return s;
}

int AxisReferenceSeries(int modelCode, int headCode) {
    switch (modelCode) {
    case 50:
    case 52:
    case 60:
    case 61:
    case 62:
    case 63:
        return seriesIndex(Channel::V);
    case 65:
        return headCode == 2 ? seriesIndex(Channel::V) : seriesIndex(Channel::UV);
    default:
        return seriesIndex(Channel::UV);
    }
}
