#include "Unitcomport.h"

#include "PortMap.h"
#include "QtSerialDevice.h"

#include <QMutex>
#include <QMutexLocker>

ComPortState ComPort;

namespace {
SerialDeviceFactory g_factory;
QMutex g_clockMutex;
std::function<LinkClock::time_point()> g_clock;

LinkClock::time_point now() {
    std::function<LinkClock::time_point()> clock;
    {
        QMutexLocker lock(&g_clockMutex);
        clock = g_clock;
    }
    return clock ? clock() : LinkClock::now();
}

std::unique_ptr<SerialDevice> makeDevice() {
    if (g_factory)
        return g_factory();
    return std::make_unique<QtSerialDevice>();
}
} // namespace

void SetSerialDeviceFactory(SerialDeviceFactory factory) {
    g_factory = std::move(factory);
}

void ResetComPortState() {
    ClosePort();
    ComPort.PortNumber = 0;
    ComPort.InstrumentFound.store(0, std::memory_order_release);
    ComPort.PortLabel = QStringLiteral("COM*");
    ComPort.LastReadCount = 0;
    ComPort.TransmitByte = 0;
    ComPort.ReceiveBuffer = 0;
    ComPort.DeviceName.clear();
    ComPort.DeviceLinked = false;
    ComPort.ExchangeBytes = 0;
    ComPort.FirstByteOut.reset();
    ComPort.Abandoned.store(false);
}

void AbandonLink() {
    ComPort.Abandoned.store(true);
}

void SetLinkClock(std::function<LinkClock::time_point()> clock) {
    QMutexLocker lock(&g_clockMutex);
    g_clock = std::move(clock);
}

QString PortName(int n) {
    return QStringLiteral("COM") + QChar(u'0' + n);
}

bool OpenPort(int n) {
    // Once the instrument is found its port stays put: the system's enumeration is not
    // read again (it costs milliseconds at every poll), but a link is looked at again,
    // since the user may have renewed or removed it; a removed link is an absent port.
    const bool found = ComPort.InstrumentFound.load(std::memory_order_acquire) == 1;
    if (found && n == ComPort.PortNumber) {
        if (ComPort.DeviceLinked)
            return OpenPortDevice({PortMap::linkedDevice(n).value_or(QString()), true});
        if (!ComPort.DeviceName.isEmpty())
            return OpenPortDevice({ComPort.DeviceName, false});
    }
    return OpenPortDevice(PortMap::deviceFor(n));
}

bool OpenPortDevice(const PortDevice& device) {
    ClosePort();
    ComPort.DeviceName = device.path;
    ComPort.DeviceLinked = device.linked;
    ComPort.ExchangeBytes = 0;
    ComPort.FirstByteOut.reset();
    ComPort.PortHandle = makeDevice();
    // Callers need not look at the outcome: a port that failed to open delivers no
    // byte, so the caller's probe or bounded wait sees a silent instrument.
    return ComPort.PortHandle->open(ComPort.DeviceName);
}

void ClosePort() {
    if (ComPort.PortHandle) {
        ComPort.PortHandle->close();
        ComPort.PortHandle.reset();
    }
}

void PlanExchange(int bytes) {
    ComPort.ExchangeBytes += bytes;
}

bool ExchangeDeadlinePassed() {
    if (ComPort.Abandoned.load())
        return true;
    if (!ComPort.FirstByteOut)
        return false;
    const auto deadline =
        *ComPort.FirstByteOut + ExchangeGrace + ComPort.ExchangeBytes * ByteLineTime;
    return now() > deadline;
}

void WriteByte(std::uint8_t b) {
    if (ComPort.Abandoned.load())
        return;
    if (!ComPort.FirstByteOut)
        ComPort.FirstByteOut = now();
    ComPort.TransmitByte = b;
    if (ComPort.PortHandle)
        ComPort.PortHandle->writeByte(b);
}

std::uint32_t ReadByteTimed() {
    std::uint8_t b = 0;
    const int n = ComPort.PortHandle ? ComPort.PortHandle->readByte(b) : 0;
    ComPort.LastReadCount = static_cast<std::uint32_t>(n);
    if (n > 0)
        ComPort.ReceiveBuffer = b;
    return ComPort.LastReadCount;
}

std::optional<std::uint8_t> WaitByte() {
    ComPort.LastReadCount = 0;
    for (int reads = 0; reads < WaitByteReadLimit && !ExchangeDeadlinePassed(); ++reads) {
        if (ReadByteTimed() != 0)
            return ComPort.ReceiveBuffer;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> SendCommand(std::uint8_t command) {
    WriteByte(command);
    return WaitByte();
}

std::optional<std::uint8_t> ReceiveByte() {
    const auto b = WaitByte();
    if (b)
        WriteByte(*b);
    return b;
}

std::optional<std::uint16_t> ReceiveWord() {
    const auto hi = ReceiveByte();
    if (!hi)
        return std::nullopt;
    const auto lo = ReceiveByte();
    if (!lo)
        return std::nullopt;
    return static_cast<std::uint16_t>((*hi << 8) | *lo);
}

bool ProbeInstrument() {
    WriteByte(CmdProbe);
    ComPort.LastReadCount = 0;
    int emptyReads = 0;
    while (ComPort.LastReadCount == 0 && !ComPort.Abandoned.load()) {
        if (ReadByteTimed() == 0) {
            ++emptyReads;
            if (emptyReads >= ProbeRetryLimit)
                break;
        }
    }
    return ComPort.LastReadCount != 0;
}
