#pragma once

#include <QList>

class MeasurementLog;
class QCPAbstractItem;
class QCustomPlot;

// The user's marks on the chart: a thin vertical line at each mark's first poll with the
// mark's text at the top. Chart items, so the saved bitmap, the printout and the report's
// chart carry them too.
class MarkLines {
public:
    MarkLines(QCustomPlot* plot, const MeasurementLog& log);

    // Draws the marks anew on the points of the series that labels the time axis.
    void update(int referenceSeries);

private:
    QCustomPlot* m_plot;
    const MeasurementLog& m_log;
    QList<QCPAbstractItem*> m_items;
};
