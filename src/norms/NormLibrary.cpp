#include "NormLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {
const QString NormsPath = QStringLiteral("vilta-monitor/norms");
}

QStringList NormLibrary::shippedFolders() {
    const QString fromEnvironment = qEnvironmentVariable("VILTA_NORMS_DIR");
    if (!fromEnvironment.isEmpty())
        return {fromEnvironment};
    // The program in <prefix>/bin finds <prefix>/share; a build keeps its copy in
    // <build>/share beside <build>/src, where the program is made.
    const QString beside = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/../share/") + NormsPath);
    if (QFileInfo(beside).isDir())
        return {beside};
    const QString system = QStandardPaths::locate(QStandardPaths::GenericDataLocation, NormsPath,
                                                  QStandardPaths::LocateDirectory);
    return system.isEmpty() ? QStringList{} : QStringList{system};
}

QString NormLibrary::userFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           NormsPath;
}

void NormLibrary::load(const QStringList& folders) {
    m_documents.clear();
    m_problems.clear();
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& name :
             dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) {
                m_problems
                    << QStringLiteral("Файл норм «%1» пропущен: %2.").arg(name, file.errorString());
                continue;
            }
            QString error;
            std::optional<NormDocument> doc = NormDocument::parse(file.readAll(), name, &error);
            if (!doc) {
                m_problems << error;
                continue;
            }
            // A later folder's file of the same document replaces the earlier one: the
            // user's copy wins over the shipped one.
            std::erase_if(m_documents,
                          [&](const NormDocument& d) { return d.title == doc->title; });
            m_documents.push_back(std::move(*doc));
        }
    }
}

const NormDocument* NormLibrary::document(const QString& title) const {
    for (const NormDocument& d : m_documents)
        if (d.title == title)
            return &d;
    return nullptr;
}

const NormLibrary& NormLibrary::shared() {
    static const NormLibrary library = [] {
        NormLibrary l;
        l.loadDefault();
        return l;
    }();
    return library;
}
