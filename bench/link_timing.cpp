// Prints how long the serial link's slow paths take over real pseudo-terminals:
// a probe of a silent port, one read of the system's device list, a search pass over
// absent and over silent ports, and one climatic + optical poll with and without
// 9600-baud pacing.
#include "link/PortMap.h"
#include "link/Rcpthread.h"
#include "link/Unitcomport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {
class Emulator {
public:
    explicit Emulator(const QStringList& arguments) {
        m_process.start(QStringLiteral(VILTA_EMULATOR_PATH), arguments);
        m_process.waitForStarted();
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_ready = m_process.readLine().startsWith("ready ");
    }
    ~Emulator() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool ready() const { return m_ready; }

private:
    QProcess m_process;
    bool m_ready = false;
};

double silentProbeMs(int rounds) {
    Emulator silent({QStringLiteral("--as"), QStringLiteral("COM1"), QStringLiteral("--silent")});
    if (!silent.ready())
        return -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        PortSession session(1);
        ProbeInstrument();
    }
    return double(timer.nsecsElapsed()) / 1e6 / rounds;
}

// Milliseconds per pass of the search thread over COM1..COM8, none answering. The
// pause after a pass that could open no port is left out: this is the work of a pass.
double searchPassMs(int passes) {
    ResetComPortState();
    QObject receiver;
    int texts = 0;
    QElapsedTimer timer;
    QEventLoop loop;
    MyThread thread;
    thread.setPassPause([] {});
    thread.setStatusSink(&receiver, [&](const QString&) {
        if (++texts == 8 * passes)
            loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    timer.start();
    thread.Resume();
    loop.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    thread.requestStop();
    return texts >= 8 * passes ? ms / passes : -1;
}

// The system's own serial device list, read as a search pass reads it.
double deviceListMs(int rounds, qsizetype* devices) {
    PortMap::setEnumerationEnabled(true);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        *devices = PortMap::enumeratedDevices().size();
    const double ms = double(timer.nsecsElapsed()) / 1e6 / rounds;
    PortMap::setEnumerationEnabled(false);
    return ms;
}

double pollMs(bool paced, int rounds) {
    QStringList arguments{QStringLiteral("--as"), QStringLiteral("COM1"), QStringLiteral("--model"),
                          QStringLiteral("0x3D")};
    if (paced)
        arguments << QStringLiteral("--pace");
    Emulator instrument(arguments);
    if (!instrument.ready())
        return -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        PortSession session(1);
        ProbeInstrument();
        SendCommand(CmdReadClimatic);
        for (int b = 0; b < 6; ++b)
            ReceiveByte();
        SendCommand(CmdReadOptical);
        for (int b = 0; b < 8; ++b)
            ReceiveByte();
    }
    return double(timer.nsecsElapsed()) / 1e6 / rounds;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Our own port map: no links but the emulators', no real serial ports.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    PortMap::setEnumerationEnabled(false);

    std::printf("silent port, one probe (open, 0x37, 11 empty reads, close): %.1f ms\n",
                silentProbeMs(5));
    qsizetype devices = 0;
    const double listMs = deviceListMs(50, &devices);
    std::printf("the system's serial device list, read once (%lld devices):   %.2f ms\n",
                static_cast<long long>(devices), listMs);
    std::printf("search pass over 8 absent ports (then a %lld ms pause):      %.2f ms\n",
                static_cast<long long>(MyThread::PassPause.count()), searchPassMs(20));
    {
        std::vector<std::unique_ptr<Emulator>> silent;
        for (int n = 1; n <= 8; ++n)
            silent.push_back(std::make_unique<Emulator>(
                QStringList{QStringLiteral("--as"), PortName(n), QStringLiteral("--silent")}));
        std::printf("search pass over 8 silent ports:                           %.0f ms\n",
                    searchPassMs(2));
    }
    std::printf("poll (probe, climatic, optical), pty at full speed:        %.2f ms\n",
                pollMs(false, 20));
    std::printf("poll (probe, climatic, optical), paced at 9600 baud:       %.2f ms\n",
                pollMs(true, 20));
    return 0;
}
