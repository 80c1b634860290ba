#pragma once

#include "LinkExchange.h"
#include "SessionSettings.h"
#include "ShownPoll.h"
#include "measurement/Channel.h"
#include "measurement/MeasurementLog.h"
#include "recording/RecordedPoll.h"

#include <QDateTime>
#include <QObject>
#include <QThread>

#include <cstdint>
#include <deque>
#include <functional>

class MyThread;
class PollPublisher;
class LinkWorker;
class QTimer;
class RecordingWriter;

// The measurement as it runs, below any window: finding and detecting the instrument, the
// run (interval or daily window, riding out link faults), each poll with its derived
// quantities and limit tests, the log, its events and its recording. Exchanges with the
// instrument run on a link thread of its own, so the thread the session lives on never
// waits for the line; what happens is told through the signals.
//
// One exchange is in flight at a time. A poll tick that comes during one is skipped; any
// other request (start or stop, clearing, new settings, the daily window's tick) waits for
// the exchange to end, as it would have waited for a window that the exchange held.
class MeasurementSession : public QObject {
    Q_OBJECT

public:
    explicit MeasurementSession(QString recordingFolder, QObject* parent = nullptr);
    ~MeasurementSession() override;

    MeasurementLog& log() { return Log; }
    RecordingWriter* recording() const { return m_recording; }
    QTimer* detectionTimer() const { return m_detect; }
    QTimer* intervalTimer() const { return m_interval; }
    QTimer* periodTimer() const { return m_period; }

    // The clock of the log's times (tests inject one).
    std::function<QDateTime()> Clock;
    // Whether a detection tick may detect now (the window program waits for its windows).
    std::function<bool()> DetectionGate;

    // The detected configuration, and the log: public, since the windows show them.
    std::int8_t ModelCode = 0;
    std::int8_t HeadCode = 0;
    MeasurementLog Log;

    // Where each logged poll is published (not owned; null: nowhere). The session only
    // hands polls over: a slow or dead broker never holds up a poll.
    void setPublisher(PollPublisher* publisher);
    // The search that finds the instrument; its status texts become the session's.
    void setSearch(MyThread* search);
    void setSettings(const SessionSettings& settings);
    const SessionSettings& settings() const { return m_settings; }

    bool isRunning() const;
    bool isExchanging() const { return m_exchanging; }
    qsizetype pollsLogged() const { return m_pollsLogged; }
    // Logs one poll's values as a poll read from the line is logged (benchmarks, tests).
    void logPoll(const PollReading& reading);

public slots:
    void startStop();
    void clear();
    void detectTick();
    // One poll now, or one step of looking for an instrument whose port went away.
    void poll();
    void periodTick();
    // Program end: no new byte goes to the instrument; an exchange in flight gives up at
    // its next read.
    void shutdown();

signals:
    // Status bar panels 0..3: port, model, head, what the session is doing.
    void statusText(int panel, const QString& text);
    // The device behind the port (the port panel's tooltip).
    void deviceChanged(const QString& device);
    void detected(std::int8_t model, std::int8_t head, bool headAsked);
    void runStarted();
    void runStateChanged(bool running);
    // The user stopped the run (the window silences its alarm tone).
    void stoppedByUser();
    void pollShown(const ShownPoll& poll);
    void pollMissed(int missedInRow);
    void cleared();

private:
    void request(ExchangeKind kind, bool newRelinkPass = false);
    void exchangeDone(const ExchangeResult& result);
    // Runs now, or once the exchange in flight has ended.
    void whenIdle(std::function<void()> action);
    void runDeferred();

    void detectionAnswered(const ExchangeResult& result);
    void startAnswered(bool answered);
    void doStartStop();
    void doClear();
    void doPeriodTick();
    void pollAnswered(const ExchangeResult& result);
    void relinkAnswered(const ExchangeResult& result);
    void beginRun();
    void endRun(const QString& status);
    void setRunning(bool interval, bool period);
    void missedPoll(bool portGone);
    void logMissedPoll();
    void searchStatus(const QString& text);

    void showMeasured(ShownPoll& shown, Channel c, float accepted);
    void showOptical(ShownPoll& shown, Channel c, float mantissa, float rangeCode);
    void testLimits(ShownPoll& shown, Channel c, float value);
    void addPoint(ShownPoll& shown, int seriesIndex, double y);
    QDateTime now() const { return Clock(); }

    RecordingWriter* m_recording = nullptr;
    QTimer* m_detect = nullptr;   // waits for the search to find the instrument
    QTimer* m_interval = nullptr; // paces the polls of a run
    QTimer* m_period = nullptr;   // checks the daily window of a scheduled run
    MyThread* m_search = nullptr;
    PollPublisher* m_publisher = nullptr;
    SessionSettings m_settings;

    QThread m_linkThread;
    LinkWorker* m_worker = nullptr;
    bool m_exchanging = false;
    bool m_ended = false; // shut down: nothing new starts
    std::deque<std::function<void()>> m_deferred;

    int m_portNumber = 0;
    // The instrument found by the search did not answer detection; the search's own texts
    // do not cover that until it finds one again.
    bool m_detectionFailed = false;
    bool m_startScheduled = false; // the start probe in flight begins a daily run
    int m_missedPolls = 0;         // of the run under way
    bool m_portLost = false;       // its port went away: ticks look for the instrument
    bool m_newRelinkPass = false;
    qsizetype m_pollsLogged = 0;
    RecordedPoll m_pollPoints; // the points of the poll being logged, for the recording
};
