#pragma once

#include "SerialDevice.h"

#include <QSerialPort>

// SerialDevice on QSerialPort, used blocking from whichever thread runs the exchange.
class QtSerialDevice : public SerialDevice {
public:
    static constexpr int ReadTimeoutMs = 40;

    bool open(const QString& device) override;
    void close() override;
    bool isOpen() const override;
    void writeByte(std::uint8_t b) override;
    int readByte(std::uint8_t& b) override;

private:
    QSerialPort m_port;
};
