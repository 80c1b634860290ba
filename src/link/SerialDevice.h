#pragma once

#include <QString>
#include <cstdint>

// The few serial operations the instrument protocol needs. The real one wraps
// QSerialPort; tests substitute an in-process scripted instrument.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the device exclusively at 9600 8N1 with a 40 ms per-byte read timeout.
    // A failure is remembered: every read then delivers nothing, writes do nothing.
    virtual bool open(const QString& device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void writeByte(std::uint8_t b) = 0;
    // One timed read of one byte; returns how many bytes arrived (0 or 1).
    virtual int readByte(std::uint8_t& b) = 0;
};
