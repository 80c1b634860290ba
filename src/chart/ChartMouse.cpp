#include "ChartMouse.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <QScopedValueRollback>
#include <qcustomplot.h>

namespace {
constexpr int MinimumDrag = 4; // pixels: a click is not a zoom
}

ChartMouse::ChartMouse(QCustomPlot* plot) : QObject(plot), m_plot(plot) {
    m_plot->installEventFilter(this);
    connect(m_plot->yAxis, qOverload<const QCPRange&, const QCPRange&>(&QCPAxis::rangeChanged),
            this, &ChartMouse::valueAxisSet);
}

void ChartMouse::valueAxisSet(const QCPRange& now, const QCPRange& before) {
    // The settings or a view set the left axis while the user holds a view: giving the
    // view back keeps that setting rather than the limits from before the hold.
    if (m_moving || !m_saved)
        return;
    if (now.lower != before.lower)
        m_saved->yLower = now.lower;
    if (now.upper != before.upper)
        m_saved->yUpper = now.upper;
}

ChartMouse::Ranges ChartMouse::current() const {
    return {m_plot->xAxis->range().lower, m_plot->xAxis->range().upper,
            m_plot->yAxis->range().lower, m_plot->yAxis->range().upper};
}

void ChartMouse::setRanges(const Ranges& r) {
    m_plot->xAxis->setRange(r.xLower, r.xUpper);
    m_plot->yAxis->setRange(r.yLower, r.yUpper);
}

void ChartMouse::apply(const Ranges& r) {
    setRanges(r);
    m_plot->replot();
}

void ChartMouse::hold(const Ranges& before) {
    if (m_saved)
        return;
    m_saved = before;
    emit heldChanged(true);
}

void ChartMouse::endHold() {
    if (!m_saved)
        return;
    const Ranges before = *m_saved;
    m_saved.reset();
    const QScopedValueRollback<bool> moving(m_moving, true);
    apply(before);
    emit heldChanged(false);
}

bool ChartMouse::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_plot)
        return false;
    const QScopedValueRollback<bool> moving(m_moving, true);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        press(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseMove:
        if (m_button != Qt::NoButton) {
            move(static_cast<QMouseEvent*>(event));
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (m_button != Qt::NoButton) {
            release(static_cast<QMouseEvent*>(event));
            return true;
        }
        return false;
    default:
        return false;
    }
}

void ChartMouse::press(QMouseEvent* e) {
    if (m_button != Qt::NoButton)
        return;
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton)
        return;
    m_button = e->button();
    m_start = e->position().toPoint();
    m_panStart = current();
    if (m_button == Qt::LeftButton) {
        if (!m_band)
            m_band = new QRubberBand(QRubberBand::Rectangle, m_plot);
        m_band->setGeometry(QRect(m_start, QSize()));
        m_band->show();
    }
}

void ChartMouse::move(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (m_button == Qt::LeftButton) {
        m_band->setGeometry(QRect(m_start, pos).normalized());
        return;
    }
    if (pos == m_start && !m_saved)
        return;
    hold(m_panStart);
    // Pan: the point under the pointer at the press stays under the pointer. The
    // offsets are measured on the ranges as they were at the press.
    QCPAxis* x = m_plot->xAxis;
    QCPAxis* y = m_plot->yAxis;
    setRanges(m_panStart); // the conversions need no replot
    const double dx = x->pixelToCoord(m_start.x()) - x->pixelToCoord(pos.x());
    const double y0 = y->pixelToCoord(m_start.y());
    const double y1 = y->pixelToCoord(pos.y());
    x->setRange(m_panStart.xLower + dx, m_panStart.xUpper + dx);
    if (y->scaleType() == QCPAxis::stLogarithmic && y1 != 0.0)
        y->setRange(m_panStart.yLower * (y0 / y1), m_panStart.yUpper * (y0 / y1));
    else
        y->setRange(m_panStart.yLower + (y0 - y1), m_panStart.yUpper + (y0 - y1));
    m_plot->replot();
}

void ChartMouse::release(QMouseEvent* e) {
    const Qt::MouseButton button = m_button;
    m_button = Qt::NoButton;
    if (button == Qt::RightButton &&
        (e->position().toPoint() - m_start).manhattanLength() < MinimumDrag) {
        emit rightClicked(m_start);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    m_band->hide();
    const QPoint end = e->position().toPoint();
    const QPoint d = end - m_start;
    if (d.x() >= MinimumDrag && d.y() >= MinimumDrag) {
        hold(current());
        QCPAxis* x = m_plot->xAxis;
        QCPAxis* y = m_plot->yAxis;
        const double x0 = x->pixelToCoord(m_start.x());
        const double x1 = x->pixelToCoord(end.x());
        const double y0 = y->pixelToCoord(end.y());
        const double y1 = y->pixelToCoord(m_start.y());
        apply({x0, x1, y0, y1});
    } else if (d.x() <= -MinimumDrag || d.y() <= -MinimumDrag) {
        endHold();
    }
}
