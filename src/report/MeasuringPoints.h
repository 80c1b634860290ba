#pragma once

#include "export/PollTable.h"

#include <QDateTime>
#include <QString>

#include <vector>

class MeasurementLog;

// A stretch of the log taken at one place: from a mark to the next mark, or the polls
// before the first mark.
struct MeasuringPoint {
    // The mark's text ("A; B" for marks on one poll), or unmarkedName().
    QString name;
    // The first and the last poll of the stretch.
    QDateTime first;
    QDateTime last;
    qsizetype polls = 0;
    // Per series the half-open range [begin, end) of its points in the log.
    PollTable::SeriesRanges points{};

    qsizetype pointCount(int series) const {
        const auto& [b, e] = points[static_cast<std::size_t>(series)];
        return e - b;
    }

    static QString unmarkedName() { return QStringLiteral("Без метки"); }
};

// The measuring points of the log, oldest first: one per mark, and before the first mark
// one named unmarkedName(); a log without marks is one such point. Only polls within
// [from, to] count (an invalid limit leaves that side open, as for a held view of the
// chart); a stretch without a poll there is left out.
std::vector<MeasuringPoint> measuringPoints(const MeasurementLog& log, const QDateTime& from = {},
                                            const QDateTime& to = {});
