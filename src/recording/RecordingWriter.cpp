#include "RecordingWriter.h"

#include "MeasurementFile.h"
#include "RecordingDatabase.h"
#include "RecordingFolder.h"
#include "export/FileFailureReason.h"

#include <QLockFile>

#include <filesystem>
#include <utility>

RecordingWriter::RecordingWriter(QString folder, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_db(std::make_unique<RecordingDatabase>()) {
    m_thread = std::thread([this] { run(); });
}

RecordingWriter::~RecordingWriter() {
    push({Job::Quit, {}, {}, {}, {}});
    m_thread.join();
}

void RecordingWriter::push(Job job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void RecordingWriter::record(const RecordedPoll& poll) {
    push({Job::Poll, poll, {}, std::exchange(m_pendingEvents, {}), {}});
}

void RecordingWriter::recordMissed(qint64 wallTime) {
    RecordedPoll at;
    at.time = wallTime;
    push({Job::Missed, at, {}, std::exchange(m_pendingEvents, {}), {}});
}

void RecordingWriter::recordEvent(qsizetype index, const LogEvent& event) {
    if (m_pendingEvents.empty())
        QMetaObject::invokeMethod(this, &RecordingWriter::flushEvents, Qt::QueuedConnection);
    m_pendingEvents.push_back({index, event});
}

void RecordingWriter::flushEvents() {
    if (!m_pendingEvents.empty())
        push({Job::Events, {}, {}, std::exchange(m_pendingEvents, {}), {}});
}

void RecordingWriter::replaceEvents(const std::vector<LogEvent>& events) {
    m_pendingEvents.clear();
    Job job{Job::AllEvents, {}, {}, {}, {}};
    for (std::size_t i = 0; i < events.size(); ++i)
        job.events.push_back({static_cast<qsizetype>(i), events[i]});
    push(std::move(job));
}

void RecordingWriter::writeDetails(const QMap<QString, QString>& details) {
    Job job{Job::Details, {}, {}, {}, details};
    push(std::move(job));
}

void RecordingWriter::saveAs(const QString& path) {
    flushEvents(); // an event changed since the last poll belongs in the file too
    push({Job::Save, {}, path, {}, {}});
}

void RecordingWriter::clear() {
    m_pendingEvents.clear();
    push({Job::Clear, {}, {}, {}, {}});
}

void RecordingWriter::adopt(const QString& path, std::unique_ptr<QLockFile> lock) {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_adoptedLock = std::move(lock);
    }
    push({Job::Adopt, {}, path, {}, {}});
}

void RecordingWriter::discard() {
    push({Job::Discard, {}, {}, {}, {}});
    waitUntilWritten();
}

void RecordingWriter::waitUntilWritten() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

QString RecordingWriter::path() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_path;
}

void RecordingWriter::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_jobs.empty(); });
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
        }
        const bool quit = job.kind == Job::Quit;
        if (!quit)
            perform(job);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_busy = false;
        }
        m_idle.notify_all();
        if (quit)
            break;
    }
    m_db->close();
}

void RecordingWriter::perform(Job& job) {
    switch (job.kind) {
    case Job::Poll:
        if (m_stopped || !ensureOpen())
            break;
        if (!m_db->append(job.poll, job.events)) {
            stopRecording(m_db->reason());
            break;
        }
        QMetaObject::invokeMethod(
            this, [this, time = job.poll.time] { emit pollWritten(time); }, Qt::QueuedConnection);
        break;
    case Job::Missed:
        if (!m_stopped && ensureOpen() && !m_db->appendMissed(job.poll.time, job.events))
            stopRecording(m_db->reason());
        break;
    case Job::Events:
        if (!m_stopped && ensureOpen() && !m_db->writeEvents(job.events))
            stopRecording(m_db->reason());
        break;
    case Job::AllEvents: {
        // An empty list makes no file of its own.
        if (m_stopped || (job.events.empty() && !m_db->isOpen()))
            break;
        if (ensureOpen() && !m_db->replaceEvents(job.events))
            stopRecording(m_db->reason());
        break;
    }
    case Job::Details:
        // An empty set makes no file of its own.
        if (m_stopped || (job.details.empty() && !m_db->isOpen()))
            break;
        if (ensureOpen() && !m_db->writeDetails(job.details))
            stopRecording(m_db->reason());
        break;
    case Job::Save: {
        QString reason = QStringLiteral("запись журнала остановлена");
        const bool ok =
            !m_stopped && ensureOpen() && MeasurementFile::saveCopy(*m_db, job.path, reason);
        QMetaObject::invokeMethod(
            this, [this, path = job.path, ok, reason] { emit fileSaved(path, ok, reason); },
            Qt::QueuedConnection);
        break;
    }
    case Job::Clear:
        if (m_stopped) {
            // What the failed file held is cleared from the log too: start afresh.
            closeAndRemove();
            m_stopped = false;
        } else if (m_db->isOpen() && !m_db->clear()) {
            stopRecording(m_db->reason());
        }
        break;
    case Job::Adopt: {
        closeAndRemove();
        std::unique_ptr<QLockFile> lock;
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            lock = std::move(m_adoptedLock);
            m_path = job.path;
        }
        m_lock = std::move(lock);
        m_stopped = false;
        if (!m_db->open(job.path, false))
            stopRecording(m_db->reason());
        break;
    }
    case Job::Discard:
        closeAndRemove();
        m_stopped = true; // nothing more is written after the end
        break;
    case Job::Quit:
        break;
    }
}

bool RecordingWriter::ensureOpen() {
    if (m_db->isOpen())
        return true;
    std::error_code error;
    std::filesystem::create_directories(m_folder.toStdString(), error);
    if (error) {
        stopRecording(FileFailureReason(error));
        return false;
    }
    const QString path = RecordingFolder::newRecordingName(m_folder);
    auto lock = RecordingFolder::lockFor(path);
    if (!lock->tryLock(0)) {
        stopRecording(lock->error() == QLockFile::PermissionError
                          ? FileFailureReason(std::make_error_code(std::errc::permission_denied))
                          : QStringLiteral("файл занят другой программой"));
        return false;
    }
    if (!m_db->create(path)) {
        const QString reason = m_db->reason();
        RecordingFolder::remove(path);
        stopRecording(reason);
        return false;
    }
    m_lock = std::move(lock);
    std::lock_guard<std::mutex> guard(m_mutex);
    m_path = path;
    return true;
}

void RecordingWriter::stopRecording(const QString& reason) {
    m_stopped = true;
    // The file keeps what was written; the log in memory goes on without it.
    m_db->close();
    QMetaObject::invokeMethod(
        this, [this, reason] { emit stopped(reason); }, Qt::QueuedConnection);
}

void RecordingWriter::closeAndRemove() {
    m_db->close();
    QString path;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        path = m_path;
        m_path.clear();
    }
    if (!path.isEmpty())
        RecordingFolder::remove(path);
    m_lock.reset(); // unlocks, removing the lock file
}
