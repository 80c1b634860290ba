#include "LogSnapshot.h"

#include "MarkCells.h"
#include "measurement/Channel.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"

#include <QTime>

#include <algorithm>

namespace {
constexpr Channel ColumnChannels[LogSnapshot::ValueColumns] = {
    Channel::T, Channel::RH, Channel::V, Channel::E, Channel::L, Channel::UV};
} // namespace

int LogSnapshot::seriesOfColumn(int column) {
    return seriesIndex(ColumnChannels[index(column)]);
}

int LogSnapshot::labelSeries() {
    return seriesIndex(Channel::V);
}

LogSnapshot LogSnapshot::take(const MeasurementLog& log, const QDate& date) {
    LogSnapshot s;
    s.m_date = date;
    s.m_locale = RegionalSettings::locale();
    s.m_timeFormat = RegionalSettings::longTimeFormat();

    const int labels = labelSeries();
    s.m_labels.resize(log.count(labels));
    for (qsizetype k = 0; k < s.m_labels.count; ++k)
        s.m_labels.chunks[static_cast<std::size_t>(k / ChunkSize)][k % ChunkSize] =
            log.secondOfDay(labels, k);

    for (int c = 0; c < ValueColumns; ++c) {
        const LogSeries& series = log.series(seriesOfColumn(c));
        Column& column = s.m_values[index(c)];
        column.resize(series.count());
        for (qsizetype k = 0; k < column.count; ++k) {
            const qint32 q = series.tenths(k);
            column.chunks[static_cast<std::size_t>(k / ChunkSize)][k % ChunkSize] = q;
            if (q == LogSeries::OutlierMark)
                column.outliers.emplace(k, series.y(k));
        }
    }
    // Rows are the points of each column: a mark goes on the row of its first poll's
    // label, or, without labels, of the first column that has points.
    int rows = labels;
    for (int c = 0; c < ValueColumns && log.isEmpty(rows); ++c)
        rows = seriesOfColumn(c);
    s.m_marks = markCells(log, [&log, rows](qint64 seconds) -> qsizetype {
        const qsizetype k = log.firstPointFrom(rows, seconds);
        return k < log.count(rows) ? k : -1;
    });
    return s;
}

qsizetype LogSnapshot::rowCount() const {
    qsizetype n = m_labels.count;
    for (const Column& c : m_values)
        n = std::max(n, c.count);
    return n;
}

QString LogSnapshot::labelText(int secondOfDay) const {
    return m_locale.toString(QTime::fromMSecsSinceStartOfDay(secondOfDay * 1000), m_timeFormat);
}

double LogSnapshot::value(int column, qsizetype row) const {
    const Column& c = m_values[index(column)];
    const qint32 q = c.at(row);
    if (q == LogSeries::OutlierMark)
        return c.outliers.at(row);
    return LogSeries::fromTenths(q);
}

void LogSnapshot::releaseRowsBefore(qsizetype row) {
    m_labels.releaseBefore(row);
    for (Column& c : m_values)
        c.releaseBefore(row);
}

std::size_t LogSnapshot::memoryUsage() const {
    std::size_t total = sizeof(*this);
    total += m_labels.memoryUsage();
    for (const Column& c : m_values)
        total += c.memoryUsage();
    return total;
}

void LogSnapshot::Column::resize(qsizetype rows) {
    count = rows;
    chunks.resize(static_cast<std::size_t>((rows + ChunkSize - 1) / ChunkSize));
    for (auto& chunk : chunks)
        chunk = std::make_unique_for_overwrite<qint32[]>(ChunkSize);
}

void LogSnapshot::Column::releaseBefore(qsizetype row) {
    const auto whole = static_cast<std::size_t>(std::clamp<qsizetype>(row, 0, count) / ChunkSize);
    for (std::size_t i = 0; i < whole; ++i)
        chunks[i].reset();
    std::erase_if(outliers, [row](const auto& entry) { return entry.first < row; });
}

std::size_t LogSnapshot::Column::memoryUsage() const {
    std::size_t total = chunks.capacity() * sizeof(chunks[0]);
    for (const auto& chunk : chunks)
        total += chunk ? ChunkSize * sizeof(qint32) : 0;
    return total + outliers.size() * (sizeof(qsizetype) + sizeof(double) + 2 * sizeof(void*));
}
