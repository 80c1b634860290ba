#include "MeasurementLog.h"

#include "RegionalSettings.h"

#include <algorithm>
#include <limits>

namespace {
constexpr qint64 SecondsPerDay = 86400;
}

void MeasurementLog::append(int series, double value, const QDateTime& when) {
    const QDateTime local = when.timeSpec() == Qt::LocalTime ? when : when.toLocalTime();
    append(series, value, local.date(), local.time().msecsSinceStartOfDay() / 1000);
    m_events.pollLogged(when);
}

void MeasurementLog::append(int series, double value, const QDate& date, int secondOfDay) {
    if (!m_baseDate.isValid())
        m_baseDate = date;
    const qint64 seconds = m_baseDate.daysTo(date) * SecondsPerDay + secondOfDay;
    // A clock set back before the base gives negative offsets; 68 years either way fit.
    const qint64 offset = std::clamp<qint64>(seconds, std::numeric_limits<qint32>::min() + 1,
                                             std::numeric_limits<qint32>::max());
    m_series[index(series)].append(value, static_cast<qint32>(offset));
}

void MeasurementLog::clear() {
    for (LogSeries& s : m_series)
        s.clear();
    m_baseDate = QDate();
    for (auto& gaps : m_gapsBefore)
        gaps.clear();
    m_missed.clear();
    m_events.clear();
    m_details.clear();
}

void MeasurementLog::markGap(const QDateTime& when) {
    m_missed.push_back(when);
    m_events.pollMissed(when);
    for (std::size_t s = 0; s < m_series.size(); ++s) {
        const qsizetype next = m_series[s].count();
        // A gap before the first point, or a second miss in a row, breaks nothing new.
        if (next > 0 && (m_gapsBefore[s].empty() || m_gapsBefore[s].back() != next))
            m_gapsBefore[s].push_back(next);
    }
}

bool MeasurementLog::gapBefore(int series, qsizetype i) const {
    const auto& gaps = m_gapsBefore[index(series)];
    return std::binary_search(gaps.begin(), gaps.end(), i);
}

QDateTime MeasurementLog::time(int series, qsizetype i) const {
    const qint64 seconds = m_series[index(series)].seconds(i);
    const qint64 days =
        seconds >= 0 ? seconds / SecondsPerDay : -((-seconds + SecondsPerDay - 1) / SecondsPerDay);
    const qint64 ofDay = seconds - days * SecondsPerDay;
    return QDateTime(m_baseDate.addDays(days),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(ofDay * 1000)));
}

qint64 MeasurementLog::secondsFromBase(const QDateTime& when) const {
    const QDateTime local = when.timeSpec() == Qt::LocalTime ? when : when.toLocalTime();
    return m_baseDate.daysTo(local.date()) * SecondsPerDay +
           local.time().msecsSinceStartOfDay() / 1000;
}

qsizetype MeasurementLog::firstPointFrom(int series, qint64 seconds) const {
    const LogSeries& s = m_series[index(series)];
    qsizetype lo = 0;
    qsizetype hi = s.count();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (s.seconds(mid) < seconds)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

QTime MeasurementLog::timeOfDay(int series, qsizetype i) const {
    return QTime::fromMSecsSinceStartOfDay(secondOfDay(series, i) * 1000);
}

int MeasurementLog::secondOfDay(int series, qsizetype i) const {
    const qint64 seconds = m_series[index(series)].seconds(i);
    return static_cast<int>(((seconds % SecondsPerDay) + SecondsPerDay) % SecondsPerDay);
}

QString MeasurementLog::TimeLabel(int series, qsizetype i) const {
    return RegionalSettings::longTime(timeOfDay(series, i));
}

std::size_t MeasurementLog::memoryUsage() const {
    std::size_t total = sizeof(*this);
    for (const LogSeries& s : m_series)
        total += s.memoryUsage();
    return total;
}

void MeasurementLog::setDetail(const QString& key, const QString& value) {
    if (value.isEmpty())
        m_details.remove(key);
    else
        m_details.insert(key, value);
}
