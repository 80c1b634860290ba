#pragma once

#include <QDateTime>
#include <QtGlobal>

#include <array>

// One logged poll as the recording keeps it: the value of each series it gave a point
// and that point's time. The points of a poll carry the same second unless the clock
// ticked between them, so each keeps its own.
struct RecordedPoll {
    static constexpr int SeriesCount = 10;

    // Wall-clock seconds of the first point (wallSeconds below).
    qint64 time = 0;
    std::array<double, SeriesCount> y{};
    std::array<qint64, SeriesCount> at{};
    quint16 present = 0; // bit s: series s got a point

    bool has(int series) const { return (present >> series) & 1u; }
    bool isEmpty() const { return present == 0; }
    void add(int series, double value, qint64 when) {
        if (isEmpty())
            time = when;
        y[static_cast<std::size_t>(series)] = value;
        at[static_cast<std::size_t>(series)] = when;
        present = static_cast<quint16>(present | (1u << series));
    }
};

// A time as the local clock showed it, counted in seconds as if that clock were UTC:
// the log keeps what the clock showed, so a restored point gets the same label whatever
// the time zone or daylight saving did meanwhile.
qint64 wallSeconds(const QDateTime& when);
QDate wallDate(qint64 seconds);
int wallSecondOfDay(qint64 seconds);
QDateTime wallDateTime(qint64 seconds);
