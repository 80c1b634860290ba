#pragma once

#include <QMutex>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

// The instrument search: probes COM1..COM8 in passes until one answers. Runs off the
// user-interface thread; its status texts are handed to that thread through the sink.
class MyThread : public QThread {
    Q_OBJECT

public:
    using StatusSink = std::function<void(const QString&)>;

    // A pass that could open no port at all waits this long before the next one, so
    // that a machine without serial ports does not spin; an adapter plugged in is
    // still found well within a second.
    static constexpr std::chrono::milliseconds PassPause{250};

    explicit MyThread(QObject* parent = nullptr);
    // Stops the search and joins it; waits at most for the probe under way.
    ~MyThread() override;

    // The sink runs on the thread of `receiver` (the user-interface thread).
    void setStatusSink(QObject* receiver, StatusSink sink);
    // Replaces the wait between passes (tests see when it would wait).
    void setPassPause(std::function<void()> pause);

    // Created suspended: the first Resume starts the search; later ones let a
    // suspended search go on. The search runs while InstrumentFound is 0.
    void Resume();
    // The search idles from the next port on until resumed; it holds no port then.
    void Suspend();
    // Ends the thread (program exit); returns at once, the destructor joins.
    void requestStop();

protected:
    void run() override; // Execute

private:
    void RunSearch();
    // One pass over COM1..COM8, up to the port that answers.
    void runPass();
    // Waits while suspended or while the instrument is found; false when stopping.
    bool waitUntilSearching();
    bool mayGoOn() const;
    void pauseBetweenPasses();
    // Hands a text to the user-interface thread; with `wait`, returns only when that
    // thread has processed it (or the program is ending).
    void showStatus(const QString& text, bool wait);

    QPointer<QObject> m_receiver;
    StatusSink m_sink;
    std::function<void()> m_passPause;
    // Shared with the queued hand-over, which may be delivered after this thread
    // object is gone (destroyed while waiting for the user-interface thread).
    std::shared_ptr<QSemaphore> m_handedOver = std::make_shared<QSemaphore>();
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_suspended{false};
    QMutex m_wakeMutex;
    QWaitCondition m_wake;
};
