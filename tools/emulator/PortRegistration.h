#pragma once

#include <QString>

// The monitor's port-map link comN -> our device, present while the emulator runs.
class PortRegistration {
public:
    PortRegistration() = default;
    ~PortRegistration() { remove(); }
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;

    // Replaces whatever link comN was there (a leftover of a killed emulator).
    bool add(int portNumber, const QString& device, QString* error);
    void remove();

private:
    QString m_link;
};
