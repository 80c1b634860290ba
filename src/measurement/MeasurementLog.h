#pragma once

#include "Channel.h"
#include "LogSeries.h"
#include "MeasurementEvents.h"

#include <QDateTime>
#include <QMap>
#include <QString>

#include <array>
#include <vector>

// The points the polls have collected since start or the last clearing: ten series in
// channel order (index 0 = Series1 ... 9 = Series10). Point i of a series has X = i, a Y
// rounded to tenths and the time of its poll, whose time-of-day text is its label. The
// chart draws straight from here; nothing else holds a copy.
class MeasurementLog {
public:
    static constexpr int SeriesCount = ChannelCount;

    void append(int series, double value, const QDateTime& when);
    void append(Channel channel, double value, const QDateTime& when) {
        append(seriesIndex(channel), value, when);
    }
    // The same with the poll's local date and second of the day given apart: a restored log
    // takes its times this way, without a time-zone lookup per point; its events are restored
    // apart, so this tells them nothing.
    void append(int series, double value, const QDate& date, int secondOfDay);
    void clear();

    // A poll that logged nothing while the run went on (the link failed): the next point
    // of every series follows a gap, and the chart's lines break there.
    void markGap(const QDateTime& when);
    // Whether a gap lies between point i - 1 and point i of a series.
    bool gapBefore(int series, qsizetype i) const;
    // The indexes of a series' points that follow a gap, ascending.
    const std::vector<qsizetype>& gapIndexes(int series) const {
        return m_gapsBefore[index(series)];
    }
    // The missed polls since start or the last clearing, oldest first.
    const std::vector<QDateTime>& missedPolls() const { return m_missed; }

    // Alarms, missed polls and stops of polling, recorded as they happen; the log tells
    // them every point and every missed poll, and clearing empties them.
    MeasurementEvents& events() { return m_events; }
    const MeasurementEvents& events() const { return m_events; }

    // What the run was and what the user noted about it, as key/value texts that travel
    // with the log into its recording and its measurement file; clearing empties them.
    const QMap<QString, QString>& details() const { return m_details; }
    QString detail(const QString& key) const { return m_details.value(key); }
    // An empty value removes the key.
    void setDetail(const QString& key, const QString& value);

    qsizetype count(int series) const { return m_series[index(series)].count(); }
    bool isEmpty(int series) const { return count(series) == 0; }
    double y(int series, qsizetype i) const { return m_series[index(series)].y(i); }
    // The poll time of a point, to the second, as the local clock showed it.
    QDateTime time(int series, qsizetype i) const;
    // The point's time of day; cheap, unlike a full local date and time.
    QTime timeOfDay(int series, qsizetype i) const;
    // The same as seconds since midnight, 0 to 86399.
    int secondOfDay(int series, qsizetype i) const;
    // A time on the series' own scale: local wall-clock seconds from the base date.
    qint64 secondsFromBase(const QDateTime& when) const;
    // The first point of a series at or after such seconds (count() when none); the
    // points' times ascend.
    qsizetype firstPointFrom(int series, qint64 seconds) const;
    // The point's label: its time of day in the regional long time format.
    QString TimeLabel(int series, qsizetype i) const;

    // Smallest and largest Y of a series, kept as points arrive; 0 when empty.
    double minY(int series) const { return m_series[index(series)].minY(); }
    double maxY(int series) const { return m_series[index(series)].maxY(); }

    const LogSeries& series(int series) const { return m_series[index(series)]; }
    // The midnight the series' seconds count from (invalid while the log is empty).
    QDate baseDate() const { return m_baseDate; }

    // Bytes held by the points, for the memory figures.
    std::size_t memoryUsage() const;

private:
    static std::size_t index(int series) { return static_cast<std::size_t>(series); }

    std::array<LogSeries, SeriesCount> m_series;
    // Poll times are kept as local wall-clock seconds from the midnight before the first
    // point after start or clearing: a label is then plain arithmetic, with no time-zone
    // lookup, and shows what the clock showed when the point was taken.
    QDate m_baseDate;
    // Per series, ascending: the indexes of the points that follow a gap.
    std::array<std::vector<qsizetype>, SeriesCount> m_gapsBefore;
    std::vector<QDateTime> m_missed;
    MeasurementEvents m_events;
    QMap<QString, QString> m_details;
};
