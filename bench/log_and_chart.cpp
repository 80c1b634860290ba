// The measurement log and its chart with 1e6 points in each of the eight fed series:
// memory per logged point (log and chart together), the per-poll work on a 705x490 chart
// zoomed to the newest 100 points, a replot of the whole log zoomed out, and the point
// readout's lookup under the pointer in both views.
// Give a file name ending in .png to also save the chart, zoomed in and out.
// --gap-every N marks a missed poll before every N-th poll, so the lines break there.
#include "chart/LogGraph.h"
#include "chart/PointReadout.h"
#include "measurement/Channel.h"
#include "measurement/ChannelConfiguration.h"
#include "measurement/MeasurementLog.h"
#include "measurement/TimeAxis.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <qcustomplot.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

constexpr qsizetype Points = 1000000;
constexpr int ModelCode = 62; // its reference series is V
constexpr int Fed[] = {0, 1, 2, 3, 4, 7, 8, 9};

struct Looks {
    QRgb line;
    QRgb point;
};
constexpr Looks SeriesLooks[10] = {{0x008000, 0x008000}, {0xFF0000, 0xFF0000}, {0xFFFF00, 0xFFFF00},
                                   {0x0000FF, 0x0000FF}, {0xFFFFFF, 0xFFFFFF}, {0x808080, 0x808080},
                                   {0xFF00FF, 0xFF00FF}, {0x008080, 0x00FFFF}, {0x000080, 0x000000},
                                   {0x800000, 0x800000}};

long residentBytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

long heapBytes() {
    return static_cast<long>(mallinfo2().uordblks);
}

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

// A slow random walk per series, in tenths, inside the climatic view's range.
struct Walk {
    quint32 state = 12345;
    int tenths = 200;
    double next() {
        state = state * 1664525u + 1013904223u;
        tenths += static_cast<int>(state >> 30) * 2 - 3;
        tenths = std::clamp(tenths, -250, 950);
        return tenths / 10.0;
    }
};

