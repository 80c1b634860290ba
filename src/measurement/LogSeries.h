#pragma once

#include <QtGlobal>

#include <cstddef>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

// The points of one series, stored compactly: Y as a whole number of tenths (every Y is
// rounded to tenths) and the poll time as whole seconds from a base the owner keeps.
// Eight bytes a point, in fixed-size chunks so that growth never copies the log and
// the unused tail is at most one chunk.
class LogSeries {
public:
    static constexpr qsizetype ChunkSize = 4096;

    // value is rounded to tenths here.
    void append(double value, qint32 seconds);
    void clear();

    qsizetype count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    // Exactly RoundToTenth of the appended value.
    double y(qsizetype i) const;
    qint32 seconds(qsizetype i) const;

    // The stored form of a Y, for compact copies of the log: whole tenths, or OutlierMark
    // for a Y beyond what 32-bit tenths hold or not a number (y() has those).
    static constexpr qint32 OutlierMark = std::numeric_limits<qint32>::min();
    qint32 tenths(qsizetype i) const;
    // The stored form of a value as append keeps it.
    static qint32 tenthsOf(double value);
    // The Y of whole tenths: the same product RoundToTenth forms, so a decoded Y equals
    // the rounded value exactly.
    static double fromTenths(qint32 q) {
        return static_cast<double>(static_cast<long double>(q) * 0.1L);
    }

    // Smallest and largest Y; 0 for an empty series.
    double minY() const { return m_min; }
    double maxY() const { return m_max; }
    // Smallest and largest Y of points [from, to); the range must not be empty.
    void rangeMinMax(qsizetype from, qsizetype to, double& lo, double& hi) const;

    std::size_t memoryUsage() const;

private:
    // Each block of a chunk keeps its smallest and largest tenths, so that a zoomed-out
    // chart, which asks for the range of a thousand points a pixel column, reads a few
    // blocks instead of every point.
    static constexpr qsizetype BlockSize = 64;
    struct Chunk {
        qint32 tenths[ChunkSize];
        qint32 seconds[ChunkSize];
        qint32 blockLow[ChunkSize / BlockSize];
        qint32 blockHigh[ChunkSize / BlockSize];
        bool hasOutliers = false; // then the blocks are not used
    };

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::unordered_map<qsizetype, double> m_outliers;
    qsizetype m_count = 0;
    bool m_hasNumber = false;
    double m_min = 0;
    double m_max = 0;
};
