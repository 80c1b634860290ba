#pragma once

#include <QString>

#include <memory>

class MeasurementLog;
class QLockFile;

// The measurement file the logger writes: one of ours given with --out, continued with
// what it holds, or a new one. Taken under a lock, so that no second logger and no window
// program writes it meanwhile. A file that is not ours is refused and left as it was.
class OutputFile {
public:
    OutputFile();
    ~OutputFile();

    // An existing file is read (log() then holds it); a missing one is made.
    bool take(const QString& path);
    // A new file in folder named by the start time.
    bool create(const QString& folder);

    QString path() const { return m_path; }
    bool continued() const { return m_continued; }
    qint64 pollsBefore() const { return m_pollsBefore; }
    // Why take or create failed (Russian).
    QString error() const { return m_error; }
    // The lock, for whoever writes the file from now on.
    std::unique_ptr<QLockFile> releaseLock();
    // What a continued file holds, to be moved into the session's log once the file is
    // the session's recording.
    MeasurementLog& log() { return *m_log; }

private:
    bool lock();
    bool makeEmpty();

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<MeasurementLog> m_log;
    bool m_continued = false;
    qint64 m_pollsBefore = 0;
    QString m_error;
};
