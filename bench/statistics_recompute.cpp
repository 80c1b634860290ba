// Time of one statistics recompute over a logged air-speed series of 1e6 points: the
// histogram core over the log, and the window's "Обновить" with its chart and marks.
// Prints medians of wall and thread CPU time (the CPU figure is the steadier one on a
// shared machine); never a pass/fail.
#include "measurement/MeasurementLog.h"
#include "statistics/Histogram.h"
#include "windows/Formstat.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Figures {
    double wallMs;
    double cpuMs;
};

template <typename F> Figures medians(int runs, F&& run) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const double c = threadCpuMs();
        QElapsedTimer t;
        t.start();
        run();
        wall.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMs() - c);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    constexpr int Points = 1'000'000;
    constexpr int AirSpeedSeries = 4;
    MeasurementLog log;
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> speed(-1.0, 25.0);
    const QDateTime start = QDateTime::currentDateTime();
    for (int i = 0; i < Points; ++i)
        log.append(AirSpeedSeries, speed(gen), start.addSecs(i));
    const auto source = [&log](int series) {
        return StatSeries{log.count(series),
                          [&log, series](qsizetype i) { return log.y(series, i); }};
    };

    std::vector<double> plain(static_cast<std::size_t>(Points));
    for (int i = 0; i < Points; ++i)
        plain[static_cast<std::size_t>(i)] = log.y(AirSpeedSeries, i);

    int sink = 0;
    const Figures overArray = medians(
        21, [&] { sink += Histogram::compute(2, std::span<const double>(plain)).counts()[0]; });
    const Figures overLog =
        medians(21, [&] { sink += Histogram::compute(2, source(AirSpeedSeries)).counts()[0]; });

    TFStat window;
    window.setSeriesSource(source);
    window.ComboBoxStat->setCurrentIndex(2);
    const Figures withChart = medians(21, [&] { window.ButtonStatReloadClick(); });

    std::printf("statistics recompute, %d points of air speed (2.2-wide classes), median of 21\n",
                Points);
    std::printf("  histogram over an array:        wall %6.2f ms  cpu %6.2f ms\n", overArray.wallMs,
                overArray.cpuMs);
    std::printf("  histogram over the log:         wall %6.2f ms  cpu %6.2f ms\n", overLog.wallMs,
                overLog.cpuMs);
    std::printf("  window \"Обновить\" with chart:   wall %6.2f ms  cpu %6.2f ms\n",
                withChart.wallMs, withChart.cpuMs);
    return sink == -1 ? 1 : 0;
}
