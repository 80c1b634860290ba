#pragma once

#include "TimeLabelTicker.h"

#include <qcustomplot.h>

#include <vector>

class MeasurementLog;

// One series of the measurement log drawn on the chart, straight from the log: the
// chart holds no copy of the points. X is the point's index, Y its value. The line is
// drawn in the pen's colour; each point gets a 2x2 circle in the point colour where the
// points stand far enough apart to be told from each other. A series whose colours do
// not stand out from the back wall can have its line and circles edged in an outline
// colour. Zoomed out, each pixel
// column is drawn as the span of the points it covers, so the cost of a replot follows
// the chart's width and the points in view, not the length of the log.
class LogGraph : public QCPAbstractPlottable {
    Q_OBJECT

public:
    LogGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const MeasurementLog& log, int series);

    int seriesIndex() const { return m_series; }
    QColor pointColour() const { return m_pointColour; }
    void setPointColour(const QColor& colour) { m_pointColour = colour; }
    // One pixel on either side of the line and around each circle; invalid (the
    // default) for none.
    QColor outlineColour() const { return m_outlineColour; }
    void setOutlineColour(const QColor& colour) { m_outlineColour = colour; }

    // Not selectable: the point readout finds points by their index instead.
    double selectTest(const QPointF& pos, bool onlySelectable,
                      QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange,
                         QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

    // Circles are drawn when neighbouring points are at least this many pixels apart.
    static constexpr double CircleSpacing = 2.0;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
    struct IndexRange {
        qsizetype first = 0;
        qsizetype last = -1; // inclusive; empty when last < first
    };
    IndexRange visibleIndexes() const;
    double valuePixel(double value) const;
    void drawPolyline(QCPPainter* painter, const std::vector<QPointF>& points) const;
    void drawLine(QCPPainter* painter, const IndexRange& r) const;
    void drawColumns(QCPPainter* painter, const IndexRange& r) const;
    void drawCircles(QCPPainter* painter, const IndexRange& r) const;
    const QImage& circleStamp(QCPPainter* painter) const;
    void drawCircle(QPainter* painter, const QPointF& centre) const;

    const MeasurementLog& m_log;
    int m_series;
    QColor m_pointColour;
    QColor m_outlineColour;
    // One circle drawn once and stamped at every point: far cheaper than a path per point.
    mutable QImage m_stamp;
    mutable QColor m_stampColour;
    mutable QColor m_stampOutline;
    mutable bool m_stampAntialiased = false;
};
