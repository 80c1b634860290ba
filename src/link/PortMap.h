#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

// The device behind one port number; an empty path means the port is absent.
struct PortDevice {
    QString path;
    // Found through a comN link: it lasts only as long as the link does.
    bool linked = false;
};

// Turns the instrument's port number COMn (1..8) into a device of this system.
// On Windows that is COMn itself. Elsewhere a link named comN in the per-user folder
// linkFolder() wins; otherwise the n-th serial device of the system enumeration,
// USB adapters first, then on-board ports. Read afresh on every call, so a device
// that appears during the search is found on the next pass.
class PortMap {
public:
    static constexpr int PortCount = 8;
    using Pass = std::array<PortDevice, PortCount>;
    // Where the system's serial devices come from (their paths, in any order).
    using DeviceLister = std::function<QStringList()>;

    static QString linkFolder();
    static QString linkPath(int n);
    static PortDevice deviceFor(int n);
    // COM1..COM8 for one search pass: the system's device list is read at most once.
    static Pass devicesForPass();
    // The device a comN link names (empty for a dangling link), or nothing without a
    // link. Cheap: no enumeration.
    static std::optional<QString> linkedDevice(int n);
    // Serial devices of the system in port-number order (index 0 is COM1).
    static QStringList enumeratedDevices();
    // USB adapters (ttyUSB*), then ttyACM*, then on-board ports (ttyS*), each group by
    // its number; any other device is left out.
    static QStringList rankDevices(const QStringList& devices);
    // Tests turn the enumeration off so that real ports of the test machine never count.
    static void setEnumerationEnabled(bool enabled);
    // Replaces the system's device list (tests count how often it is read); an empty
    // lister restores the system's.
    static void setDeviceLister(DeviceLister lister);
};
