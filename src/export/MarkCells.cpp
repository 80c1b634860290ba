#include "MarkCells.h"

#include "measurement/MeasurementLog.h"

#include <algorithm>
#include <vector>

std::map<qsizetype, QString> markCells(const MeasurementLog& log,
                                       const std::function<qsizetype(qint64)>& rowOf) {
    std::vector<const LogEvent*> marks;
    for (const LogEvent& e : log.events().all())
        if (e.kind == LogEvent::Mark && e.start.isValid())
            marks.push_back(&e);
    std::stable_sort(marks.begin(), marks.end(),
                     [](const LogEvent* a, const LogEvent* b) { return a->start < b->start; });
    std::map<qsizetype, QString> cells;
    for (const LogEvent* e : marks) {
        const qsizetype row = rowOf(log.secondsFromBase(e->start));
        if (row < 0)
            continue;
        QString& cell = cells[row];
        cell += cell.isEmpty() ? e->text : QStringLiteral("; ") + e->text;
    }
    return cells;
}
