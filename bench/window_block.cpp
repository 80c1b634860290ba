// Prints the longest time the window's thread stops answering while the program talks to
// an instrument that sends each byte only after a long wait (instrument-emulator --slow),
// each byte within the per-byte bound of one second: detection, the start button's probe
// and the polls of a run, as the main window runs them. A 5 ms timer on the window's
// thread measures the gaps between its ticks. Goal: 100 ms at most.
#include "BenchEmulator.h"
#include "link/Unitcomport.h"
#include "windows/Formmain.h"
#include "windows/Forms.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
constexpr double GoalMs = 100;
constexpr int Runs = 3;

// The longest gap between two ticks of a fast timer while `until` is false: how long the
// window could not have answered a click or painted.
double longestGapMs(const std::function<void()>& start, const std::function<bool()>& until) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticks.start(5);
    start();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    last = clock.nsecsElapsed();
    while (!until())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return double(longest) / 1e6;
}

bool idle() {
    return !FMain->session()->isExchanging();
}

// Lets the emulator finish or give up the reply the host walked away from.
void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

struct Blocks {
    bool ok = false;
    double detectionMs = 0;
    double startMs = 0;
    double pollMs = 0;
    double exchangeMs = 0; // the longest poll on the line, for scale
    int pollsEnded = 0;    // runs that ended like one without answer
};

Blocks measure(int slowMs) {
    Blocks b;
    BenchEmulator emulator;
    if (!emulator.start({QStringLiteral("--as"), QStringLiteral("COM1"), QStringLiteral("--model"),
                         QStringLiteral("0x3D"), QStringLiteral("--slow"),
                         QString::number(slowMs)}))
        return b;
    createFormsOnCom1();
    b.detectionMs = longestGapMs([] { FMain->TimerDetektTimer(); }, idle);
    b.ok = FMain->ModelCode == 0x3D;
    for (int run = 0; b.ok && run < Runs; ++run) {
        settle(2500);
        FMain->TimerInterval->setInterval(600000); // the bench polls by hand
        // The start's probe may itself miss its answer at 420 ms; the poll runs anyway.
        b.startMs = std::max(b.startMs, longestGapMs([] { FMain->ButtonStartStopClick(); }, idle));
        QElapsedTimer line;
        line.start();
        b.pollMs = std::max(b.pollMs, longestGapMs([] { FMain->PollInstrument(); }, idle));
        b.exchangeMs = std::max(b.exchangeMs, double(line.elapsed()));
        if (!FMain->TimerInterval->isActive() && FMain->Log.count(0) == 0 &&
            FMain->panelText(3) == QStringLiteral("Нет отклика от прибора"))
            ++b.pollsEnded;
        FMain->TimerInterval->stop();
    }
    destroyFormsOnCom1();
    return b;
}
} // namespace

int main(int argc, char** argv) {
    const BenchPorts ports; // before anything asks for a port
    QApplication app(argc, argv);

    std::printf("longest stop of the window's thread per exchange, model 61, %d runs each\n", Runs);
    std::printf("  per byte   detection   start probe   poll    (poll on the line)  runs ended\n");
    bool allWithinGoal = true;
    for (int slowMs : {300, 420}) {
        const Blocks b = measure(slowMs);
        if (!b.ok) {
            std::fprintf(stderr, "the emulator did not start, or detection failed\n");
            return 1;
        }
        const double longest = std::max({b.detectionMs, b.startMs, b.pollMs});
        allWithinGoal = allWithinGoal && longest <= GoalMs;
        std::printf("  %4d ms   %7.1f ms   %7.1f ms  %6.1f ms   (%6.0f ms)        %d of %d\n",
                    slowMs, b.detectionMs, b.startMs, b.pollMs, b.exchangeMs, b.pollsEnded, Runs);
    }
    std::printf("  goal: longest <= %.0f ms: %s\n", GoalMs, allWithinGoal ? "met" : "NOT MET");
    return allWithinGoal ? 0 : 2;
}
