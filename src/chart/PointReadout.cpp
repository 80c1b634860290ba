#include "PointReadout.h"

#include "LogGraph.h"
#include "measurement/ChannelCaption.h"
#include "measurement/MeasurementLog.h"
#include "measurement/OpticalDisplay.h"
#include "measurement/ValueText.h"

#include <QHelpEvent>
#include <QToolTip>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

PointReadout::PointReadout(QCustomPlot* plot, const MeasurementLog& log)
    : QObject(plot), m_plot(plot), m_log(log) {
    m_plot->installEventFilter(this);
}

std::optional<PointReadout::Hit> PointReadout::nearest(const QPointF& pos) const {
    const QRectF area = m_plot->axisRect()->rect();
    if (!area.contains(pos))
        return std::nullopt;
    std::optional<Hit> best;
    double bestSquare = Radius * Radius;
    for (int p = 0; p < m_plot->plottableCount(); ++p) {
        const auto* graph = qobject_cast<const LogGraph*>(m_plot->plottable(p));
        if (!graph || !graph->realVisibility())
            continue;
        const LogSeries& s = m_log.series(graph->seriesIndex());
        const QCPAxis* keys = graph->keyAxis();
        const QCPAxis* values = graph->valueAxis();
        // The indexes within Radius pixels to either side, straight from the key axis.
        const double k0 = keys->pixelToCoord(pos.x() - Radius);
        const double k1 = keys->pixelToCoord(pos.x() + Radius);
        if (!std::isfinite(k0) || !std::isfinite(k1))
            continue;
        const double first = std::max(0.0, std::ceil(std::min(k0, k1)));
        const double last =
            std::min(static_cast<double>(s.count() - 1), std::floor(std::max(k0, k1)));
        if (!(first <= last))
            continue;
        // Zoomed far out many points share a column; the value window skips those
        // that are plainly too high or too low without converting them to pixels.
        const double v0 = values->pixelToCoord(pos.y() - Radius);
        const double v1 = values->pixelToCoord(pos.y() + Radius);
        const double low = std::min(v0, v1);
        const double high = std::max(v0, v1);
        for (auto i = static_cast<qsizetype>(first); i <= static_cast<qsizetype>(last); ++i) {
            const double v = s.y(i);
            if (!(v >= low && v <= high))
                continue;
            const QPointF pixel(keys->coordToPixel(static_cast<double>(i)),
                                values->coordToPixel(v));
            const QPointF d = pixel - pos;
            const double square = d.x() * d.x() + d.y() * d.y();
            if (square <= bestSquare && area.contains(pixel) && (!best || square < bestSquare)) {
                best = Hit{graph->seriesIndex(), i, pixel};
                bestSquare = square;
            }
        }
    }
    return best;
}

QString PointReadout::textAt(const QPointF& pos) const {
    const std::optional<Hit> hit = nearest(pos);
    return hit ? text(m_log, hit->series, hit->index) : QString();
}

QString PointReadout::text(const MeasurementLog& log, int series, qsizetype index) {
    const auto channel = static_cast<Channel>(series);
    QString caption = channelCaption(channel);
    if (channel == Channel::L)
        caption += QStringLiteral("²"); // the panel raises a "2" beside this caption
    const double y = log.y(series, index);
    const bool optical = channel == Channel::E || channel == Channel::L || channel == Channel::UV;
    const QString value = optical ? opticalLogText(y) : ValueText(y);
    return QStringLiteral("%1: %2\n%3").arg(caption, value, log.TimeLabel(series, index));
}

bool PointReadout::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_plot || event->type() != QEvent::ToolTip)
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<Hit> hit = nearest(help->pos());
    if (!hit) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // The tip stays while the pointer remains near the point.
    const int r = static_cast<int>(Radius);
    const QRect near(hit->pixel.toPoint() - QPoint(r, r), QSize(2 * r + 1, 2 * r + 1));
    QToolTip::showText(help->globalPos(), text(m_log, hit->series, hit->index), m_plot, near);
    return true;
}
