#pragma once

#include "SerialDevice.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// Command bytes of the instrument protocol.
constexpr std::uint8_t CmdProbe = 0x37;
constexpr std::uint8_t CmdStop = 0xA2;
constexpr std::uint8_t CmdReadClimatic = 0xA3;
constexpr std::uint8_t CmdModel = 0xA7;
constexpr std::uint8_t CmdReadOptical = 0xAA;
constexpr std::uint8_t CmdHeads = 0xAB;

// The probe gives up after this many empty 40 ms reads (about 440 ms of silence).
constexpr int ProbeRetryLimit = 11;
// WaitByte gives up after this many empty reads (one second without a byte), so an
// instrument that stops mid-reply cannot hold the window.
constexpr int WaitByteReadLimit = 25;

// The process-wide link state. The search thread owns it until InstrumentFound is
// set; from then on only the user-interface thread touches it.
struct ComPortState {
    std::int8_t PortNumber = 0;
    std::unique_ptr<SerialDevice> PortHandle;
    // Published with release ordering after PortNumber and PortLabel are complete.
    std::atomic<std::uint8_t> InstrumentFound{0};
    QString PortLabel = QStringLiteral("COM*");
    std::uint32_t LastReadCount = 0;
    std::uint8_t TransmitByte = 0;
    std::uint8_t ReceiveBuffer = 0;
    // The device the last OpenPort mapped its port number to (shown as a tooltip).
    QString DeviceName;
};

extern ComPortState ComPort;

using SerialDeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;
// Replaces how OpenPort makes its device (tests); an empty factory restores QSerialPort.
void SetSerialDeviceFactory(SerialDeviceFactory factory);
// Puts the link state back to its program-start values (tests).
void ResetComPortState();

// "COM" followed by the digit of n.
QString PortName(int n);

void OpenPort(int n);
void ClosePort();
void WriteByte(std::uint8_t b);
std::uint32_t ReadByteTimed();
// The next byte, or nothing once WaitByteReadLimit reads in a row delivered none.
std::optional<std::uint8_t> WaitByte();
// Sends a command and takes its acknowledgement (not echoed).
std::optional<std::uint8_t> SendCommand(std::uint8_t command);
// Takes one data byte and echoes it straight back.
std::optional<std::uint8_t> ReceiveByte();
// Takes a big-endian 16-bit word as two echoed data bytes.
std::optional<std::uint16_t> ReceiveWord();
bool ProbeInstrument();

// Closes the port when an exchange leaves its scope, on every path.
class PortSession {
public:
    explicit PortSession(int n) { OpenPort(n); }
    ~PortSession() { ClosePort(); }
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;
};
