#include "ReportChart.h"

#include "SeriesLook.h"
#include "measurement/ChannelCaption.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"

#include <qcustomplot.h>

#include <cmath>
#include <limits>
#include <set>

namespace {

constexpr qint64 SecondsPerDay = 86400;
// Page columns the period is divided into; each draws the range of its values.
constexpr qint64 Columns = 1500;
// Up to this many points a series shows each one as a circle.
constexpr qsizetype CircleLimit = 200;

// Keys are the log's own wall-clock seconds from the midnight of its first day: labels are
// then plain arithmetic and show what the clock showed, and day ticks fall on midnight.
qint64 keyOf(const QDate& base, const QDateTime& when) {
    return base.daysTo(when.date()) * SecondsPerDay + when.time().msecsSinceStartOfDay() / 1000;
}

class ReportTimeTicker : public QCPAxisTicker {
public:
    explicit ReportTimeTicker(const QDate& base) : m_base(base) {}

protected:
    double getTickStep(const QCPRange& range) override {
        static constexpr qint64 Steps[] = {1,     2,     5,     10,    15,     30,     60,
                                           120,   300,   600,   900,   1800,   3600,   7200,
                                           10800, 21600, 43200, 86400, 172800, 432000, 604800};
        const double wanted = range.size() / std::max(tickCount(), 1);
        m_step = Steps[std::size(Steps) - 1];
        for (qint64 s : Steps)
            if (s >= wanted) {
                m_step = s;
                break;
            }
        m_dated = dayOf(range.lower) != dayOf(range.upper);
        return static_cast<double>(m_step);
    }
    int getSubTickCount(double) override { return 0; }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        const qint64 key = std::llround(tick);
        const qint64 day = dayOf(tick);
        const QString date = RegionalSettings::shortDate(m_base.addDays(day));
        if (m_step >= SecondsPerDay)
            return date;
        const QString time = RegionalSettings::longTime(
            QTime::fromMSecsSinceStartOfDay(static_cast<int>((key - day * SecondsPerDay) * 1000)));
        return m_dated ? date + u'\n' + time : time;
    }

private:
    static qint64 dayOf(double key) {
        return static_cast<qint64>(std::floor(std::llround(key) / double(SecondsPerDay)));
    }

    QDate m_base;
    qint64 m_step = 1;
    bool m_dated = false;
};

// A line with a dark edge, its legend icon too, for the colours that vanish on white.
class EdgedGraph : public QCPGraph {
public:
    using QCPGraph::QCPGraph;
    QColor edge;

protected:
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override {
        if (edge.isValid()) {
            painter->setPen(QPen(edge, pen().widthF() + 2));
            painter->drawLine(
                QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
        }
        QCPGraph::drawLegendIcon(painter, rect);
    }
};

struct Span {
    qint64 from = 0;
    qint64 to = -1;
    bool isEmpty() const { return to < from; }
};

bool hasPointIn(const MeasurementLog& log, int s, const Span& span) {
    const LogSeries& series = log.series(s);
    for (qsizetype i = 0; i < series.count(); ++i)
        if (series.seconds(i) >= span.from && series.seconds(i) <= span.to)
            return true;
    return false;
}

// The series' points in the span, each column's lowest and highest in the order they
// came, with a break (NaN) where polls were missed or polling stopped.
QVector<QCPGraphData> columnsOf(const MeasurementLog& log, int s, const Span& span,
                                const std::set<qint64>& restarts, qsizetype& points) {
    const LogSeries& series = log.series(s);
    const double width = std::max<double>(span.to - span.from, 1);
    QVector<QCPGraphData> data;
    qint64 column = -1;
    QCPGraphData lo;
    QCPGraphData hi;
    const auto flush = [&] {
        if (column < 0)
            return;
        if (lo.key == hi.key && lo.value == hi.value)
            data.push_back(lo);
        else if (lo.key <= hi.key)
            data << lo << hi;
        else
            data << hi << lo;
        column = -1;
    };
    points = 0;
    double lastKey = std::numeric_limits<double>::quiet_NaN();
    for (qsizetype i = 0; i < series.count(); ++i) {
        const qint64 key = series.seconds(i);
        const double y = series.y(i);
        if (key < span.from || key > span.to || !std::isfinite(y))
            continue;
        ++points;
        if (!std::isnan(lastKey) && (log.gapBefore(s, i) || restarts.count(key) > 0)) {
            flush();
            data.push_back({(lastKey + static_cast<double>(key)) / 2,
                            std::numeric_limits<double>::quiet_NaN()});
        }
        lastKey = static_cast<double>(key);
        const QCPGraphData here{static_cast<double>(key), y};
        const qint64 c = static_cast<qint64>((key - span.from) / width * Columns);
        if (c != column) {
            flush();
            column = c;
            lo = hi = here;
        } else if (y < lo.value) {
            lo = here;
        } else if (y > hi.value) {
            hi = here;
        }
    }
    flush();
    return data;
}

} // namespace

