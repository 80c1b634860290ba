#pragma once

#include <QString>

#include <cstdint>

// The instrument's end of a pseudo-terminal. The monitor opens the slave device as
// its serial port; we talk through the master. We keep a slave descriptor of our own
// open, so the master does not read EIO whenever the monitor closes the port between
// two exchanges.
class PseudoTerminal {
public:
    enum class ReadResult { Byte, Timeout, Stopped, Closed };

    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool open(QString* error);
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // Waits up to timeoutMs (negative: without limit) for one byte from the host.
    ReadResult readByte(std::uint8_t& b, int timeoutMs);
    bool writeByte(std::uint8_t b);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
