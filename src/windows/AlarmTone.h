#pragma once

#include <QAudio>
#include <QAudioFormat>
#include <QByteArray>
#include <QObject>

class QAudioSink;
class QBuffer;

// The alarm tone, 1000 Hz for 500 ms. Tones asked for in one poll sound one after the
// other without blocking the window; where the system has no audio output the
// ordinary system beep stands in for each tone.
class AlarmTone : public QObject {
    Q_OBJECT

public:
    static constexpr int FrequencyHz = 1000;
    static constexpr int DurationMs = 500;

    explicit AlarmTone(QObject* parent = nullptr);
    ~AlarmTone() override;

    void beep();
    // Tones asked for since start (each beep() counts once).
    int requestedCount() const { return m_requested; }
    int pendingCount() const { return m_pending; }

signals:
    void toneStarted();

private:
    void playNext();
    void onStateChanged(QAudio::State state);
    void toneEnded();
    QByteArray makeTone(const QAudioFormat& format) const;

    QAudioSink* m_sink = nullptr;
    QBuffer* m_buffer = nullptr;
    QByteArray m_samples;
    int m_requested = 0;
    int m_pending = 0;
    bool m_playing = false;
};
