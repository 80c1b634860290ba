#include "LogChart.h"

#include "ChartMouse.h"
#include "LogGraph.h"
#include "MarkLines.h"
#include "PointReadout.h"
#include "TimeLabelTicker.h"
#include "measurement/MeasurementLog.h"

#include <QLabel>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

struct SeriesLook {
    QRgb line;
    QRgb point;
    bool shown;
    // White air speed and yellow wet bulb barely show on the white back wall: a thin dark
    // edge shows them and keeps their colour.
    bool outlined;
};

// Line colour, point colour, start visibility and outline of Series1..Series10.
constexpr SeriesLook SeriesLooks[10] = {
    {0x008000, 0x008000, true, false},  {0xFF0000, 0xFF0000, true, false},
    {0xFFFF00, 0xFFFF00, true, true},   {0x0000FF, 0x0000FF, true, false},
    {0xFFFFFF, 0xFFFFFF, true, true},   {0x808080, 0x808080, true, false},
    {0xFF00FF, 0xFF00FF, true, false},  {0x008080, 0x00FFFF, false, false},
    {0x000080, 0x000000, false, false}, {0x800000, 0x800000, false, false},
};

constexpr QRgb Outline = 0x404040;

} // namespace

LogChart::LogChart(QCustomPlot* plot, const MeasurementLog& log,
                   std::function<std::optional<TimeAxisRange>()> newestView)
    : QObject(plot), m_plot(plot), m_log(log), m_newestView(std::move(newestView)) {
    m_plot->setBackground(QColor(0xC0, 0xC0, 0xC0));
    m_plot->axisRect()->setBackground(Qt::white);
    m_plot->axisRect()->setAutoMargins(QCP::msAll);
    m_plot->legend->setVisible(false);
    m_plot->setNoAntialiasingOnDrag(true);
    m_plot->yAxis->setRange(-30, 100);
    m_plot->xAxis->setRange(-100, 0);

    for (int i = 0; i < 10; ++i) {
        const SeriesLook& look = SeriesLooks[i];
        auto* g = new LogGraph(m_plot->xAxis, m_plot->yAxis, log, i);
        g->setName(QStringLiteral("Series%1").arg(i + 1));
        g->setPen(QPen(QColor::fromRgb(look.line)));
        g->setPointColour(QColor::fromRgb(look.point));
        if (look.outlined)
            g->setOutlineColour(QColor::fromRgb(Outline));
        g->setVisible(look.shown);
        m_series[static_cast<std::size_t>(i)] = g;
    }
    // The bottom axis reads its labels from the points' times.
    m_ticker = QSharedPointer<TimeLabelTicker>(new TimeLabelTicker(log));
    m_plot->xAxis->setTicker(m_ticker);
    m_mouse = new ChartMouse(m_plot);
    connect(m_mouse, &ChartMouse::heldChanged, this, &LogChart::heldChanged);
    connect(m_mouse, &ChartMouse::rightClicked, this, &LogChart::rightClicked);
    m_marks = std::make_unique<MarkLines>(m_plot, log);
    new PointReadout(m_plot, log);

    // A label over the chart rather than a chart item: it describes the screen, so the
    // saved bitmap and the printout, which draw the chart's own items, leave it out.
    m_heldNote = new QLabel(
        QStringLiteral("Просмотр: новые точки не показываются. Отменить — протянуть мышью влево"),
        m_plot);
    m_heldNote->setObjectName(QStringLiteral("ViewHeldNote"));
    m_heldNote->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_heldNote->setStyleSheet(
        QStringLiteral("background: rgba(255, 255, 225, 210); color: #404040; padding: 1px 3px;"));
    m_heldNote->adjustSize();
    m_heldNote->hide();
    connect(m_plot, &QCustomPlot::afterLayout, this, &LogChart::placeHeldNote);
}

LogChart::~LogChart() = default;

