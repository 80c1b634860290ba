#pragma once

#include "PortMap.h"
#include "SerialDevice.h"

#include <QString>

#include <atomic>
#include <chrono>
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

// A whole exchange may take this long from its first byte out, plus the line time of
// all its bytes: an instrument sending each byte just within WaitByte's bound still
// cannot hold the window much longer than one second.
constexpr std::chrono::milliseconds ExchangeGrace{1000};
// One byte on a 9600 baud line: start bit, eight data bits, stop bit.
constexpr std::chrono::nanoseconds ByteLineTime{10 * 1000000000LL / 9600};
// Bytes on the line, both directions, of the probe and of a command whose reply
// carries `dataBytes` echoed data bytes.
constexpr int ProbeBytes = 2;
constexpr int commandBytes(int dataBytes) {
    return 2 + 2 * dataBytes;
}

using LinkClock = std::chrono::steady_clock;

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
    // DeviceName came from a comN link, so it is good only while the link exists.
    bool DeviceLinked = false;
    // The exchange under way: the bytes planned for it and when its first byte went out.
    int ExchangeBytes = 0;
    std::optional<LinkClock::time_point> FirstByteOut;
    // Set at program end: no byte goes out any more, and a reply being awaited is given up
    // at its next read.
    std::atomic<bool> Abandoned{false};
};

extern ComPortState ComPort;

using SerialDeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;
// Replaces how OpenPort makes its device (tests); an empty factory restores QSerialPort.
void SetSerialDeviceFactory(SerialDeviceFactory factory);
// Puts the link state back to its program-start values (tests).
void ResetComPortState();
// Replaces the clock of the exchange deadline (tests); an empty one restores the system's.
void SetLinkClock(std::function<LinkClock::time_point()> clock);

// "COM" followed by the digit of n.
QString PortName(int n);

// Opens COMn; true if the device opened. Starts a new exchange with no bytes planned.
bool OpenPort(int n);
// Opens a device already looked up (the search reads the port map once a pass).
bool OpenPortDevice(const PortDevice& device);
void ClosePort();
// Adds bytes to the exchange under way; its deadline is ExchangeGrace after its first
// byte out plus the line time of all bytes planned.
void PlanExchange(int bytes);
bool ExchangeDeadlinePassed();
// Program end: from now on nothing is written and every wait gives up (any thread).
void AbandonLink();
void WriteByte(std::uint8_t b);
std::uint32_t ReadByteTimed();
// The next byte, or nothing once WaitByteReadLimit reads in a row delivered none or
// the exchange's deadline has passed.
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
    explicit PortSession(int n, int plannedBytes = 0) : m_opened(OpenPort(n)) {
        PlanExchange(plannedBytes);
    }
    ~PortSession() { ClosePort(); }
    // Whether the device opened: a port that did not is gone, not merely silent.
    bool opened() const { return m_opened; }
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

private:
    bool m_opened;
};
