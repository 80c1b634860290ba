#include "ProtocolResponder.h"

#include "InstrumentModel.h"
#include "PseudoTerminal.h"
#include "StopSignal.h"
#include "Transcript.h"

#include <algorithm>
#include <chrono>

namespace {
// Spelled out here rather than taken from the program's serial module: the emulator
// plays the instrument, so a wrong constant on the program's side must not be copied.
constexpr std::uint8_t CmdProbe = 0x37;
constexpr std::uint8_t CmdStop = 0xA2;
constexpr std::uint8_t CmdReadClimatic = 0xA3;
constexpr std::uint8_t CmdModel = 0xA7;
constexpr std::uint8_t CmdReadOptical = 0xAA;
constexpr std::uint8_t CmdHeads = 0xAB;

// One start bit, eight data bits, one stop bit at 9600 bit/s.
constexpr std::chrono::nanoseconds ByteTimeAt9600{10 * 1000000000LL / 9600};
} // namespace

ProtocolResponder::ProtocolResponder(const EmulatorOptions& options, PseudoTerminal& line,
                                     InstrumentModel& model, Transcript& transcript)
    : m_options(options), m_line(line), m_model(model), m_transcript(transcript) {}

ProtocolResponder::End ProtocolResponder::run() {
    for (;;) {
        std::uint8_t b = 0;
        switch (m_line.readByte(b, -1)) {
        case PseudoTerminal::ReadResult::Stopped:
            return End::Stopped;
        case PseudoTerminal::ReadResult::Closed:
            return End::Closed;
        case PseudoTerminal::ReadResult::Timeout:
            continue;
        case PseudoTerminal::ReadResult::Byte:
            break;
        }
        takeIn();
        m_transcript.hostByte(b);
        // Gone at the first byte after the last answered command: closing the pty
        // right after a reply would discard that reply before the host has read it.
        if (m_options.vanishAfter && m_commands >= *m_options.vanishAfter)
            return End::Vanished;
        if (m_options.silent || mutedFor(b))
            continue;
        const Step step = answer(b);
        if (step == Step::Stopped)
            return End::Stopped;
        if (step == Step::Closed)
            return End::Closed;
    }
}

ProtocolResponder::Step ProtocolResponder::answer(std::uint8_t command) {
    Step step = Step::Done;
    switch (command) {
    case CmdProbe:
        step = send(m_options.probeAnswer);
        break;
    case CmdStop:
        step = send(command);
        break;
    case CmdModel:
        step = send(command);
        if (step == Step::Done)
            step = sendData(&m_options.model, 1);
        break;
    case CmdHeads:
        step = send(command);
        if (step == Step::Done)
            step = sendData(&m_options.head, 1);
        break;
    case CmdReadClimatic: {
        m_model.nextPoll();
        const auto bytes = m_model.climaticBytes();
        step = send(command);
        if (step == Step::Done)
            step = sendData(bytes.data(), bytes.size());
        if (step == Step::Done)
            ++m_polls;
        break;
    }
    case CmdReadOptical: {
        const auto bytes = m_model.opticalBytes();
        step = send(command);
        if (step == Step::Done)
            step = sendData(bytes.data(), bytes.size());
        break;
    }
    default:
        // Not a command of ours: the instrument ignores it, and so do we.
        return Step::Done;
    }
    ++m_commands;
    if (step == Step::Abandoned)
        ++m_abandoned;
    if (step == Step::Done && endsExchange(command))
        step = sendStrayByte();
    return step;
}

bool ProtocolResponder::mutedFor(std::uint8_t b) {
    if (m_polls < m_options.silentAfter || m_mutedProbes >= m_options.silentPolls)
        return false;
    if (b == CmdProbe)
        ++m_mutedProbes;
    return true;
}

bool ProtocolResponder::endsExchange(std::uint8_t command) const {
    switch (command) {
    case CmdModel:
        return m_options.model != 0x41;
    case CmdReadClimatic:
        return static_cast<std::int8_t>(m_options.model) <= 60;
    case CmdHeads:
    case CmdReadOptical:
    case CmdStop:
        return true;
    default:
        return false;
    }
}

ProtocolResponder::Step ProtocolResponder::sendStrayByte() {
    using Stray = EmulatorOptions::Stray;
    if (m_options.strayByte == Stray::Never ||
        (m_options.strayByte == Stray::Once && m_strayBytes > 0))
        return Step::Done;
    ++m_strayBytes;
    return send(0xFF);
}

void ProtocolResponder::takeIn() {
    if (!m_options.pace)
        return;
    // The byte is on its way for its line time after the host wrote it (about now);
    // the next one behind it only after that.
    m_hostByteArrives = std::max(Clock::now(), m_hostByteArrives) + ByteTimeAt9600;
}

ProtocolResponder::Step ProtocolResponder::send(std::uint8_t b) {
    if (!StopSignal::sleep(std::chrono::milliseconds(m_options.slowMs)))
        return Step::Stopped;
    if (m_options.pace) {
        // It goes out once the host's last byte has arrived and our own line is free,
        // and reaches the host its line time later: one wait covers both directions.
        const auto arrives =
            std::max({Clock::now(), m_hostByteArrives, m_ourLineFree}) + ByteTimeAt9600;
        if (!StopSignal::sleepUntil(arrives))
            return Step::Stopped;
        m_ourLineFree = arrives;
    }
    // Logged before it goes out: whoever has received the byte finds it in the transcript.
    m_transcript.instrumentByte(b);
    if (!m_line.writeByte(b))
        return Step::Closed;
    return Step::Done;
}

ProtocolResponder::Step ProtocolResponder::sendData(const std::uint8_t* bytes, std::size_t count) {
    if (m_options.stopAfter)
        count = std::min(count, static_cast<std::size_t>(*m_options.stopAfter));
    for (std::size_t i = 0; i < count; ++i) {
        const Step sent = send(bytes[i]);
        if (sent != Step::Done)
            return sent;
        std::uint8_t echo = 0;
        switch (m_line.readByte(echo, m_options.echoTimeoutMs)) {
        case PseudoTerminal::ReadResult::Stopped:
            return Step::Stopped;
        case PseudoTerminal::ReadResult::Closed:
            return Step::Closed;
        case PseudoTerminal::ReadResult::Timeout:
            return Step::Abandoned;
        case PseudoTerminal::ReadResult::Byte:
            break;
        }
        takeIn();
        m_transcript.hostByte(echo);
        if (echo != bytes[i])
            ++m_wrongEchoes;
    }
    return Step::Done;
}
