#pragma once

// The ten channels in panel and chart order; the value is also the index of the
// channel's series in the measurement log (Series1 = 0 ... Series10 = 9).
enum class Channel : int {
    T = 0,
    RH = 1,
    WetBulb = 2,
    DewPoint = 3,
    V = 4,
    HeatStress = 5,
    BlackGlobe = 6,
    E = 7,
    L = 8,
    UV = 9,
};

constexpr int ChannelCount = 10;

constexpr int seriesIndex(Channel c) {
    return static_cast<int>(c);
}
