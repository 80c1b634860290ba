#pragma once

#include <QDateTime>

#include <array>
#include <memory>

class MeasurementLog;
class QCustomPlot;

// What the report's chart shows: the reported period and the quantities the window shows.
struct ReportChartRequest {
    QDateTime from; // invalid: from the first point of the shown series
    QDateTime to;   // invalid: to their last point
    std::array<bool, 10> shown{};
    bool logarithmic = false;
};

// The report's chart, drawn afresh from the log rather than copied from the window: the
// time axis spans the reported period with its times (and dates where it passes midnight),
// a legend names each quantity with its colour and unit, and a month of polls is drawn as
// each page column's range of values, so that the page stays small and readable. Shown
// series without a point in the period are left out; when none has one, every series
// that has is drawn.
std::unique_ptr<QCustomPlot> BuildReportChart(const MeasurementLog& log,
                                              const ReportChartRequest& request);
