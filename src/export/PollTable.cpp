#include "PollTable.h"

#include "MarkCells.h"
#include "measurement/MeasurementLog.h"

#include <algorithm>
#include <limits>

namespace {
// Points of one poll may fall on both sides of a second's turn.
constexpr qint64 PollSpread = 1;
} // namespace

namespace {

std::vector<int> loggedSeries(const MeasurementLog& log) {
    std::vector<int> series;
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s)
        if (!log.isEmpty(s))
            series.push_back(s);
    return series;
}

// Calls onRow(seconds, taken) for each poll in order, of column c the points [next[c],
// end[c]); taken[c] is the index of the point that column c has in the poll, or -1.
template <class OnRow>
void walkPolls(const MeasurementLog& log, const std::vector<int>& series,
               std::vector<qsizetype> next, const std::vector<qsizetype>& end, OnRow onRow) {
    const std::size_t columns = series.size();
    std::vector<qsizetype> taken(columns, -1);
    for (;;) {
        // The earliest point not yet in a row opens the next row.
        qint64 first = std::numeric_limits<qint64>::max();
        for (std::size_t c = 0; c < columns; ++c) {
            const LogSeries& s = log.series(series[c]);
            if (next[c] < end[c])
                first = std::min<qint64>(first, s.seconds(next[c]));
        }
        if (first == std::numeric_limits<qint64>::max())
            return;
        for (std::size_t c = 0; c < columns; ++c) {
            const LogSeries& s = log.series(series[c]);
            const bool in = next[c] < end[c] && s.seconds(next[c]) - first <= PollSpread;
            taken[c] = in ? next[c]++ : -1;
        }
        onRow(first, taken);
    }
}

template <class OnRow>
void walkPolls(const MeasurementLog& log, const std::vector<int>& series, OnRow onRow) {
    std::vector<qsizetype> end;
    for (int s : series)
        end.push_back(log.count(s));
    walkPolls(log, series, std::vector<qsizetype>(series.size(), 0), end, onRow);
}

} // namespace

PollTable PollTable::take(const MeasurementLog& log) {
    return take(log, {}, {});
}

PollTable PollTable::take(const MeasurementLog& log, const QDateTime& from, const QDateTime& to) {
    constexpr qint64 Open = std::numeric_limits<qint64>::max();
    const qint64 lowest = from.isValid() ? log.secondsFromBase(from) : -Open;
    const qint64 highest = to.isValid() ? log.secondsFromBase(to) : Open;
    PollTable t;
    t.m_baseDate = log.baseDate();
    t.m_series = loggedSeries(log);
    const std::size_t columns = t.m_series.size();
    t.m_cells.resize(columns);
    t.m_outliers.resize(columns);
    walkPolls(log, t.m_series, [&](qint64 seconds, const std::vector<qsizetype>& taken) {
        if (seconds < lowest || seconds > highest)
            return;
        const qsizetype row = t.m_rows++;
        t.m_seconds.push(row, static_cast<qint32>(seconds));
        for (std::size_t c = 0; c < columns; ++c) {
            qint32 cell = NoValue;
            if (taken[c] >= 0) {
                const LogSeries& s = log.series(t.m_series[c]);
                cell = s.tenths(taken[c]);
                if (cell == LogSeries::OutlierMark)
                    t.m_outliers[c].emplace(row, s.y(taken[c]));
            }
            t.m_cells[c].push(row, cell);
        }
    });
    t.m_marks = markCells(log, [&t](qint64 seconds) -> qsizetype {
        // The first row at or after the mark: its first poll.
        qsizetype lo = 0;
        qsizetype hi = t.m_rows;
        while (lo < hi) {
            const qsizetype mid = lo + (hi - lo) / 2;
            if (t.m_seconds.at(mid) < seconds)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo < t.m_rows && t.m_seconds.at(lo) - seconds <= PollSpread ? lo : -1;
    });
    return t;
}

qsizetype PollTable::countRows(const MeasurementLog& log) {
    qsizetype rows = 0;
    walkPolls(log, loggedSeries(log), [&rows](qint64, const std::vector<qsizetype>&) { ++rows; });
    return rows;
}

qsizetype PollTable::countRows(const MeasurementLog& log, const SeriesRanges& ranges) {
    std::vector<int> series;
    std::vector<qsizetype> begin;
    std::vector<qsizetype> end;
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
        const auto& [b, e] = ranges[static_cast<std::size_t>(s)];
        if (b >= e)
            continue;
        series.push_back(s);
        begin.push_back(b);
        end.push_back(e);
    }
    qsizetype rows = 0;
    walkPolls(log, series, begin, end, [&rows](qint64, const std::vector<qsizetype>&) { ++rows; });
    return rows;
}

double PollTable::value(int column, qsizetype row) const {
    const qint32 q = tenths(column, row);
    if (q == LogSeries::OutlierMark)
        return m_outliers[idx(column)].at(row);
    return LogSeries::fromTenths(q);
}

void PollTable::releaseRowsBefore(qsizetype row) {
    m_seconds.releaseBefore(row);
    for (std::size_t c = 0; c < m_cells.size(); ++c) {
        m_cells[c].releaseBefore(row);
        std::erase_if(m_outliers[c], [row](const auto& entry) { return entry.first < row; });
    }
}

std::size_t PollTable::memoryUsage() const {
    std::size_t total = sizeof(*this) + m_seconds.memoryUsage();
    for (const Column& c : m_cells)
        total += c.memoryUsage();
    return total;
}

void PollTable::Column::push(qsizetype row, qint32 v) {
    if (row % ChunkSize == 0)
        chunks.push_back(std::make_unique_for_overwrite<qint32[]>(ChunkSize));
    chunks.back()[row % ChunkSize] = v;
}

void PollTable::Column::releaseBefore(qsizetype row) {
    const auto whole = static_cast<std::size_t>(std::max<qsizetype>(row, 0) / ChunkSize);
    for (std::size_t i = 0; i < std::min(whole, chunks.size()); ++i)
        chunks[i].reset();
}

std::size_t PollTable::Column::memoryUsage() const {
    std::size_t total = chunks.capacity() * sizeof(chunks[0]);
    for (const auto& chunk : chunks)
        total += chunk ? ChunkSize * sizeof(qint32) : 0;
    return total;
}
