#include "LogGraph.h"

#include "measurement/MeasurementLog.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// A key as an index, pinned to [low, high] before the conversion, which would be
// undefined for a key beyond the integer range (an axis zoomed far out).
qsizetype indexWithin(double key, qsizetype low, qsizetype high) {
    if (!(key > static_cast<double>(low)))
        return low;
    if (!(key < static_cast<double>(high)))
        return high;
    return static_cast<qsizetype>(key);
}

// The circle stamp's side in pixels: room for a circle of radius 1 with its outline.
constexpr double StampSide = 6;

// Pixels beyond the plot area that a line may still reach before it is pinned; far
// enough that the visible part of a line keeps its slope, near enough for the painter.
constexpr double PixelMargin = 20000;
} // namespace

LogGraph::LogGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, const MeasurementLog& log, int series)
    : QCPAbstractPlottable(keyAxis, valueAxis), m_log(log), m_series(series),
      m_pointColour(Qt::black) {
    setSelectable(QCP::stNone);
}

double LogGraph::selectTest(const QPointF&, bool, QVariant*) const {
    return -1;
}

QCPRange LogGraph::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const {
    const qsizetype n = m_log.count(m_series);
    const double last = static_cast<double>(n - 1);
    switch (inSignDomain) {
    case QCP::sdNegative:
        foundRange = false;
        return QCPRange();
    case QCP::sdPositive:
        foundRange = n > 1;
        return foundRange ? QCPRange(1, last) : QCPRange();
    case QCP::sdBoth:
        break;
    }
    foundRange = n > 0;
    return foundRange ? QCPRange(0, last) : QCPRange();
}