std::unique_ptr<QCustomPlot> BuildReportChart(const MeasurementLog& log,
                                              const ReportChartRequest& request) {
    auto plot = std::make_unique<QCustomPlot>();
    plot->resize(1040, 640);
    plot->setBackground(Qt::white);
    QLocale numbers = RegionalSettings::locale();
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    plot->setLocale(numbers);
    const QDate base = log.baseDate();

    Span span{std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};
    if (request.from.isValid())
        span.from = keyOf(base, request.from);
    if (request.to.isValid())
        span.to = keyOf(base, request.to);
    std::vector<int> drawn;
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s)
        if (request.shown[static_cast<std::size_t>(s)] && hasPointIn(log, s, span))
            drawn.push_back(s);
    if (drawn.empty())
        for (int s = 0; s < MeasurementLog::SeriesCount; ++s)
            if (hasPointIn(log, s, span))
                drawn.push_back(s);
    // The period runs from the first to the last point drawn, within the one asked for.
    Span shown{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()};
    for (int s : drawn)
        for (qsizetype i = 0; i < log.count(s); ++i) {
            const qint64 key = log.series(s).seconds(i);
            if (key >= span.from && key <= span.to) {
                shown.from = std::min(shown.from, key);
                shown.to = std::max(shown.to, key);
            }
        }
    if (shown.isEmpty())
        return plot;

    std::set<qint64> restarts;
    for (const LogEvent& e : log.events().all())
        if (e.kind == LogEvent::PollingStopped && e.end.isValid())
            restarts.insert(keyOf(base, e.end));

    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (int s : drawn) {
        qsizetype points = 0;
        const QVector<QCPGraphData> data = columnsOf(log, s, shown, restarts, points);
        const SeriesLook& look = SeriesLooks[s];
        if (look.outlined) {
            auto* edge = new QCPGraph(plot->xAxis, plot->yAxis);
            edge->setPen(QPen(QColor::fromRgb(SeriesOutline), 3.5));
            edge->data()->set(data, true);
            edge->removeFromLegend();
        }
        auto* graph = new EdgedGraph(plot->xAxis, plot->yAxis);
        graph->setName(channelHeading(static_cast<Channel>(s)));
        graph->setPen(QPen(QColor::fromRgb(look.line), 1.5));
        if (look.outlined)
            graph->edge = QColor::fromRgb(SeriesOutline);
        if (points <= CircleLimit)
            graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle,
                                                   QColor::fromRgb(look.point),
                                                   QColor::fromRgb(look.point), 4));
        graph->data()->set(data, true);
        for (const QCPGraphData& d : data)
            if (std::isfinite(d.value) && (!request.logarithmic || d.value > 0)) {
                low = std::min(low, d.value);
                high = std::max(high, d.value);
            }
    }

    const auto ticker = QSharedPointer<ReportTimeTicker>::create(base);
    ticker->setTickCount(8);
    plot->xAxis->setTicker(ticker);
    const double pad = std::max<double>((shown.to - shown.from) * 0.02, 1);
    plot->xAxis->setRange(static_cast<double>(shown.from) - pad,
                          static_cast<double>(shown.to) + pad);
    if (!std::isfinite(low)) {
        low = 0;
        high = 1;
    }
    if (request.logarithmic && low > 0) {
        plot->yAxis->setScaleType(QCPAxis::stLogarithmic);
        plot->yAxis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
        plot->yAxis->setRange(low / 1.5, high * 1.5);
    } else {
        const double margin = high > low ? (high - low) * 0.05 : 1;
        plot->yAxis->setRange(low - margin, high + margin);
    }
    plot->xAxis->grid()->setVisible(true);
    plot->legend->setVisible(true);
    QFont legendFont = plot->font();
    legendFont.setPointSizeF(legendFont.pointSizeF() * 0.9);
    plot->legend->setFont(legendFont);
    plot->legend->setBrush(QColor(255, 255, 255, 230));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    return plot;
}
