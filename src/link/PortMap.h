#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Turns the instrument's port number COMn (1..8) into a device of this system.
// On Windows that is COMn itself. Elsewhere a link named comN in the per-user folder
// linkFolder() wins; otherwise the n-th serial device of the system enumeration,
// USB adapters first, then on-board ports. Read afresh on every call, so a device
// that appears during the search is found on the next pass.
class PortMap {
public:
    static QString linkFolder();
    static QString linkPath(int n);
    static QString deviceFor(int n);
    // The device a comN link names (empty for a dangling link), or nothing without a
    // link. Cheap: no enumeration.
    static std::optional<QString> linkedDevice(int n);
    // Serial devices of the system in port-number order (index 0 is COM1).
    static QStringList enumeratedDevices();
    // Tests turn the enumeration off so that real ports of the test machine never count.
    static void setEnumerationEnabled(bool enabled);
};
