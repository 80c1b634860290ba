#include "PortRegistration.h"

#include "link/PortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool PortRegistration::add(int portNumber, const QString& device, QString* error) {
    const QString link = PortMap::linkPath(portNumber);
    if (!QDir().mkpath(QFileInfo(link).absolutePath())) {
        *error = QStringLiteral("cannot create %1").arg(QFileInfo(link).absolutePath());
        return false;
    }
    const QFileInfo existing(link);
    if (existing.isSymLink() || existing.exists())
        QFile::remove(link);
    if (!QFile::link(device, link)) {
        *error = QStringLiteral("cannot create the link %1").arg(link);
        return false;
    }
    m_link = link;
    return true;
}

void PortRegistration::remove() {
    if (m_link.isEmpty())
        return;
    QFile::remove(m_link);
    m_link.clear();
}
