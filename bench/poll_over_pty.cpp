// Prints how long one poll takes over a pseudo-terminal against instrument-emulator
// pacing the line at 9600 baud in both directions (each byte it sends, and each byte
// it takes in from us, costs its line time), next to the time the same bytes need on a
// real 9600 baud line. Every data byte waits for its echo before the next one goes, so
// the two directions never overlap: the line time is the sum over all bytes exchanged.
// Goal: a paced poll within 1.15 times its line time.
#include "BenchEmulator.h"
#include "link/Unitcomport.h"
#include "windows/Formmain.h"
#include "windows/Forms.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Start bit, eight data bits, stop bit.
constexpr double ByteMsAt9600 = 10.0 * 1000.0 / 9600.0;
constexpr int Polls = 60;
constexpr double GoalRatio = 1.15;
constexpr int WarmUp = 3;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct ByteCount {
    int host = 0;
    int instrument = 0;
};

// Bytes from the first probe on; the detection's model query before it is no poll.
ByteCount countPollBytes(const QString& transcriptPath) {
    ByteCount c;
    QFile file(transcriptPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return c;
    bool polling = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        polling = polling || line.startsWith("H 37");
        if (!polling)
            continue;
        if (line.startsWith("H "))
            ++c.host;
        else if (line.startsWith("I "))
            ++c.instrument;
    }
    return c;
}

// Runs the window's events until the exchange on the session's link thread has ended
// and its outcome is shown.
void waitForLink() {
    while (FMain->session()->isExchanging())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// The poll's exchange through the link primitives alone, as PollInstrument runs it.
void linkOnlyPoll() {
    PortSession session(1);
    if (!ProbeInstrument())
        return;
    SendCommand(CmdReadClimatic);
    for (int i = 0; i < 3; ++i)
        ReceiveWord();
    SendCommand(CmdReadOptical);
    for (int i = 0; i < 4; ++i)
        ReceiveWord();
}

struct Figures {
    bool ok = false;
    double pollMs = 0;      // median PollInstrument
    double linkMs = 0;      // median link exchange alone
    double redrawMs = 0;    // median queued replot after a poll
    double openCloseMs = 0; // median OpenPort + ClosePort without a byte
    double hostBytes = 0;
    double instrumentBytes = 0;
};

// Detection, then whole polls as the poll timer runs them (exchange, decoding, display,
// log, axis), then the same exchange through the link primitives alone.
Figures measure(const QString& transcript, bool paced) {
    Figures f;
    QStringList arguments{QStringLiteral("--as"),         QStringLiteral("COM1"),
                          QStringLiteral("--model"),      QStringLiteral("0x3D"),
                          QStringLiteral("--values"),     QStringLiteral("walk"),
                          QStringLiteral("--transcript"), transcript};
    if (paced)
        arguments << QStringLiteral("--pace");
    BenchEmulator emulator;
    if (!emulator.start(arguments))
        return f;
    createFormsOnCom1();
    FMain->TimerDetektTimer();
    waitForLink();
    if (FMain->ModelCode != 0x3D) {
        std::fprintf(stderr, "detection failed: \"%s\"\n", qPrintable(FMain->panelText(3)));
        destroyFormsOnCom1();
        return f;
    }
    std::vector<double> pollMs;
    std::vector<double> redrawMs;
    for (int i = 0; i < WarmUp + Polls; ++i) {
        QElapsedTimer timer;
        timer.start();
        FMain->PollInstrument(); // on the link thread, shown once back on this one
        waitForLink();
        const double poll = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        QCoreApplication::processEvents(); // the queued replot
        if (i >= WarmUp) {
            pollMs.push_back(poll);
            redrawMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    const bool allLogged = FMain->Log.count(0) == WarmUp + Polls;
    if (!allLogged)
        std::fprintf(stderr, "%lld of %d polls logged, status \"%s\"\n",
                     static_cast<long long>(FMain->Log.count(0)), WarmUp + Polls,
                     qPrintable(FMain->panelText(3)));
    std::vector<double> linkMs;
    for (int i = 0; i < WarmUp + Polls; ++i) {
        QElapsedTimer timer;
        timer.start();
        linkOnlyPoll();
        if (i >= WarmUp)
            linkMs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::vector<double> openCloseMs;
    for (int i = 0; i < WarmUp + Polls; ++i) {
        QElapsedTimer timer;
        timer.start();
        { PortSession session(1); }
        if (i >= WarmUp)
            openCloseMs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    f.openCloseMs = median(openCloseMs);
    destroyFormsOnCom1();
    emulator.stop();

    const ByteCount bytes = countPollBytes(transcript);
    const int totalPolls = 2 * (WarmUp + Polls);
    f.ok = allLogged;
    f.pollMs = median(pollMs);
    f.linkMs = median(linkMs);
    f.redrawMs = median(redrawMs);
    f.hostBytes = double(bytes.host) / totalPolls;
    f.instrumentBytes = double(bytes.instrument) / totalPolls;
    return f;
}
} // namespace

int main(int argc, char** argv) {
    const BenchPorts ports; // before anything asks for a port
    QApplication app(argc, argv);

    const Figures fast = measure(ports.filePath(QStringLiteral("fast.txt")), false);
    const Figures paced = measure(ports.filePath(QStringLiteral("paced.txt")), true);
    if (!fast.ok || !paced.ok) {
        std::fprintf(stderr, "no figures: the emulator did not start, or polls failed\n");
        return 1;
    }
    const double lineMs = (paced.hostBytes + paced.instrumentBytes) * ByteMsAt9600;
    const double ratio = paced.pollMs / lineMs;

    std::printf("poll of model 61 over a pty against the emulator, medians of %d polls\n", Polls);
    std::printf("  bytes per poll: %.0f host->instrument, %.0f instrument->host\n", paced.hostBytes,
                paced.instrumentBytes);
    std::printf("  line time of those bytes at 9600 baud, 10 bits each:  %6.2f ms\n", lineMs);
    std::printf("                                       unpaced     paced\n");
    std::printf("  PollInstrument                      %6.2f ms  %6.2f ms\n", fast.pollMs,
                paced.pollMs);
    std::printf("  link exchange alone                 %6.2f ms  %6.2f ms\n", fast.linkMs,
                paced.linkMs);
    std::printf("  OpenPort + ClosePort, no byte        %6.2f ms  %6.2f ms\n", fast.openCloseMs,
                paced.openCloseMs);
    std::printf("  queued replot after a poll          %6.2f ms  %6.2f ms\n", fast.redrawMs,
                paced.redrawMs);
    std::printf("  ratio paced poll / line time:            %6.3f (goal <= %.2f: %s)\n", ratio,
                GoalRatio, ratio <= GoalRatio ? "met" : "NOT MET");
    std::printf("  ratio paced link exchange / line time:   %6.3f\n", paced.linkMs / lineMs);
    return ratio <= GoalRatio ? 0 : 2;
}
