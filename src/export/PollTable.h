#pragma once

#include "measurement/Channel.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <limits>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class MeasurementLog;

// The log as rows of polls, for a table with one row per poll and one column per logged
// channel: the points of one poll are those that follow one another across the series
// within a second (a poll takes milliseconds; polls are at least 3 s apart). Held in the
// log's compact form, four bytes a cell, and given back as the rows are written, so a
// long log is never held a second time in a bulkier form.
class PollTable {
public:
    // A cell of a channel that logged nothing in that poll.
    static constexpr qint32 NoValue = std::numeric_limits<qint32>::min() + 1;

    PollTable() = default;
    static PollTable take(const MeasurementLog& log);
    // Only the polls within [from, to] (an invalid limit leaves that side open).
    static PollTable take(const MeasurementLog& log, const QDateTime& from, const QDateTime& to);
    // The rows take() would give, counted without holding them.
    static qsizetype countRows(const MeasurementLog& log);
    // Per series the half-open range [begin, end) of its points.
    using SeriesRanges = std::array<std::pair<qsizetype, qsizetype>, ChannelCount>;
    // The rows of those points only.
    static qsizetype countRows(const MeasurementLog& log, const SeriesRanges& ranges);

    // The series of each column, in channel order: those that hold points.
    const std::vector<int>& columnSeries() const { return m_series; }
    qsizetype rowCount() const { return m_rows; }

    // The poll's time as days after the log's base date and second of that day.
    QDate baseDate() const { return m_baseDate; }
    qint32 seconds(qsizetype row) const { return m_seconds.at(row); }
    // Whole tenths, NoValue, or LogSeries::OutlierMark (then value() has it).
    qint32 tenths(int column, qsizetype row) const { return m_cells[idx(column)].at(row); }
    double value(int column, qsizetype row) const;

    // The user's marks by row, joined on a row; empty when the log has none.
    const std::map<qsizetype, QString>& marks() const { return m_marks; }

    void releaseRowsBefore(qsizetype row);
    std::size_t memoryUsage() const;

private:
    static constexpr qsizetype ChunkSize = 4096;

    struct Column {
        std::vector<std::unique_ptr<qint32[]>> chunks;
        qint32 at(qsizetype row) const {
            return chunks[static_cast<std::size_t>(row / ChunkSize)][row % ChunkSize];
        }
        void push(qsizetype row, qint32 v);
        void releaseBefore(qsizetype row);
        std::size_t memoryUsage() const;
    };
    static std::size_t idx(int column) { return static_cast<std::size_t>(column); }

    QDate m_baseDate;
    std::vector<int> m_series;
    qsizetype m_rows = 0;
    Column m_seconds;
    std::vector<Column> m_cells;
    std::vector<std::unordered_map<qsizetype, double>> m_outliers;
    std::map<qsizetype, QString> m_marks;
};
