#pragma once

#include <QByteArray>
#include <QTemporaryDir>

// Gives the test a port-map folder of its own (through XDG_CONFIG_HOME, which child
// emulators inherit) and turns the system's serial enumeration off, so that neither
// the developer's links nor real ports of the machine take part. Create it before
// anything asks PortMap; the previous setting comes back on destruction.
class IsolatedPortMap {
public:
    IsolatedPortMap();
    ~IsolatedPortMap();
    IsolatedPortMap(const IsolatedPortMap&) = delete;
    IsolatedPortMap& operator=(const IsolatedPortMap&) = delete;

    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    bool m_hadValue = false;
    QByteArray m_previous;
};
