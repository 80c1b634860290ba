#include "QtSerialDevice.h"

#include <QFileInfo>

bool QtSerialDevice::open(const QString& device) {
    if (device.isEmpty())
        return false;
    // Qt's exclusive-access lock is keyed by the path string, so always open the
    // canonical path: a port-map link and its target must not count as two ports.
    const QFileInfo info(device);
    const QString path = info.exists() ? info.canonicalFilePath() : device;
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    // Modem-line calls fail on pseudo-terminals; only the framing is set.
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    // Each exchange starts clean: a byte that came in since the last one (line noise,
    // a key pressed on the instrument) would otherwise be read as this one's answer
    // and shift every byte after it. Only the input: closing a serial port waits until
    // its output is sent, so nothing of ours is left to discard, and on a pseudo-
    // terminal, which does not wait, discarding the output would throw away the last
    // echo of the exchange before while the other end has yet to read it.
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
    return true;
}

void QtSerialDevice::close() {
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialDevice::isOpen() const {
    return m_port.isOpen();
}

void QtSerialDevice::writeByte(std::uint8_t b) {
    if (!m_port.isOpen())
        return;
    const char c = static_cast<char>(b);
    m_port.write(&c, 1);
    m_port.waitForBytesWritten(ReadTimeoutMs);
    m_port.clearError();
}

int QtSerialDevice::readByte(std::uint8_t& b) {
    if (!m_port.isOpen())
        return 0;
    if (m_port.bytesAvailable() == 0 && !m_port.waitForReadyRead(ReadTimeoutMs)) {
        // The timeout error is sticky in QSerialPort; clear it for the next read.
        m_port.clearError();
        return 0;
    }
    char c = 0;
    if (m_port.read(&c, 1) != 1) {
        m_port.clearError();
        return 0;
    }
    b = static_cast<std::uint8_t>(c);
    return 1;
}
