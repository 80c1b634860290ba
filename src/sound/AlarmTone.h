#pragma once

#include "ToneOutput.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

// The alarm tone, 1000 Hz for 500 ms. The tones asked for in one poll sound as one run,
// one after the other with a short gap. The window only queues tones and silences them:
// the audio output plays them on the program's sound thread, so a sound server that is
// slow or hangs never holds up the window. Where there is no audio output, where it does not
// start a run within StartWaitMs, where it fails during a run, or while it still hangs
// on an earlier run, the ordinary system beep stands in for each tone still to sound; the
// next run tries the audio output again.
class AlarmTone : public QObject {
    Q_OBJECT

public:
    // The tone's own figures are the output's, which plays it.
    static constexpr int FrequencyHz = ToneOutput::FrequencyHz;
    static constexpr int DurationMs = ToneOutput::DurationMs;
    static constexpr int GapMs = ToneOutput::GapMs; // between the tones of one run
    // How long a run may take to start sounding before the system beep stands in.
    static constexpr int StartWaitMs = 1000;

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
    // Called on the output's thread, since asking for the device may wait for the server.
    virtual QAudioDevice outputDevice() const;
    virtual void systemBeep();

private:
    void playQueued();
    void outputStarted(quint64 run);
    void outputEnded(quint64 run, bool played);
    void fallBack();
    void beepNext();
    void endRun();

    std::function<void()> m_systemBeep;
    ToneOutput* m_output;       // lives on the sound's thread
    QElapsedTimer m_sinceStart; // of the run
    QTimer m_startWait;         // for the output to start the run
    QTimer m_beeps;             // system beeps, one per tone, in place of the sound
    quint64 m_run = 0;          // the newest run, numbered from 1
    quint64 m_asked = 0;        // the run the output has not yet ended, 0 for none
    int m_requested = 0;
    int m_pending = 0;
    int m_fallbacks = 0;
    int m_runTones = 0;  // tones in the run sounding now
    int m_beepsLeft = 0; // of that run, given as system beeps
    bool m_playing = false;
    bool m_sounding = false; // the output has started the run
    bool m_startQueued = false;
};
