#include "TimeLabelTicker.h"

#include "measurement/MeasurementLog.h"

#include <cmath>

TimeLabelTicker::TimeLabelTicker(const MeasurementLog& log, int referenceSeries)
    : m_log(log), m_referenceSeries(referenceSeries) {}

double TimeLabelTicker::getTickStep(const QCPRange& range) {
    // A label belongs to a point, so there is no tick between two points.
    return std::max(1.0, std::ceil(QCPAxisTicker::getTickStep(range)));
}

int TimeLabelTicker::getSubTickCount(double tickStep) {
    if (tickStep < 2)
        return 0;
    const int base = QCPAxisTicker::getSubTickCount(tickStep);
    // Sub-ticks too only where points are.
    const double sub = tickStep / (base + 1);
    return sub == std::floor(sub) ? base : 0;
}

QString TimeLabelTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    const double index = std::round(tick);
    if (std::fabs(tick - index) > 1e-6 || index < 0 ||
        index >= static_cast<double>(m_log.count(m_referenceSeries)))
        return QString();
    return m_log.TimeLabel(m_referenceSeries, static_cast<qsizetype>(index));
}
