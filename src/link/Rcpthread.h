#pragma once

#include <QMutex>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>

// The instrument search: probes COM1..COM8 in passes until one answers. Runs off the
// user-interface thread; its status texts are handed to that thread through the sink.
class MyThread : public QThread {
    Q_OBJECT

public:
    using StatusSink = std::function<void(const QString&)>;

    explicit MyThread(QObject* parent = nullptr);
    // Stops the search and joins it; waits at most for the probe under way.
    ~MyThread() override;

    // The sink runs on the thread of `receiver` (the user-interface thread).
    void setStatusSink(QObject* receiver, StatusSink sink);

    // Created suspended: Resume starts the search.
    void Resume();
    // Called by configuration detection once the instrument is found. The thread
    // idles for good and never touches the port again.
    void Suspend();
    // Ends the thread (program exit); returns at once, the destructor joins.
    void requestStop();

    bool isSuspended() const { return m_suspended.load(); }

protected:
    void run() override; // Execute

private:
    void RunSearch();
    // Hands a text to the user-interface thread; with `wait`, returns only when that
    // thread has processed it (or the program is ending).
    void showStatus(const QString& text, bool wait);
    void idleUntilStopped();

    QPointer<QObject> m_receiver;
    StatusSink m_sink;
    // Shared with the queued hand-over, which may be delivered after this thread
    // object is gone (destroyed while waiting for the user-interface thread).
    std::shared_ptr<QSemaphore> m_handedOver = std::make_shared<QSemaphore>();
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_suspended{false};
    QMutex m_idleMutex;
    QWaitCondition m_idleWake;
};
