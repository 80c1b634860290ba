#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <map>

class MeasurementLog;

// The column "Метка" of an export: each mark's text on the row of its first poll, marks
// on one row joined by "; " in time order. rowOf gives the row of a time on the log's
// scale (seconds from its base date), or -1 where the export has no such row.
std::map<qsizetype, QString> markCells(const MeasurementLog& log,
                                       const std::function<qsizetype(qint64)>& rowOf);

// The heading of that column.
inline QString markHeading() {
    return QStringLiteral("Метка");
}