QCPRange LogGraph::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain,
                                 const QCPRange& inKeyRange) const {
    const LogSeries& s = m_log.series(m_series);
    qsizetype first = 0;
    qsizetype end = s.count();
    if (inKeyRange != QCPRange()) {
        first = indexWithin(std::ceil(inKeyRange.lower), 0, end);
        end = indexWithin(std::floor(inKeyRange.upper) + 1, 0, end);
    }
    foundRange = false;
    if (first >= end)
        return QCPRange();
    double lo = 0;
    double hi = 0;
    if (inSignDomain == QCP::sdBoth) {
        if (first == 0 && end == s.count()) {
            lo = s.minY();
            hi = s.maxY();
        } else {
            s.rangeMinMax(first, end, lo, hi);
        }
        foundRange = lo <= hi;
        return foundRange ? QCPRange(lo, hi) : QCPRange();
    }
    // Only for a logarithmic axis asking for one sign: rare, so a plain scan will do.
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    for (qsizetype i = first; i < end; ++i) {
        const double v = s.y(i);
        if ((inSignDomain == QCP::sdPositive && v > 0) ||
            (inSignDomain == QCP::sdNegative && v < 0)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    foundRange = lo <= hi;
    return foundRange ? QCPRange(lo, hi) : QCPRange();
}

LogGraph::IndexRange LogGraph::visibleIndexes() const {
    const qsizetype n = m_log.count(m_series);
    const QCPRange range = mKeyAxis->range();
    IndexRange r;
    // One point beyond each edge, so that the line runs on to the edge of the plot.
    r.first = indexWithin(std::floor(range.lower), 0, n);
    r.last = indexWithin(std::ceil(range.upper), -1, n - 1);
    return r;
}

double LogGraph::valuePixel(double value) const {
    const double p = mValueAxis->coordToPixel(value);
    const QRect rect = clipRect();
    const double low = rect.top() - PixelMargin;
    const double high = rect.bottom() + PixelMargin;
    if (std::isnan(p))
        return high;
    return std::clamp(p, low, high);
}

void LogGraph::draw(QCPPainter* painter) {
    if (!mKeyAxis || !mValueAxis || m_log.isEmpty(m_series))
        return;
    const IndexRange r = visibleIndexes();
    if (r.last < r.first)
        return;
    const double spacing = std::fabs(mKeyAxis->coordToPixel(1) - mKeyAxis->coordToPixel(0));
    const bool linearKeys = mKeyAxis->scaleType() == QCPAxis::stLinear;

    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    if (linearKeys && spacing < 1.0)
        drawColumns(painter, r);
    else
        drawLine(painter, r);

    if (spacing >= CircleSpacing)
        drawCircles(painter, r);
}

void LogGraph::drawPolyline(QCPPainter* painter, const std::vector<QPointF>& points) const {
    if (points.empty())
        return;
    const auto draw = [&] {
        if (points.size() == 1)
            painter->drawPoint(points.front());
        else
            painter->drawPolyline(points.data(), static_cast<int>(points.size()));
    };
    if (m_outlineColour.isValid()) {
        // The line drawn a pixel off in each of the four directions makes the outline; the
        // line itself then runs along its middle. Four thin lines cost far less than one
        // wide pen, whose outline has to be computed.
        QPen outline = painter->pen();
        outline.setColor(m_outlineColour);
        const QPen line = painter->pen();
        painter->setPen(outline);
        for (const QPointF offset :
             {QPointF(0, -1), QPointF(0, 1), QPointF(-1, 0), QPointF(1, 0)}) {
            painter->translate(offset);
            draw();
            painter->translate(-offset);
        }
        painter->setPen(line);
    }
    draw();
}

void LogGraph::drawLine(QCPPainter* painter, const IndexRange& r) const {
    const LogSeries& s = m_log.series(m_series);
    const bool keysHorizontal = mKeyAxis->orientation() == Qt::Horizontal;
    // A missed poll breaks the line: the points on either side are not joined.
    const std::vector<qsizetype>& gaps = m_log.gapIndexes(m_series);
    auto gap = std::upper_bound(gaps.begin(), gaps.end(), r.first);
    std::vector<QPointF> points;
    points.reserve(static_cast<std::size_t>(r.last - r.first + 1));
    for (qsizetype i = r.first; i <= r.last; ++i) {
        if (gap != gaps.end() && *gap == i) {
            drawPolyline(painter, points);
            points.clear();
            ++gap;
        }
        const double v = s.y(i);
        if (std::isnan(v))
            continue;
        const double k = mKeyAxis->coordToPixel(static_cast<double>(i));
        const double p = valuePixel(v);
        points.push_back(keysHorizontal ? QPointF(k, p) : QPointF(p, k));
    }
    drawPolyline(painter, points);
}

void LogGraph::drawColumns(QCPPainter* painter, const IndexRange& r) const {
    const LogSeries& s = m_log.series(m_series);
    const bool keysHorizontal = mKeyAxis->orientation() == Qt::Horizontal;
    const double origin = mKeyAxis->coordToPixel(0);
    const double step = mKeyAxis->coordToPixel(1) - origin;
    const auto at = [keysHorizontal](double k, double v) {
        return keysHorizontal ? QPointF(k, v) : QPointF(v, k);
    };

    // A column's line stops at the first missed poll in it and the points after that
    // start a new line, in the same pixel column. Further gaps inside that column would
    // not show: they are passed over, so a column costs a few lines however many polls
    // it missed.
    const std::vector<qsizetype>& gaps = m_log.gapIndexes(m_series);
    auto gap = std::upper_bound(gaps.begin(), gaps.end(), r.first);
    std::vector<QPointF> points;
    const double columns = std::fabs(step) * static_cast<double>(r.last - r.first + 1) + 2;
    points.reserve(static_cast<std::size_t>(4 * columns));
    qsizetype begin = r.first;
    while (begin <= r.last) {
        // The points whose pixel falls into the same column as the point at `begin`.
        const double column = std::floor(origin + static_cast<double>(begin) * step);
        const double next = step > 0 ? std::ceil((column + 1 - origin) / step)
                                     : std::floor((column - origin) / step) + 1;
        const qsizetype columnEnd = indexWithin(next, begin + 1, r.last + 1);
        qsizetype end = columnEnd;
        const bool breaks = gap != gaps.end() && *gap <= columnEnd;
        if (breaks) {
            end = *gap;
            gap = std::lower_bound(std::next(gap), gaps.end(), columnEnd);
        }
        double lo = 0;
        double hi = 0;
        s.rangeMinMax(begin, end, lo, hi);
        if (lo <= hi) {
            const double first = s.y(begin);
            const double last = s.y(end - 1);
            const double k = column + 0.5;
            points.push_back(at(k, valuePixel(std::isnan(first) ? lo : first)));
            if (end - begin > 1) {
                points.push_back(at(k, valuePixel(lo)));
                points.push_back(at(k, valuePixel(hi)));
                points.push_back(at(k, valuePixel(std::isnan(last) ? hi : last)));
            }
        }
        if (breaks) {
            drawPolyline(painter, points);
            points.clear();
        }
        begin = end;
    }
    drawPolyline(painter, points);
}

const QImage& LogGraph::circleStamp(QCPPainter* painter) const {
    const qreal ratio = painter->device()->devicePixelRatioF();
    const bool antialiased = painter->antialiasing();
    if (m_stamp.isNull() || m_stampColour != m_pointColour || m_stampOutline != m_outlineColour ||
        m_stampAntialiased != antialiased || m_stamp.devicePixelRatio() != ratio) {
        const int side = static_cast<int>(std::ceil(StampSide * ratio));
        m_stamp = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        m_stamp.setDevicePixelRatio(ratio);
        m_stamp.fill(Qt::transparent);
        QPainter p(&m_stamp);
        p.setRenderHint(QPainter::Antialiasing, antialiased);
        drawCircle(&p, QPointF(StampSide / 2, StampSide / 2));
        m_stampColour = m_pointColour;
        m_stampOutline = m_outlineColour;
        m_stampAntialiased = antialiased;
    }
    return m_stamp;
}

void LogGraph::drawCircle(QPainter* painter, const QPointF& centre) const {
    if (m_outlineColour.isValid()) {
        painter->setPen(QPen(m_outlineColour, 0));
        painter->setBrush(m_outlineColour);
        painter->drawEllipse(centre, 2.0, 2.0);
    }
    painter->setPen(QPen(m_pointColour, 0));
    painter->setBrush(m_pointColour);
    painter->drawEllipse(centre, 1.0, 1.0);
}

void LogGraph::drawCircles(QCPPainter* painter, const IndexRange& r) const {
    const LogSeries& s = m_log.series(m_series);
    const bool keysHorizontal = mKeyAxis->orientation() == Qt::Horizontal;
    const QRectF visible = QRectF(clipRect()).adjusted(-3, -3, 3, 3);
    applyScattersAntialiasingHint(painter);
    // Printers and vector files get true circles; pixel targets get the stamp.
    const bool stamped = !painter->modes().testFlag(QCPPainter::pmVectorized) &&
                         painter->transform().type() <= QTransform::TxTranslate;
    const QImage* stamp = stamped ? &circleStamp(painter) : nullptr;
    const qreal ratio = painter->device()->devicePixelRatioF();
    constexpr double half = StampSide / 2;
    for (qsizetype i = r.first; i <= r.last; ++i) {
        const double v = s.y(i);
        if (std::isnan(v))
            continue;
        const double k = mKeyAxis->coordToPixel(static_cast<double>(i));
        const double p = mValueAxis->coordToPixel(v);
        const QPointF centre = keysHorizontal ? QPointF(k, p) : QPointF(p, k);
        if (!visible.contains(centre))
            continue;
        if (stamp) {
            // Whole device pixels, so the stamp is copied, not resampled.
            const QPointF corner(std::round((centre.x() - half) * ratio) / ratio,
                                 std::round((centre.y() - half) * ratio) / ratio);
            painter->drawImage(corner, *stamp);
        } else {
            drawCircle(painter, centre);
        }
    }
}

void LogGraph::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    const double y = rect.center().y();
    drawPolyline(painter, {QPointF(rect.left(), y), QPointF(rect.right() + 1, y)});
    applyScattersAntialiasingHint(painter);
    drawCircle(painter, rect.center());
}
