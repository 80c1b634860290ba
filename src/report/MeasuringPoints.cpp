#include "MeasuringPoints.h"

#include "measurement/MeasurementLog.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 Open = std::numeric_limits<qint64>::max();
// Points of one poll may fall on both sides of a second's turn, as in the poll table.
constexpr qint64 PollSpread = 1;

struct Start {
    qint64 seconds;
    QString name;
};

// Where the stretches begin: the first with no mark, then the marks in time order, those
// of one poll joined.
std::vector<Start> stretchStarts(const MeasurementLog& log) {
    std::vector<Start> marks;
    for (const LogEvent& e : log.events().all())
        if (e.kind == LogEvent::Mark && e.start.isValid())
            marks.push_back({log.secondsFromBase(e.start), e.text});
    std::stable_sort(marks.begin(), marks.end(),
                     [](const Start& a, const Start& b) { return a.seconds < b.seconds; });
    std::vector<Start> starts{{-Open, MeasuringPoint::unmarkedName()}};
    for (const Start& m : marks) {
        if (starts.size() > 1 && m.seconds - starts.back().seconds <= PollSpread)
            starts.back().name += QStringLiteral("; ") + m.name;
        else
            starts.push_back(m);
    }
    return starts;
}

} // namespace

std::vector<MeasuringPoint> measuringPoints(const MeasurementLog& log, const QDateTime& from,
                                            const QDateTime& to) {
    std::vector<MeasuringPoint> points;
    if (!log.baseDate().isValid())
        return points;
    const qint64 lowest = from.isValid() ? log.secondsFromBase(from) : -Open;
    const qint64 beyond = to.isValid() ? log.secondsFromBase(to) + 1 : Open;
    const std::vector<Start> starts = stretchStarts(log);
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const qint64 lo = std::max(starts[k].seconds, lowest);
        const qint64 hi = std::min(k + 1 < starts.size() ? starts[k + 1].seconds : Open, beyond);
        if (lo >= hi)
            continue;
        MeasuringPoint p;
        p.name = starts[k].name;
        qint64 first = Open;
        qint64 last = -Open;
        int firstSeries = -1;
        int lastSeries = -1;
        for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
            const LogSeries& series = log.series(s);
            const qsizetype b = log.firstPointFrom(s, lo);
            const qsizetype e = hi == Open ? series.count() : log.firstPointFrom(s, hi);
            p.points[static_cast<std::size_t>(s)] = {b, std::max(b, e)};
            if (b >= e)
                continue;
            if (series.seconds(b) < first) {
                first = series.seconds(b);
                firstSeries = s;
            }
            if (series.seconds(e - 1) > last) {
                last = series.seconds(e - 1);
                lastSeries = s;
            }
        }
        if (firstSeries < 0)
            continue;
        p.first = log.time(firstSeries, p.points[static_cast<std::size_t>(firstSeries)].first);
        p.last = log.time(lastSeries, p.points[static_cast<std::size_t>(lastSeries)].second - 1);
        p.polls = PollTable::countRows(log, p.points);
        points.push_back(std::move(p));
    }
    return points;
}