double timedReplot(QCustomPlot& plot) {
    QElapsedTimer t;
    t.start();
    plot.replot(QCustomPlot::rpImmediateRefresh);
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

std::vector<double> replots(QCustomPlot& plot, double lower, double upper) {
    plot.xAxis->setRange(lower, upper);
    std::vector<double> times;
    for (int k = 0; k < 21; ++k)
        times.push_back(timedReplot(plot));
    return times;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    qsizetype gapEvery = 0;
    if (arguments.size() > 1 && arguments[0] == QLatin1String("--gap-every")) {
        gapEvery = arguments[1].toLongLong();
        arguments = arguments.mid(2);
    }

    MeasurementLog log;
    QCustomPlot plot;
    plot.resize(705, 490);
    plot.setBackground(QColor(0xC0, 0xC0, 0xC0));
    plot.yAxis->setRange(-30, 100);
    plot.xAxis->setRange(-100, 0);
    auto* ticker = new TimeLabelTicker(log, AxisReferenceSeries(ModelCode, 0));
    plot.xAxis->setTicker(QSharedPointer<QCPAxisTicker>(ticker));
    LogGraph* airSpeed = nullptr;
    LogGraph* wetBulb = nullptr;
    for (int i = 0; i < MeasurementLog::SeriesCount; ++i) {
        auto* g = new LogGraph(plot.xAxis, plot.yAxis, log, i);
        g->setPen(QPen(QColor::fromRgb(SeriesLooks[i].line)));
        g->setPointColour(QColor::fromRgb(SeriesLooks[i].point));
        if (i == 4)
            airSpeed = g;
        if (i == 2)
            wetBulb = g;
    }
    // The white air speed and the yellow wet bulb are edged in dark grey on the chart, as
    // in the program.
    const QColor outline(0x40, 0x40, 0x40);
    airSpeed->setOutlineColour(outline);
    wetBulb->setOutlineColour(outline);
    plot.show();
    QCoreApplication::processEvents();
    timedReplot(plot);

    // Poll times, prepared beforehand: building a local date-time is slow and not part
    // of what is measured.
    std::vector<QDateTime> times;
    const QDate day(2026, 12, 7);
    for (int s = 0; s < 86400; s += 3)
        times.emplace_back(day, QTime::fromMSecsSinceStartOfDay(s * 1000));

    const long rssBefore = residentBytes();
    const long heapBefore = heapBytes();
    Walk walks[10];
    for (int i = 0; i < 10; ++i)
        walks[i].state = 7u * static_cast<quint32>(i) + 1u;
    QElapsedTimer fill;
    fill.start();
    for (qsizetype p = 0; p < Points; ++p) {
        const QDateTime& when = times[static_cast<std::size_t>(p) % times.size()];
        if (gapEvery > 0 && p > 0 && p % gapEvery == 0)
            log.markGap(when);
        for (int s : Fed)
            log.append(s, walks[s].next(), when);
    }
    const double fillMs = static_cast<double>(fill.nsecsElapsed()) / 1e6;
    if (const auto axis = timeAxisStep(log, ModelCode, 0, 100))
        plot.xAxis->setRange(axis->min, axis->max);
    timedReplot(plot);
    const long rssAfter = residentBytes();
    const long heapAfter = heapBytes();
    const double logged = 8.0 * static_cast<double>(Points);

    std::printf("points logged: %.0f (8 series x %lld), missed polls %zu\n", logged,
                static_cast<long long>(Points), log.missedPolls().size());
    std::printf("fill time: %.1f ms (%.1f ns per point)\n", fillMs, fillMs * 1e6 / logged);
    std::printf("memory per logged point, log and chart: RSS %.2f bytes, heap %.2f bytes\n",
                static_cast<double>(rssAfter - rssBefore) / logged,
                static_cast<double>(heapAfter - heapBefore) / logged);
    std::printf("memory per logged point, log's own count: %.2f bytes\n",
                static_cast<double>(log.memoryUsage()) / logged);

    // Per poll: eight points, the axis step, the replot of the newest 100 points.
    std::vector<double> polls;
    std::vector<double> replotOnly;
    for (int k = 0; k < 300; ++k) {
        QElapsedTimer t;
        t.start();
        const QDateTime now = QDateTime::currentDateTime();
        for (int s : Fed)
            log.append(s, walks[s].next(), now);
        if (const auto axis = timeAxisStep(log, ModelCode, 0, 100))
            plot.xAxis->setRange(axis->min, axis->max);
        const double r = timedReplot(plot);
        polls.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        replotOnly.push_back(r);
    }
    std::printf("per-poll work (append 8 + axis step + replot of the last 100, with circles): "
                "median %.2f ms, 90%% %.2f ms; replot alone median %.2f ms\n",
                median(polls), percentile(polls, 0.9), median(replotOnly));

    const double n = static_cast<double>(log.count(0));
    const std::vector<double> full = replots(plot, -1, n);
    std::printf("replot of the whole log zoomed out (8 x 1e6 points): median %.1f ms, "
                "max %.1f ms\n",
                median(full), *std::max_element(full.begin(), full.end()));
    // The widest window the settings allow: 501 positions, too close for circles.
    std::printf("replot of the newest 500 points: median %.2f ms\n",
                median(replots(plot, n - 501, n - 1)));

    // The point readout under a resting pointer: over a grid of the plot area and on
    // points of the first series, zoomed in and zoomed out.
    PointReadout readout(&plot, log);
    const auto lookups = [&](double lower, double upper) {
        plot.xAxis->setRange(lower, upper);
        plot.replot();
        const QRect area = plot.axisRect()->rect();
        std::vector<QPointF> at;
        for (int gx = 0; gx < 40; ++gx)
            for (int gy = 0; gy < 10; ++gy)
                at.emplace_back(area.left() + (gx + 0.5) * area.width() / 40.0,
                                area.top() + (gy + 0.5) * area.height() / 10.0);
        for (int k = 0; k < 100; ++k) {
            const double key = lower + (upper - lower) * (k + 0.5) / 100.0;
            const auto i = static_cast<qsizetype>(key);
            at.emplace_back(plot.xAxis->coordToPixel(static_cast<double>(i)),
                            plot.yAxis->coordToPixel(log.y(0, i)));
        }
        // Processor time of this thread, so that a busy machine's preemption does not
        // pass for the lookup's own cost; wall time beside it.
        std::vector<double> cpu;
        std::vector<double> wall;
        int hits = 0;
        for (const QPointF& p : at) {
            const double c0 = threadCpuMs();
            QElapsedTimer t;
            t.start();
            hits += !readout.textAt(p).isEmpty();
            wall.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
            cpu.push_back(threadCpuMs() - c0);
        }
        const double worst = *std::max_element(cpu.begin(), cpu.end());
        std::printf("  %zu pointer positions, %d with a point: processor time median %.3f ms, "
                    "max %.3f ms; wall median %.3f ms\n",
                    at.size(), hits, median(cpu), worst, median(wall));
        return worst;
    };
    std::printf("point readout lookup, newest 100 points in view:\n");
    const double zoomedIn = lookups(n - 101, n - 1);
    std::printf("point readout lookup, whole log in view (about 1500 points a pixel):\n");
    const double zoomedOut = lookups(-1, n);
    constexpr double ReadoutGoalMs = 5;
    std::printf("point readout goal: every lookup <= %.0f ms processor time: %s\n", ReadoutGoalMs,
                std::max(zoomedIn, zoomedOut) <= ReadoutGoalMs ? "met" : "MISSED");

    // What the air speed's outline costs: the same replots without it, interleaved.
    for (const auto& [what, lower, upper] :
         {std::tuple{"newest 100 points, with circles", n - 101, n - 1},
          std::tuple{"newest 500 points", n - 501, n - 1},
          std::tuple{"whole log zoomed out", -1.0, n}}) {
        std::vector<double> with;
        std::vector<double> without;
        plot.xAxis->setRange(lower, upper);
        for (int k = 0; k < 15; ++k) {
            airSpeed->setOutlineColour(QColor());
            without.push_back(timedReplot(plot));
            airSpeed->setOutlineColour(outline);
            with.push_back(timedReplot(plot));
        }
        std::printf("replot of the %s: median %.2f ms with the air speed's outline, %.2f ms "
                    "without\n",
                    what, median(with), median(without));
    }

    if (!arguments.isEmpty()) {
        const QString name = arguments[0];
        plot.xAxis->setRange(n - 101, n - 1);
        plot.replot();
        plot.grab().save(name);
        plot.xAxis->setRange(-1, n);
        plot.replot();
        plot.grab().save(QString(name).replace(QStringLiteral(".png"), QStringLiteral("-all.png")));
    }
    return 0;
}
