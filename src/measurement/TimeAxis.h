#pragma once

#include <optional>

class MeasurementLog;

struct TimeAxisRange {
    double min = 0;
    double max = 0;
};

// Where the time axis goes after a poll: it ends at the newest point of the reference
// series and spans visiblePointCount positions before it. Nothing when that series is
// still empty; the axis then stays where it was.
std::optional<TimeAxisRange> timeAxisStep(const MeasurementLog& log, int modelCode, int headCode,
                                          int visiblePointCount);
