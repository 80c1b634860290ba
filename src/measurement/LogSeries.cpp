#include "LogSeries.h"

#include "Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

qint32 LogSeries::tenthsOf(double value) {
    const double r = RoundToTenth(value);
    if (std::isfinite(r) && std::fabs(r) < 2.0e8) {
        const auto candidate = static_cast<qint32>(std::llrint(static_cast<long double>(r) * 10));
        if (fromTenths(candidate) == r)
            return candidate;
    }
    return OutlierMark;
}

void LogSeries::append(double value, qint32 seconds) {
    const double r = RoundToTenth(value);
    const qint32 q = tenthsOf(value);

    const qsizetype offset = m_count % ChunkSize;
    if (offset == 0 && m_count / ChunkSize == static_cast<qsizetype>(m_chunks.size()))
        m_chunks.push_back(std::unique_ptr<Chunk>(new Chunk)); // not zero-filled
    Chunk& chunk = *m_chunks[static_cast<std::size_t>(m_count / ChunkSize)];
    chunk.tenths[offset] = q;
    chunk.seconds[offset] = seconds;
    qint32& low = chunk.blockLow[offset / BlockSize];
    qint32& high = chunk.blockHigh[offset / BlockSize];
    const bool blockStarts = offset % BlockSize == 0;
    low = blockStarts ? q : std::min(low, q);
    high = blockStarts ? q : std::max(high, q);
    if (q == OutlierMark) {
        chunk.hasOutliers = true;
        m_outliers[m_count] = r;
    }

    if (!std::isnan(r)) {
        m_min = m_hasNumber ? std::min(m_min, r) : r;
        m_max = m_hasNumber ? std::max(m_max, r) : r;
        m_hasNumber = true;
    }
    ++m_count;
}

void LogSeries::clear() {
    m_chunks.clear();
    m_outliers.clear();
    m_count = 0;
    m_hasNumber = false;
    m_min = 0;
    m_max = 0;
}

double LogSeries::y(qsizetype i) const {
    const qint32 q = tenths(i);
    if (q == OutlierMark)
        return m_outliers.at(i);
    return fromTenths(q);
}

qint32 LogSeries::tenths(qsizetype i) const {
    return m_chunks[static_cast<std::size_t>(i / ChunkSize)]->tenths[i % ChunkSize];
}

qint32 LogSeries::seconds(qsizetype i) const {
    return m_chunks[static_cast<std::size_t>(i / ChunkSize)]->seconds[i % ChunkSize];
}

void LogSeries::rangeMinMax(qsizetype from, qsizetype to, double& lo, double& hi) const {
    qint32 qlo = std::numeric_limits<qint32>::max();
    qint32 qhi = std::numeric_limits<qint32>::min();
    bool anyTenths = false;
    lo = std::numeric_limits<double>::infinity();
    hi = -std::numeric_limits<double>::infinity();
    qsizetype i = from;
    while (i < to) {
        const Chunk& chunk = *m_chunks[static_cast<std::size_t>(i / ChunkSize)];
        const qsizetype begin = i % ChunkSize;
        const qsizetype end = std::min<qsizetype>(ChunkSize, begin + (to - i));
        if (!chunk.hasOutliers) {
            // The hot loop of a zoomed-out chart: plain integers, no branches; whole blocks
            // by their summaries.
            qint32 a = qlo;
            qint32 b = qhi;
            const auto scan = [&](qsizetype from, qsizetype to) {
                for (qsizetype k = from; k < to; ++k) {
                    a = std::min(a, chunk.tenths[k]);
                    b = std::max(b, chunk.tenths[k]);
                }
            };
            const qsizetype firstWhole = (begin + BlockSize - 1) / BlockSize;
            const qsizetype endWhole = end / BlockSize;
            if (firstWhole < endWhole) {
                scan(begin, firstWhole * BlockSize);
                for (qsizetype block = firstWhole; block < endWhole; ++block) {
                    a = std::min(a, chunk.blockLow[block]);
                    b = std::max(b, chunk.blockHigh[block]);
                }
                scan(endWhole * BlockSize, end);
            } else {
                scan(begin, end);
            }
            qlo = a;
            qhi = b;
            anyTenths = true;
        } else {
            for (qsizetype k = begin; k < end; ++k) {
                const double v = y(i + (k - begin));
                if (!std::isnan(v)) {
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            }
        }
        i += end - begin;
    }
    if (anyTenths) {
        lo = std::min(lo, fromTenths(qlo));
        hi = std::max(hi, fromTenths(qhi));
    }
}

std::size_t LogSeries::memoryUsage() const {
    return m_chunks.size() * sizeof(Chunk) + m_chunks.capacity() * sizeof(m_chunks[0]) +
           m_outliers.size() * (sizeof(qsizetype) + sizeof(double) + 2 * sizeof(void*));
}
