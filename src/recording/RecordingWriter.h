#pragma once

#include "RecordedEvent.h"
#include "RecordedPoll.h"

#include <QMap>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QLockFile;
class RecordingDatabase;

// This program instance's recording of the log. The window hands it each poll and goes
// on at once; a thread of its own writes the file, one synced transaction per poll. The
// file is made at the first write, under a lock that tells other instances it is in
// use. A write that fails (disk full, no permission) ends the recording for this run:
// stopped() says why, and later polls are no longer written.
class RecordingWriter : public QObject {
    Q_OBJECT

public:
    explicit RecordingWriter(QString folder, QObject* parent = nullptr);
    // Stops the thread after what is queued; the file stays (discard() removes it).
    ~RecordingWriter() override;

    // A poll or missed poll, with the events changed since the last one written.
    void record(const RecordedPoll& poll);
    void recordMissed(qint64 wallTime);
    // An event added or changed: written with the poll that changed it, or on its own once
    // the window's thread is idle again (the end of a run closes events between polls).
    void recordEvent(qsizetype index, const LogEvent& event);
    // The log's list of events was replaced (cleared, restored): the file takes all of it.
    void replaceEvents(const std::vector<LogEvent>& events);
    // The log's details changed: the file takes all of them.
    void writeDetails(const QMap<QString, QString>& details);
    // Saves the recording, with all handed over before, as a measurement file at path;
    // fileSaved tells the end. Polls handed over meanwhile wait, the window does not.
    void saveAs(const QString& path);
    // Empties the recording with the log; a stopped recording starts afresh.
    void clear();
    // Continues a recording restored into the log, whose lock the caller holds.
    void adopt(const QString& path, std::unique_ptr<QLockFile> lock);
    // The normal end: the file and its lock are removed.
    void discard();

    // Blocks until everything handed over so far is on disk (tests, benchmarks).
    void waitUntilWritten();
    // The file of this instance once it exists.
    QString path() const;
    bool isStopped() const { return m_stopped.load(); }

signals:
    void stopped(const QString& reason);
    // A poll handed to record() is on disk: its transaction has committed. Told on the
    // thread that owns the writer, in the order of the polls; time is the poll's.
    void pollWritten(qint64 time);
    void fileSaved(const QString& path, bool ok, const QString& reason);

private:
    struct Job {
        enum Kind { Poll, Missed, Events, AllEvents, Details, Save, Clear, Adopt, Discard, Quit };
        Kind kind = Quit;
        RecordedPoll poll;
        QString path;
        std::vector<RecordedEvent> events;
        QMap<QString, QString> details;
    };
    void push(Job job);
    void flushEvents();
    void run();
    void perform(Job& job);
    bool ensureOpen();
    void stopRecording(const QString& reason);
    void closeAndRemove();

    const QString m_folder;
    std::unique_ptr<RecordingDatabase> m_db; // the thread's own
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLockFile> m_adoptedLock;   // handed over, taken by the thread
    std::vector<RecordedEvent> m_pendingEvents; // the window thread's, not yet queued
    QString m_path;
    std::atomic<bool> m_stopped{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    std::thread m_thread;
};
