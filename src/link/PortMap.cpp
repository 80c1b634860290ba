#include "PortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>

namespace {
std::atomic<bool> g_enumerationEnabled{true};

// Sort key: USB adapters before on-board ports, then by the device's own number.
std::pair<int, int> deviceRank(const QString& name) {
    static const QRegularExpression re(QStringLiteral("^tty(USB|ACM|S)(\\d+)$"));
    const auto m = re.match(name);
    if (!m.hasMatch())
        return {3, 0};
    const QString kind = m.captured(1);
    const int group = kind == QLatin1String("USB") ? 0 : kind == QLatin1String("ACM") ? 1 : 2;
    return {group, m.captured(2).toInt()};
}
} // namespace

QString PortMap::linkFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vilta-monitor/ports");
}

QString PortMap::linkPath(int n) {
    return linkFolder() + QStringLiteral("/com") + QString::number(n);
}

void PortMap::setEnumerationEnabled(bool enabled) {
    g_enumerationEnabled = enabled;
}

QStringList PortMap::enumeratedDevices() {
    QStringList result;
    if (!g_enumerationEnabled)
        return result;
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    ports.erase(std::remove_if(
                    ports.begin(), ports.end(),
                    [](const QSerialPortInfo& p) { return deviceRank(p.portName()).first == 3; }),
                ports.end());
    std::sort(ports.begin(), ports.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return deviceRank(a.portName()) < deviceRank(b.portName());
    });
    for (const auto& p : ports)
        result << p.systemLocation();
    return result;
}

std::optional<QString> PortMap::linkedDevice(int n) {
    const QFileInfo link(linkPath(n));
    if (!link.isSymLink() && !link.exists())
        return std::nullopt;
    return link.exists() ? link.canonicalFilePath() : QString();
}

QString PortMap::deviceFor(int n) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(n);
#else
    if (const auto linked = linkedDevice(n))
        return *linked;
    const QStringList devices = enumeratedDevices();
    if (n >= 1 && n <= devices.size())
        return devices.at(n - 1);
    return QString();
#endif
}
