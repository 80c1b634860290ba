#pragma once

#include "EmulatorOptions.h"

#include <chrono>
#include <cstddef>
#include <cstdint>

class InstrumentModel;
class PseudoTerminal;
class Transcript;

// Answers the host's commands the way the instrument does: the probe with one byte,
// every other command with an acknowledgement (the command byte itself) and then its
// data bytes, each sent only after the host has echoed the one before.
class ProtocolResponder {
public:
    enum class End { Stopped, Closed, Vanished };

    ProtocolResponder(const EmulatorOptions& options, PseudoTerminal& line, InstrumentModel& model,
                      Transcript& transcript);

    // Serves commands until a stop signal, the line going away or --vanish-after.
    End run();

    int wrongEchoes() const { return m_wrongEchoes; }
    int abandonedReplies() const { return m_abandoned; }

private:
    enum class Step { Done, Abandoned, Stopped, Closed };

    Step answer(std::uint8_t command);
    // Within the --silent-polls stretch: the byte goes unanswered (a probe counts).
    bool mutedFor(std::uint8_t b);
    // Whether the host's exchange is over once this command is answered.
    bool endsExchange(std::uint8_t command) const;
    Step sendStrayByte();
    Step send(std::uint8_t b);
    // With --pace a byte from the host takes its line time to arrive: what we send in
    // answer goes out only after that.
    void takeIn();
    // Data bytes of a reply, each awaiting its echo; honours --stop-after.
    Step sendData(const std::uint8_t* bytes, std::size_t count);

    const EmulatorOptions& m_options;
    PseudoTerminal& m_line;
    InstrumentModel& m_model;
    Transcript& m_transcript;
    int m_wrongEchoes = 0;
    int m_abandoned = 0;
    int m_commands = 0;
    int m_strayBytes = 0;
    int m_polls = 0; // climatic blocks sent whole
    int m_mutedProbes = 0;
    using Clock = std::chrono::steady_clock;
    // With --pace: when the host's last byte has come down the line, and when ours is
    // free again.
    Clock::time_point m_hostByteArrives;
    Clock::time_point m_ourLineFree;
};
