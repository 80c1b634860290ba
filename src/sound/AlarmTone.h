#pragma once

#include <QAudio>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QAudioSink;

// The alarm tone, 1000 Hz for 500 ms. The tones asked for in one poll sound as one run,
// one after the other with a short gap, without blocking the window. Each run gets a sink
// of its own: a sink restarted for the next tone is handed a smaller stream buffer each
// time by the sound server, until one never starts. Where there is no audio output, or
// the sink fails during a run, the ordinary system beep stands in for each tone still to
// sound; the next run tries the audio output again.
class AlarmTone : public QObject {
    Q_OBJECT

public:
    static constexpr int FrequencyHz = 1000;
    static constexpr int DurationMs = 500;
    static constexpr int GapMs = 50; // between the tones of one run
    // The stream buffer asked of the sound server.
    static constexpr int BufferMs = 100;

    // systemBeep gives the ordinary beep; the sound knows no window toolkit of its own.
    explicit AlarmTone(QObject* parent = nullptr, std::function<void()> systemBeep = {});
    ~AlarmTone() override;

    // Queues one tone; those queued before the window next waits for events form one run.
    void beep();
    // Drops the queued tones and cuts the run sounding (Стоп, leaving the program).
    void silence();

    // Tones asked for since start (each beep() counts once).
    int requestedCount() const { return m_requested; }
    // Tones queued but not yet begun.
    int pendingCount() const { return m_pending; }
    // Tones given as the system beep instead.
    int fallbackCount() const { return m_fallbacks; }
    bool isSounding() const { return m_playing; }

protected:
    // Where the next run is played; the seam through which tests take the output away.
    virtual QAudioDevice outputDevice() const;
    virtual void systemBeep();

private:
    void playQueued();
    bool startSink(const QAudioDevice& device);
    void onStateChanged(QAudio::State state);
    void checkPlayedOut();
    void fallBack();
    void beepNext();
    void endRun();
    void dropSink();
    qint64 runMs() const { return qint64(m_runTones) * (DurationMs + GapMs) - GapMs; }
    static QByteArray makeTone(const QAudioFormat& format);

    std::function<void()> m_systemBeep;
    QAudioSink* m_sink = nullptr;
    QAudioFormat m_format;
    QByteArray m_tone;          // one tone and its gap, in m_format
    QByteArray m_samples;       // the run sounding now
    QElapsedTimer m_sinceStart; // of the run
    QTimer m_playOut;           // polls the sink until the server has played the run
    QTimer m_beeps;             // system beeps, one per tone, in place of the sound
    int m_requested = 0;
    int m_pending = 0;
    int m_fallbacks = 0;
    int m_runTones = 0;  // tones in the run sounding now
    int m_beepsLeft = 0; // of that run, given as system beeps
    bool m_playing = false;
    bool m_startQueued = false;
};
