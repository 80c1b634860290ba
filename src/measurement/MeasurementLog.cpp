#include "MeasurementLog.h"

#include "RegionalSettings.h"

#include <algorithm>
#include <limits>

void MeasurementLog::append(int series, double value, const QDateTime& when) {
    const qint64 seconds = when.toSecsSinceEpoch();
    if (!m_baseSeconds)
        m_baseSeconds = seconds;
    // A clock set back before the base gives negative offsets; 68 years either way fit.
    const qint64 offset =
        std::clamp<qint64>(seconds - *m_baseSeconds, std::numeric_limits<qint32>::min() + 1,
                           std::numeric_limits<qint32>::max());
    m_series[index(series)].append(value, static_cast<qint32>(offset));
}

void MeasurementLog::clear() {
    for (LogSeries& s : m_series)
        s.clear();
    m_baseSeconds.reset();
}

QDateTime MeasurementLog::time(int series, qsizetype i) const {
    return QDateTime::fromSecsSinceEpoch(m_baseSeconds.value_or(0) +
                                         m_series[index(series)].seconds(i));
}

QString MeasurementLog::TimeLabel(int series, qsizetype i) const {
    return RegionalSettings::longTime(time(series, i).time());
}

std::size_t MeasurementLog::memoryUsage() const {
    std::size_t total = sizeof(*this);
    for (const LogSeries& s : m_series)
        total += s.memoryUsage();
    return total;
}
