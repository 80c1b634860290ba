// The alarm as a listener hears it: a private sound server with a null sink, whose monitor
// is recorded while the tone code plays, and the recording measured tone by tone.
#include "sound/AlarmTone.h"

#include <QAudioDevice>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <csignal>
#include <vector>

namespace {
constexpr int Rate = 44100;
constexpr int BytesPerMs = Rate * 2 / 1000;

struct Tone {
    double startMs;
    double lengthMs;
    double hz;
};

// Tones in a mono 16-bit recording: runs of 2 ms frames louder than a tenth of the tone's
// level; the frequency from the rising zero crossings inside each run.
std::vector<Tone> findTones(const QByteArray& pcm) {
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype n = pcm.size() / 2;
    constexpr int Frame = Rate / 500;
    std::vector<Tone> tones;
    auto close = [&](qsizetype begin, qsizetype end) {
        qsizetype first = -1, last = -1, rising = 0;
        for (qsizetype i = begin + 1; i < end; ++i)
            if (s[i - 1] < 0 && s[i] >= 0) {
                first = first < 0 ? i : first;
                last = i;
                ++rising;
            }
        const double hz = rising > 1 ? (rising - 1) * double(Rate) / double(last - first) : 0;
        tones.push_back({begin * 1000.0 / Rate, (end - begin) * 1000.0 / Rate, hz});
    };
    qsizetype begin = -1;
    for (qsizetype f = 0; f + Frame <= n; f += Frame) {
        double sum = 0;
        for (int i = 0; i < Frame; ++i)
            sum += double(s[f + i]) * s[f + i];
        const bool loud = std::sqrt(sum / Frame) > 1000;
        if (loud && begin < 0)
            begin = f;
        else if (!loud && begin >= 0) {
            close(begin, f);
            begin = -1;
        }
    }
    return tones;
}

// PulseAudio of the test's own: its runtime folder and socket, one null sink that never
// rewinds (a rewind would rewrite what the monitor already recorded), no other clients.
class SoundServer {
public:
    ~SoundServer() { stop(); }
    QString address() const { return QStringLiteral("unix:") + m_dir.filePath("native"); }

    bool start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(
            "pulseaudio",
            {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1",
             "--disable-shm=yes", "--log-target=stderr", "--log-level=error", "-L",
             "module-native-protocol-unix auth-anonymous=1 socket=" + m_dir.filePath("native"),
             "-L", "module-null-sink sink_name=alarm norewinds=1"});
        if (!m_server.waitForStarted())
            return false;
        for (int i = 0; i < 100 && m_server.state() == QProcess::Running; ++i) {
            if (!pactl({"info"}).isNull())
                return true;
            QThread::msleep(50); // polling for readiness, not waiting out a race
        }
        return false;
    }
    // Whether a process is connected to the server (Qt reconnects on its own after a loss).
    bool hasClientOf(qint64 pid) const {
        return pactl({"list", "clients"}).contains(QString("process.id = \"%1\"").arg(pid));
    }
    void stop() {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
    }
    void crash() {
        ::kill(static_cast<pid_t>(m_server.processId()), SIGKILL);
        m_server.waitForFinished();
    }

private:
    // pactl's output, or a null string where it fails.
    QString pactl(const QStringList& arguments) const {
        QProcess p;
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start("pactl", QStringList{"--server=" + address()} + arguments);
        if (!p.waitForFinished() || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    QTemporaryDir m_dir;
    QProcess m_server;
};

// The sink's monitor, recorded as 44.1 kHz mono from the moment start() returns.
class Recorder {
public:
    explicit Recorder(const QString& server) {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput,
                         [this] { m_pcm += m_parec.readAllStandardOutput(); });
        m_parec.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_parec.start("parec",
                      {"--server=" + server, "--device=alarm.monitor", "--raw", "--format=s16le",
                       "--rate=44100", "--channels=1", "--latency-msec=20"});
    }
    ~Recorder() {
        m_parec.kill();
        m_parec.waitForFinished();
    }
    bool started() { return m_parec.waitForStarted(); }
    qint64 recordedMs() const { return m_pcm.size() / BytesPerMs; }
    bool heardSound() const { return !findTones(m_pcm + QByteArray(2 * BytesPerMs, 0)).empty(); }
    // Records on until `ms` more of silence or sound is in, so the last tone is whole.
    QByteArray recordFor(int ms) {
        const qint64 until = recordedMs() + ms;
        QDeadlineTimer deadline(ms + 5000);
        while (recordedMs() < until && !deadline.hasExpired())
            QTest::qWait(10);
        return m_pcm;
    }

private:
    QProcess m_parec;
    QByteArray m_pcm;
};

// AlarmTone with its audio output taken away on request, as on a machine without one.
class SwitchableTone : public AlarmTone {
public:
    bool outputMissing = false;
    int beeps = 0;

protected:
    QAudioDevice outputDevice() const override {
        return outputMissing ? QAudioDevice() : AlarmTone::outputDevice();
    }
    void systemBeep() override { ++beeps; }
};
} // namespace

