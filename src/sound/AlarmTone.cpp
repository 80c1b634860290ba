#include "AlarmTone.h"
#include "ToneOutput.h"

#include <QCoreApplication>
#include <QMediaDevices>
#include <QThread>

#include <algorithm>
#include <utility>

namespace {
// How long the end of the program waits for the sound's thread. One that still hangs on
// the sound server then is left to end with the program rather than holding it up.
constexpr int LeaveWaitMs = 500;

QThread* runningSoundThread = nullptr;

void stopSoundThread() {
    runningSoundThread->quit();
    if (runningSoundThread->wait(LeaveWaitMs))
        delete std::exchange(runningSoundThread, nullptr);
}

// The program's one thread for audio output. Qt's sound server connection is made once
// per program, on the thread that first asks for a device, and it tells the sinks of a
// lost server on that thread: so every sink lives there too, for the program's life.
QThread* soundThread() {
    if (!runningSoundThread) {
        runningSoundThread = new QThread;
        runningSoundThread->setObjectName(QStringLiteral("sound"));
        runningSoundThread->start();
        qAddPostRoutine(stopSoundThread);
    }
    return runningSoundThread;
}
} // namespace

AlarmTone::AlarmTone(QObject* parent, std::function<void()> systemBeep)
    : QObject(parent), m_systemBeep(std::move(systemBeep)),
      m_output(new ToneOutput([this] { return outputDevice(); })) {
    m_output->moveToThread(soundThread());
    connect(m_output, &ToneOutput::started, this, &AlarmTone::outputStarted);
    connect(m_output, &ToneOutput::ended, this, &AlarmTone::outputEnded);

    m_startWait.setSingleShot(true);
    m_startWait.setInterval(StartWaitMs);
    connect(&m_startWait, &QTimer::timeout, this, &AlarmTone::fallBack);
    m_beeps.setInterval(DurationMs + GapMs);
    connect(&m_beeps, &QTimer::timeout, this, &AlarmTone::beepNext);
}

AlarmTone::~AlarmTone() {
    silence();
    disconnect(m_output, nullptr, this, nullptr);
    // Gone once it has dropped its run, also where it still waits for a hung server; a
    // request still queued for it finds the run given up and asks for no device.
    m_output->deleteLater();
}

QAudioDevice AlarmTone::outputDevice() const {
    return QMediaDevices::defaultAudioOutput();
}

void AlarmTone::systemBeep() {
    if (m_systemBeep)
        m_systemBeep();
}

void AlarmTone::beep() {
    ++m_requested;
    ++m_pending;
    if (!m_playing && !m_startQueued) {
        m_startQueued = true;
        QTimer::singleShot(0, this, &AlarmTone::playQueued);
    }
}

void AlarmTone::silence() {
    m_pending = 0;
    m_beepsLeft = 0;
    m_beeps.stop();
    m_startWait.stop();
    m_output->wanted.store(0); // the output drops the run at its next look
    m_playing = false;
}

void AlarmTone::playQueued() {
    m_startQueued = false;
    if (m_playing || m_pending == 0)
        return;
    m_runTones = std::exchange(m_pending, 0);
    m_playing = true;
    m_sounding = false;
    m_sinceStart.start();
    ++m_run;
    if (m_asked != 0) {
        fallBack(); // the output still hangs on an earlier run
        return;
    }
    m_asked = m_run;
    m_output->wanted.store(m_run);
    QMetaObject::invokeMethod(
        m_output,
        [output = m_output, run = m_run, tones = m_runTones] { output->play(run, tones); },
        Qt::QueuedConnection);
    m_startWait.start();
}

void AlarmTone::outputStarted(quint64 run) {
    if (run == m_run && m_playing && !m_beeps.isActive()) {
        m_startWait.stop();
        m_sounding = true;
    }
}

void AlarmTone::outputEnded(quint64 run, bool played) {
    if (run == m_asked)
        m_asked = 0;
    if (run != m_run || !m_playing || m_beeps.isActive())
        return; // silenced, or the system beep already stands in
    if (played)
        endRun();
    else
        fallBack();
}

void AlarmTone::fallBack() {
    m_startWait.stop();
    m_output->wanted.store(0);
    // The tone under way and those after it in the run, one beep each; every tone of a
    // run the output never started.
    const qint64 begun = m_sounding ? m_sinceStart.elapsed() / (DurationMs + GapMs) : 0;
    m_beepsLeft = int(std::max<qint64>(1, m_runTones - begun));
    beepNext();
    m_beeps.start();
}

void AlarmTone::beepNext() {
    if (m_beepsLeft == 0) {
        endRun();
        return;
    }
    --m_beepsLeft;
    ++m_fallbacks;
    systemBeep();
}

void AlarmTone::endRun() {
    m_beeps.stop();
    m_startWait.stop();
    m_playing = false;
    playQueued(); // tones asked for while this run sounded
}
