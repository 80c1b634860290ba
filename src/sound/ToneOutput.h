#pragma once

#include <QAudio>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>

class QAudioSink;

// The audio side of the alarm tone, on a thread of its own: finding the output, the sink
// and the sound server's connection may each wait for the server (half a minute for one
// that accepts and never answers), and none of that may hold up the window. It plays one
// run of tones at a time, each on a sink of its own, and reports how the run went.
class ToneOutput : public QObject {
    Q_OBJECT

public:
    static constexpr int FrequencyHz = 1000;
    static constexpr int DurationMs = 500;
    static constexpr int GapMs = 50; // between the tones of one run
    // The stream buffer asked of the sound server.
    static constexpr int BufferMs = 100;

    // device gives the output to play on, a null device for none; called on this thread.
    explicit ToneOutput(std::function<QAudioDevice()> device);

    // The run the window still wants played, 0 for none: written by the window's thread,
    // read here, so a run the window gave up on is dropped even when its request arrives
    // late.
    std::atomic<quint64> wanted{0};

public slots:
    // Plays `tones` tones as run `run`; reports started() once the sink runs and ended()
    // always, exactly once.
    void play(quint64 run, int tones);

signals:
    void started(quint64 run);
    // played: the server has played the whole run; otherwise it failed or was dropped.
    void ended(quint64 run, bool played);

private:
    bool startSink(const QAudioDevice& device, int tones);
    void onStateChanged(QAudio::State state);
    void checkPlayedOut();
    void finish(bool played);
    void dropSink();
    qint64 runMs() const { return qint64(m_tones) * (DurationMs + GapMs) - GapMs; }
    static QByteArray makeTone(const QAudioFormat& format);

    std::function<QAudioDevice()> m_device;
    QAudioSink* m_sink = nullptr;
    QAudioFormat m_format;
    QByteArray m_tone;          // one tone and its gap, in m_format
    QByteArray m_samples;       // the run sounding now
    QElapsedTimer m_sinceStart; // of the run
    // Polls the sink until the server has played the run; a child, so that it follows
    // this object to its thread.
    QTimer* m_playOut;
    quint64 m_run = 0; // the run sounding now, 0 for none
    int m_tones = 0;
};
