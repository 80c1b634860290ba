#include "PortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <utility>

namespace {
std::atomic<bool> g_enumerationEnabled{true};
QMutex g_listerMutex;
PortMap::DeviceLister g_lister;

constexpr int Unranked = 3;

// Sort key: USB adapters before on-board ports, then by the device's own number.
std::pair<int, int> deviceRank(const QString& device) {
    static const QRegularExpression re(QStringLiteral("(?:^|/)tty(USB|ACM|S)(\\d+)$"));
    const auto m = re.match(device);
    if (!m.hasMatch())
        return {Unranked, 0};
    const QString kind = m.captured(1);
    const int group = kind == QLatin1String("USB") ? 0 : kind == QLatin1String("ACM") ? 1 : 2;
    return {group, m.captured(2).toInt()};
}

#ifdef Q_OS_LINUX
// Whether an on-board port has a UART: the serial core reports type 0 (unknown) for a
// slot the kernel reserved without finding one.
bool hasUart(const QString& typeAttribute) {
    QFile type(typeAttribute);
    if (!type.open(QIODevice::ReadOnly))
        return true; // no such attribute: let the open decide
    return type.readAll().trimmed() != "0";
}

// The kernel lists every tty in sysfs: USB adapters while they are plugged in, on-board
// ports always. Reading the names costs a few file operations, where QSerialPortInfo
// reads attribute files of every tty of the system (some 2900 file opens and 16 ms of
// processor time on a machine with 70 ttys), too much to repeat at every pass.
std::optional<QStringList> sysfsDevices() {
    const QDir ttys(QStringLiteral("/sys/class/tty"));
    if (!ttys.exists())
        return std::nullopt;
    QStringList devices;
    const QStringList names = ttys.entryList(
        {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*"), QStringLiteral("ttyS*")},
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (name.startsWith(QLatin1String("ttyS")) &&
            !hasUart(ttys.filePath(name + QStringLiteral("/type"))))
            continue;
        devices << QStringLiteral("/dev/") + name;
    }
    return devices;
}
#endif

QStringList systemDevices() {
#ifdef Q_OS_LINUX
    if (const auto devices = sysfsDevices())
        return *devices;
#endif
    QStringList devices;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        devices << port.systemLocation();
    return devices;
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

void PortMap::setDeviceLister(DeviceLister lister) {
    QMutexLocker lock(&g_listerMutex);
    g_lister = std::move(lister);
}

QStringList PortMap::rankDevices(const QStringList& devices) {
    QStringList ranked;
    for (const QString& device : devices)
        if (deviceRank(device).first != Unranked)
            ranked << device;
    std::stable_sort(ranked.begin(), ranked.end(), [](const QString& a, const QString& b) {
        return deviceRank(a) < deviceRank(b);
    });
    return ranked;
}

QStringList PortMap::enumeratedDevices() {
    if (!g_enumerationEnabled)
        return {};
    DeviceLister lister;
    {
        QMutexLocker lock(&g_listerMutex);
        lister = g_lister;
    }
    return rankDevices(lister ? lister() : systemDevices());
}

std::optional<QString> PortMap::linkedDevice(int n) {
    const QFileInfo link(linkPath(n));
    if (!link.isSymLink() && !link.exists())
        return std::nullopt;
    return link.exists() ? link.canonicalFilePath() : QString();
}

PortDevice PortMap::deviceFor(int n) {
#ifdef Q_OS_WIN
    return {QStringLiteral("COM") + QString::number(n), false};
#else
    if (const auto linked = linkedDevice(n))
        return {*linked, true};
    const QStringList devices = enumeratedDevices();
    if (n >= 1 && n <= devices.size())
        return {devices.at(n - 1), false};
    return {};
#endif
}

PortMap::Pass PortMap::devicesForPass() {
    Pass pass;
#ifdef Q_OS_WIN
    for (int n = 1; n <= PortCount; ++n)
        pass[std::size_t(n - 1)] = deviceFor(n);
#else
    std::optional<QStringList> enumerated; // read only if some port has no link
    for (int n = 1; n <= PortCount; ++n) {
        PortDevice& device = pass[std::size_t(n - 1)];
        if (const auto linked = linkedDevice(n)) {
            device = {*linked, true};
            continue;
        }
        if (!enumerated)
            enumerated = enumeratedDevices();
        if (n <= enumerated->size())
            device = {enumerated->at(n - 1), false};
    }
#endif
    return pass;
}
