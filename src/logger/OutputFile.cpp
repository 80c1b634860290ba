#include "OutputFile.h"

#include "measurement/MeasurementLog.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordingDatabase.h"
#include "recording/RecordingFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <atomic>

OutputFile::OutputFile() : m_log(std::make_unique<MeasurementLog>()) {}
OutputFile::~OutputFile() = default;

bool OutputFile::lock() {
    m_lock = RecordingFolder::lockFor(m_path);
    if (m_lock->tryLock(0))
        return true;
    m_error = m_lock->error() == QLockFile::LockFailedError
                  ? QStringLiteral("файл «%1» занят другой программой").arg(m_path)
                  : QStringLiteral("нельзя создать блокировку файла «%1»").arg(m_path);
    m_lock.reset();
    return false;
}

bool OutputFile::makeEmpty() {
    RecordingDatabase db;
    if (db.create(m_path))
        return true;
    m_error = QStringLiteral("не удалось создать файл «%1»: %2").arg(m_path, db.reason());
    RecordingFolder::remove(m_path);
    return false;
}

bool OutputFile::take(const QString& path) {
    m_path = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(m_path))
        return lock() && makeEmpty();
    // The file is read before anything is written, and read only: a foreign one is left
    // exactly as it was (its lock file beside it is removed again).
    if (!lock())
        return false;
    const std::atomic<bool> never{false};
    const MeasurementFile::ReadResult read = MeasurementFile::read(m_path, *m_log, {}, never);
    if (!read.ok) {
        m_lock.reset();
        m_error = QStringLiteral("файл «%1» нельзя продолжить: %2").arg(m_path, read.reason);
        return false;
    }
    m_continued = true;
    m_pollsBefore = read.polls;
    return true;
}

bool OutputFile::create(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("не удалось создать папку «%1»").arg(folder);
        return false;
    }
    // Not named as the window program's recordings, which it would offer to restore once
    // the logger has ended.
    QDateTime at = QDateTime::currentDateTime();
    do {
        m_path = QDir(folder).absoluteFilePath(
            QStringLiteral("vilta-logger-%1.%2")
                .arg(at.toString(QStringLiteral("yyyyMMdd-HHmmss")), MeasurementFile::Suffix));
        at = at.addSecs(1);
    } while (QFileInfo::exists(m_path));
    return lock() && makeEmpty();
}

std::unique_ptr<QLockFile> OutputFile::releaseLock() {
    return std::move(m_lock);
}
