#pragma once

#include <QObject>
#include <QPointF>

#include <optional>

class QCustomPlot;
class MeasurementLog;

// Shows, as a tooltip, the logged point nearest to the resting pointer among the shown
// series: the channel's caption, the value as its box writes it and the poll's time.
// Over empty space nothing is shown. Only the tooltip event is handled, so moving the
// pointer has no other effect on the chart.
class PointReadout : public QObject {
    Q_OBJECT

public:
    PointReadout(QCustomPlot* plot, const MeasurementLog& log);

    // How near, in pixels, the pointer must come to a point's centre.
    static constexpr double Radius = 5;

    struct Hit {
        int series = 0;
        qsizetype index = 0;
        QPointF pixel;
    };
    // The nearest drawn point within Radius of pos, if any. A point's X is its index,
    // so only the points within Radius pixels left and right of pos are looked at,
    // whatever the length of the log.
    std::optional<Hit> nearest(const QPointF& pos) const;
    // The tooltip text at pos; empty over empty space.
    QString textAt(const QPointF& pos) const;

    // "<caption>: <value>" and, on a second line, the point's time label.
    static QString text(const MeasurementLog& log, int series, qsizetype index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCustomPlot* m_plot;
    const MeasurementLog& m_log;
};
