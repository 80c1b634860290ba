#include "RecordingFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

#include <algorithm>

namespace RecordingFolder {

namespace {
const char* const JournalSuffixes[] = {"-wal", "-shm"};
}

QString path() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/vilta-monitor");
}

QString newRecordingName(const QString& folder) {
    // An instance may make a second recording (opening a file) within the same second as
    // its first: the name then takes the next free second, never an existing file.
    QDateTime at = QDateTime::currentDateTime();
    for (;;) {
        const QString name =
            QDir(folder).filePath(QStringLiteral("log-%1-%2.db")
                                      .arg(at.toString(QStringLiteral("yyyyMMdd-HHmmss")))
                                      .arg(QCoreApplication::applicationPid()));
        if (!QFileInfo::exists(name) && !QFileInfo::exists(name + QStringLiteral(".lock")))
            return name;
        at = at.addSecs(1);
    }
}

std::unique_ptr<QLockFile> lockFor(const QString& recording) {
    auto lock = std::make_unique<QLockFile>(recording + QStringLiteral(".lock"));
    // Only a dead owner makes a lock stale: a month-long run keeps its lock.
    lock->setStaleLockTime(0);
    return lock;
}

std::vector<Abandoned> claimAbandoned(const QString& folder) {
    static const QRegularExpression name(QStringLiteral(R"(^log-\d{8}-\d{6}-\d+\.db$)"));
    QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    files.removeIf([](const QString& f) { return !name.match(f).hasMatch(); });
    std::vector<Abandoned> found;
    for (const QString& f : files) {
        const QString recording = QDir(folder).filePath(f);
        auto lock = lockFor(recording);
        if (lock->tryLock(0))
            found.push_back({recording, std::move(lock)});
    }
    return found; // the names start with the start time: oldest first
}

QString setAside(const QString& recording) {
    const QFileInfo info(recording);
    const QString target = info.dir().filePath(QStringLiteral("damaged-") + info.fileName());
    QString free = target;
    for (int n = 2; QFile::exists(free); ++n)
        free = info.dir().filePath(QStringLiteral("damaged-%1-%2").arg(n).arg(info.fileName()));
    if (!QFile::rename(recording, free))
        return {};
    for (const char* suffix : JournalSuffixes) {
        const QString journal = recording + QLatin1String(suffix);
        if (QFile::exists(journal))
            QFile::rename(journal, free + QLatin1String(suffix));
    }
    return free;
}

bool remove(const QString& recording) {
    bool ok = !QFile::exists(recording) || QFile::remove(recording);
    for (const char* suffix : JournalSuffixes) {
        const QString journal = recording + QLatin1String(suffix);
        if (QFile::exists(journal))
            ok = QFile::remove(journal) && ok;
    }
    return ok;
}

} // namespace RecordingFolder