class AlarmSoundTest : public QObject {
    Q_OBJECT

    SoundServer m_server;

    void waitQuiet(AlarmTone& tone, int tones) {
        QTRY_VERIFY_WITH_TIMEOUT(!tone.isSounding() && tone.pendingCount() == 0,
                                 tones * (AlarmTone::DurationMs + 500));
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_server.start(), "the private PulseAudio server did not start");
        // Before anything asks Qt for an audio device, so that Qt connects to this server.
        // Only the tone asks, on its own thread, as in the program: Qt's connection lives
        // on the thread that asks first.
        qputenv("PULSE_SERVER", m_server.address().toUtf8());
    }

    void tonesPlayWholeEveryTime() {
        Recorder recorder(m_server.address());
        QVERIFY(recorder.started());
        AlarmTone tone;
        for (int i = 0; i < 8; ++i) { // one alarm per poll
            tone.beep();
            waitQuiet(tone, 1);
        }
        for (int poll = 0; poll < 2; ++poll) { // five channels alarmed in one poll
            recorder.recordFor(300);
            for (int i = 0; i < 5; ++i)
                tone.beep();
            waitQuiet(tone, 5);
        }
        const std::vector<Tone> tones = findTones(recorder.recordFor(300));

        QCOMPARE(tones.size(), 18u);
        QCOMPARE(tone.fallbackCount(), 0);
        double widestGap = 0;
        for (std::size_t i = 0; i < tones.size(); ++i) {
            const QByteArray what = QString("tone %1: %2 ms, %3 Hz")
                                        .arg(i)
                                        .arg(tones[i].lengthMs)
                                        .arg(tones[i].hz)
                                        .toUtf8();
            // 5 %: a tail cut off with the server's buffer is 20-40 ms short.
            QVERIFY2(std::abs(tones[i].lengthMs - 500) <= 25, what);
            QVERIFY2(std::abs(tones[i].hz - 1000) <= 10, what);
            if (i > 8 && i % 5 != 3) // tones 9-12 and 14-17 were queued behind the previous
                widestGap = std::max(widestGap, tones[i].startMs - tones[i - 1].startMs -
                                                    tones[i - 1].lengthMs);
        }
        qInfo("widest gap between the tones of one poll: %.0f ms", widestGap);
        QVERIFY(widestGap <= 100);
    }

    void sinkErrorFallsBackAndNextToneSounds() {
        SwitchableTone tone;
        tone.outputMissing = true;
        tone.beep();
        tone.beep();
        waitQuiet(tone, 2);
        QCOMPARE(tone.beeps, 2);

        // The server dies during a run of two tones: the tone under way and any after it
        // are system beeps.
        tone.outputMissing = false;
        {
            Recorder recorder(m_server.address());
            QVERIFY(recorder.started());
            tone.beep();
            tone.beep();
            QTRY_VERIFY(recorder.heardSound());
            m_server.crash();
            waitQuiet(tone, 2);
        }
        const int beeps = tone.beeps;
        QVERIFY(beeps > 2);

        // Restarted, the server is used again from the next tone on, once Qt has
        // reconnected (it retries a few seconds after losing the server).
        QVERIFY(m_server.start());
        QTRY_VERIFY_WITH_TIMEOUT(m_server.hasClientOf(QCoreApplication::applicationPid()), 15000);
        Recorder recorder(m_server.address());
        QVERIFY(recorder.started());
        tone.beep();
        waitQuiet(tone, 1);
        QCOMPARE(findTones(recorder.recordFor(300)).size(), 1u);
        QCOMPARE(tone.beeps, beeps);
    }
};

QTEST_MAIN(AlarmSoundTest)
#include "alarm_sound.moc"
