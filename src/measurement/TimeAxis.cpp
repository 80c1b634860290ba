#include "TimeAxis.h"

#include "ChannelConfiguration.h"
#include "MeasurementLog.h"

std::optional<TimeAxisRange> timeAxisStep(const MeasurementLog& log, int modelCode, int headCode,
                                          int visiblePointCount) {
    const int reference = AxisReferenceSeries(modelCode, headCode);
    if (log.isEmpty(reference))
        return std::nullopt;
    const double last = static_cast<double>(log.count(reference) - 1);
    return TimeAxisRange{last - visiblePointCount, last};
}
