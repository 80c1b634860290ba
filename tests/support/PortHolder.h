#pragma once

#include <QProcess>
#include <QString>

// Another program holding a serial device open through QSerialPort, the way a
// terminal program would. The holder is this very test executable, started again
// with VILTA_HOLD_PORT set: its main() must call PortHolder::runIfRequested() first.
class PortHolder {
public:
    explicit PortHolder(const QString& device);
    // Lets go of the device and waits for the holder to end.
    ~PortHolder();
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    // True once the holder reports the device open.
    bool isHolding() const { return m_holding; }

    // In the holder process: opens the device, reports, holds it until stdin closes.
    // Returns false at once in a normal test run.
    static bool runIfRequested(int argc, char** argv, int& exitCode);

private:
    QProcess m_process;
    bool m_holding = false;
};