void LogChart::setValueAxis(bool logarithmic, double lower, double upper, const QString& title) {
    QCPAxis* left = m_plot->yAxis;
    // A logarithmic axis raises a lower bound at or below 0 and keeps it when it turns
    // linear again, which would hide every negative temperature: scale type first.
    if (logarithmic) {
        left->setScaleType(QCPAxis::stLogarithmic);
        auto ticker = QSharedPointer<QCPAxisTickerLog>::create();
        ticker->setLogBase(10);
        ticker->setSubTickCount(8);
        // The optical axis spans at most 0.001 (where the chart puts a lower bound of 0)
        // to 200000, under nine decades: more tick steps than that label every decade.
        ticker->setTickCount(12);
        left->setTicker(ticker);
    } else {
        left->setScaleType(QCPAxis::stLinear);
        left->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
    }
    left->setRange(lower, upper);
    left->setLabel(title);
}

void LogChart::showClimatic(bool climatic) {
    for (int i : {0, 1, 2, 3, 4})
        m_series[static_cast<std::size_t>(i)]->setVisible(climatic);
    for (int i : {7, 8, 9})
        m_series[static_cast<std::size_t>(i)]->setVisible(!climatic);
}

int LogChart::referenceSeries() const {
    return m_ticker->referenceSeries();
}

void LogChart::setReferenceSeries(int series) {
    m_ticker->setReferenceSeries(series);
    updateMarks();
}

void LogChart::eventChanged(qsizetype index) {
    if (index >= 0 && m_log.events().at(index).kind != LogEvent::Mark)
        return;
    // A mark set at a poll comes with the poll's first point, maybe before the point of
    // the series it is drawn on: the poll's end draws it again.
    m_marksStale = true;
    updateMarks();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void LogChart::updateMarks() {
    m_marks->update(referenceSeries());
}

std::pair<QDateTime, QDateTime> LogChart::heldPeriod() const {
    const int s = referenceSeries();
    const qsizetype n = m_log.count(s);
    const QCPRange range = m_plot->xAxis->range();
    const auto first = std::max<qsizetype>(0, qsizetype(std::ceil(range.lower)));
    const auto last = std::min<qsizetype>(n - 1, qsizetype(std::floor(range.upper)));
    if (n == 0 || first > last)
        return {};
    return {m_log.time(s, first), m_log.time(s, last)};
}

void LogChart::rightClicked(const QPoint& pos) {
    const int s = referenceSeries();
    const qsizetype n = m_log.count(s);
    const double x = m_plot->xAxis->pixelToCoord(pos.x());
    const auto i =
        std::clamp<qsizetype>(qsizetype(std::lround(x)), 0, std::max<qsizetype>(n - 1, 0));
    emit pointChosen(n > 0 ? m_log.time(s, i) : QDateTime(), m_plot->mapToGlobal(pos));
}

void LogChart::pollLogged() {
    // A view the user zoomed or panned stays where it is; the points are logged anyway,
    // and a view they cannot show in is not redrawn for them.
    if (std::exchange(m_marksStale, false))
        updateMarks();
    if (!isHeld())
        followNewest();
    else if (!newPointsInView())
        return;
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

bool LogChart::newPointsInView() const {
    // A poll's point at index n shows when it lies in the view or its line from n - 1
    // reaches into it; the view's left edge never passes the newest points, which only
    // grow to the right.
    const double upper = m_plot->xAxis->range().upper;
    for (const LogGraph* g : m_series) {
        const qsizetype n = m_log.count(g->seriesIndex());
        if (g->realVisibility() && n > 0 && double(n - 2) <= upper)
            return true;
    }
    return false;
}

void LogChart::followNewest() {
    if (const auto range = m_newestView())
        m_plot->xAxis->setRange(range->min, range->max);
}

bool LogChart::isHeld() const {
    return m_mouse->isHeld();
}

void LogChart::endHold() {
    m_mouse->endHold();
}

void LogChart::heldChanged(bool held) {
    m_heldNote->setVisible(held);
    if (held) {
        placeHeldNote();
        return;
    }
    followNewest();
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void LogChart::placeHeldNote() {
    // In the plot area's upper right corner, clear of the axes.
    const QRect area = m_plot->axisRect()->rect();
    m_heldNote->move(area.right() - m_heldNote->width() - 3, area.top() + 3);
}
