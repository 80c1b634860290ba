// A month of polls (864,000, one every 3 s, or --polls N) through the measurement session
// alone, as vilta-logger runs it: no windows, the recording on (in a folder on /dev/shm
// where there is one), the clock injected; then the same with every poll published to a
// mosquitto broker that the benchmark starts on 127.0.0.1 (skipped without mosquitto).
// Prints, per pass, the session thread's time per poll (median and 99th percentile), the
// process CPU per poll (the recording's writer thread included), and the peak resident size. Goals: per poll no worse than the
// window program's (bench_soak_month, 0.9 ms), peak RSS at most the window program's.
#include "measurement/PollReading.h"
#include "recording/RecordingWriter.h"
#include "session/MeasurementSession.h"
#include "session/MqttPublisher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {
constexpr double GoalPerPollMs = 0.9; // the window program's month, bench_soak_month
constexpr double GoalPeakMb = 105;    // the window program's month (bench_soak_month)

double peakMegabytes() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Starts the peak over, so that each pass gives its own.
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double percentile(std::vector<float> v, double p) {
    if (v.empty())
        return 0;
    const auto k = static_cast<std::size_t>(p * double(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

struct Pass {
    double medianMs = 0;
    double p99Ms = 0;
    double cpuMs = 0;
    double peakMb = 0;
};

Pass run(qsizetype polls, PollPublisher* publisher) {
    QTemporaryDir state(QDir(QStringLiteral("/dev/shm")).exists()
                            ? QStringLiteral("/dev/shm/vilta-bench-XXXXXX")
                            : QDir::tempPath() + QStringLiteral("/vilta-bench-XXXXXX"));
    resetPeak();
    MeasurementSession session(state.path());
    session.detectionTimer()->stop();
    session.ModelCode = 61;
    session.setPublisher(publisher);
    QDateTime now(QDate(2026, 12, 1), QTime(0, 0));
    session.Clock = [&now] { return now; };
    std::vector<float> ms;
    ms.reserve(static_cast<std::size_t>(polls));
    const std::clock_t cpu = std::clock();
    QElapsedTimer t;
    for (qsizetype p = 0; p < polls; ++p) {
        PollReading r;
        r.AcceptedT = 20.0f + float(p % 50) / 10.0f;
        r.AcceptedRH = 45.0f + float(p % 30) / 10.0f;
        r.AcceptedV = 0.5f;
        r.AcceptedE = 123.4f;
        r.ERange = 1;
        r.AcceptedL = 12.3f;
        r.LRange = 0;
        t.start();
        session.logPoll(r);
        ms.push_back(float(t.nsecsElapsed()) / 1e6f);
        now = now.addSecs(3);
        // The logger prints a poll once it is in the file, 3 s before the next: the writer
        // is never a month of polls behind, as it would be with polls back to back.
        session.recording()->waitUntilWritten();
        if (p % 64 == 0)
            QCoreApplication::processEvents();
    }
    session.recording()->waitUntilWritten();
    QCoreApplication::processEvents();
    Pass pass;
    pass.medianMs = percentile(ms, 0.5);
    pass.p99Ms = percentile(ms, 0.99);
    pass.cpuMs = double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC / double(polls);
    pass.peakMb = peakMegabytes();
    session.setPublisher(nullptr);
    return pass;
}

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    qsizetype polls = 864000;
    if (argc > 2 && std::strcmp(argv[1], "--polls") == 0)
        polls = QByteArray(argv[2]).toLongLong();

    std::printf("the session alone (vilta-logger's run), %lld polls of a model 61\n",
                static_cast<long long>(polls));
    std::printf("  pass          median     99th pct   CPU/poll   peak RSS\n");
    const auto print = [](const char* name, const Pass& p) {
        std::printf("  %-12s %6.3f ms  %7.3f ms  %6.3f ms  %6.1f MB\n", name, p.medianMs, p.p99Ms,
                    p.cpuMs, p.peakMb);
    };
    const Pass plain = run(polls, nullptr);
    print("recording", plain);
    bool met = plain.medianMs <= GoalPerPollMs && plain.peakMb <= GoalPeakMb;

    const QString broker = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (broker.isEmpty()) {
        std::printf("  publishing: skipped, mosquitto is not installed\n");
    } else {
        QTemporaryDir dir;
        const int port = freePort();
        QFile conf(dir.filePath(QStringLiteral("m.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return 1;
        conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\nuser root\n")
                       .arg(port)
                       .toUtf8());
        conf.close();
        QProcess mosquitto;
        mosquitto.start(broker, {QStringLiteral("-c"), conf.fileName()});
        mosquitto.waitForStarted();
        MqttSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = port;
        settings.topicPrefix = QStringLiteral("bench/session");
        MqttPublisher publisher(settings);
        const Pass published = run(polls, &publisher);
        print("+ publishing", published);
        std::printf("  publishing per poll on the session thread: %+.3f ms (median)\n",
                    published.medianMs - plain.medianMs);
        std::printf("  polls dropped from publishing (queue bound): %lld\n",
                    static_cast<long long>(publisher.droppedPolls()));
        met = met && published.medianMs <= GoalPerPollMs && published.peakMb <= GoalPeakMb;
        mosquitto.terminate();
        mosquitto.waitForFinished();
    }
    std::printf("  goal: median <= %.1f ms and peak <= %.0f MB: %s\n", GoalPerPollMs, GoalPeakMb,
                met ? "met" : "NOT MET");
    return met ? 0 : 2;
}
