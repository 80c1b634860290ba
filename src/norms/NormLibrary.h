#pragma once

#include "NormDocument.h"

#include <QString>
#include <QStringList>

#include <vector>

// The norm documents the program knows: the files shipped with it and those the user
// added, read at run time. A file that cannot be read is skipped and reported.
class NormLibrary {
public:
    // The folders read, in order: the shipped files (VILTA_NORMS_DIR when set, else the
    // folder beside the program's installation or build, else the system data folders),
    // then the user's own under the configuration folder.
    static QStringList shippedFolders();
    static QString userFolder();

    void load(const QStringList& folders);
    void loadDefault() { load(shippedFolders() << userFolder()); }

    const std::vector<NormDocument>& documents() const { return m_documents; }
    const NormDocument* document(const QString& title) const;
    // Russian messages, one per skipped file.
    const QStringList& problems() const { return m_problems; }

    // Loaded once for the program's windows.
    static const NormLibrary& shared();

private:
    std::vector<NormDocument> m_documents;
    QStringList m_problems;
};
