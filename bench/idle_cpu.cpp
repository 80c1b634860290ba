// Prints the processor time the monitor uses while it searches for an instrument that
// is not there: the real program, without a window system (offscreen), with a port map
// of its own and the system's serial enumeration on, as a user would start it. With no
// comN link on this machine as it is; with no serial port at all (where the machine has
// some, they are hidden from the monitor by an empty /sys/class/tty in a mount
// namespace of its own: needs unshare and the right to mount); and with one silent
// instrument as COM1. Goal with no port at all: 2 % of one core.
#include "BenchEmulator.h"
#include "link/PortMap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {
constexpr int WarmUpMs = 3000;
constexpr int MeasureMs = 20000;
constexpr double GoalPercent = 2.0;

// User plus system time of all threads of a process, in seconds.
std::optional<double> cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    // The command name is in parentheses and may hold blanks: count fields after it.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return std::nullopt;
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

int probesIn(const QString& transcript) {
    QFile file(transcript);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(file.readAll().count("H 37"));
}

// Runs the monitor, in a mount namespace of its own with an empty /sys/class/tty when
// `hideSystemPorts` (so a machine with serial ports looks like one without), and
// returns its percent of one core over MeasureMs; negative if it did not run.
double measure(const QProcessEnvironment& env, bool hideSystemPorts) {
    QProcess monitor;
    monitor.setProcessEnvironment(env);
    monitor.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString program = QStringLiteral(VILTA_MONITOR_PATH);
    if (hideSystemPorts)
        monitor.start(QStringLiteral("unshare"),
                      {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                       QStringLiteral("mount -t tmpfs none /sys/class/tty && exec \"$0\""),
                       program});
    else
        monitor.start(program, {});
    if (!monitor.waitForStarted())
        return -1;
    QThread::msleep(WarmUpMs);
    const auto before = cpuSeconds(monitor.processId());
    QElapsedTimer wall;
    wall.start();
    QThread::msleep(MeasureMs);
    const auto after = cpuSeconds(monitor.processId());
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    monitor.terminate();
    if (!monitor.waitForFinished(5000))
        monitor.kill();
    if (!before || !after || monitor.exitStatus() != QProcess::CrashExit)
        return -1; // it ended by itself: it never ran, or could not hide the ports
    return (*after - *before) / seconds * 100.0;
}

// Whether this machine lets us run a program with the system's ports hidden.
bool canHideSystemPorts() {
    QProcess probe;
    probe.start(QStringLiteral("unshare"),
                {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("mount -t tmpfs none /sys/class/tty")});
    return probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

void printFigure(const char* what, double percent) {
    if (percent < 0)
        std::printf("  %-48s not measured\n", what);
    else
        std::printf("  %-48s %5.2f %% of one core\n", what, percent);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    const QStringList devices = PortMap::enumeratedDevices();
    const bool hide = !devices.isEmpty() && canHideSystemPorts();
    std::printf("the monitor's processor time over %d s, after %d s of start-up\n",
                MeasureMs / 1000, WarmUpMs / 1000);
    std::printf("  serial devices this machine lists: %lld %s\n",
                static_cast<long long>(devices.size()), qPrintable(devices.join(QLatin1Char(' '))));

    const double asItIs = measure(env, false);
    printFigure("as this machine is, no comN link:", asItIs);
    const double noPort = devices.isEmpty() ? asItIs : measure(env, true);
    if (!devices.isEmpty())
        printFigure("no serial port at all (system's list hidden):", noPort);

    BenchEmulator emulator(env);
    const QString transcript = config.filePath(QStringLiteral("silent.txt"));
    if (!emulator.start({QStringLiteral("--as"), QStringLiteral("COM1"), QStringLiteral("--silent"),
                         QStringLiteral("--transcript"), transcript}))
        return 1;
    const double silent = measure(env, hide);
    const int probes = probesIn(transcript);
    emulator.stop();
    printFigure(hide ? "one silent port as COM1 (system's list hidden):"
                     : "one silent port as COM1:",
                silent);
    std::printf("  (the silent port got %d probes in %d s)\n", probes,
                (WarmUpMs + MeasureMs) / 1000);
    if (noPort < 0) {
        std::printf("  goal with no port (<= %.0f %%): not measured\n", GoalPercent);
        return 1;
    }
    std::printf("  goal with no port (<= %.0f %%): %s\n", GoalPercent,
                noPort <= GoalPercent ? "met" : "NOT MET");
    return noPort <= GoalPercent ? 0 : 2;
}
