#include "ReplacingFile.h"

#include "FileFailureReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path nativePath(const QString& name) {
#ifdef Q_OS_WIN
    return std::filesystem::path(QDir::toNativeSeparators(name).toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

} // namespace

ReplacingFile::ReplacingFile(const QString& targetName) : m_targetName(targetName) {}

ReplacingFile::~ReplacingFile() {
    discard();
}

bool ReplacingFile::create() {
    const QFileInfo target(m_targetName);
    const QString folder = target.absolutePath();
    // A hidden name beside the target: the rename then stays within one file system.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString candidate =
            folder + QStringLiteral("/.") + target.fileName() +
            QStringLiteral(".%1.part")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        QFile file(candidate);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_temporaryName = candidate;
            m_pending = true;
            return true;
        }
        if (file.error() != QFileDevice::OpenError || !QFileInfo::exists(candidate)) {
            m_error = FileFailureReason(file.errorString());
            return false;
        }
    }
    m_error = QStringLiteral("no free temporary name in %1").arg(QDir::toNativeSeparators(folder));
    return false;
}

bool ReplacingFile::commit() {
    if (!m_pending)
        return false;
    std::error_code error;
    std::filesystem::rename(nativePath(m_temporaryName), nativePath(m_targetName), error);
    if (error) {
        m_error = FileFailureReason(error);
        return false;
    }
    m_pending = false;
    return true;
}

void ReplacingFile::discard() {
    if (m_pending)
        QFile::remove(m_temporaryName);
    m_pending = false;
}
