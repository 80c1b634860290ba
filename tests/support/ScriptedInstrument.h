#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>

// An in-process instrument behind the SerialDevice interface. While it exists, every
// OpenPort gets a device of it (it installs itself as the device factory).
//
// Two ways to drive it:
//  - a script of read results, consumed one per timed read (a byte, or an empty read);
//  - answerLikeInstrument(): it answers each command as the instrument does, holding
//    each data byte back until the previous one has been echoed.
// Once the script runs out every read is empty.
//
// It keeps the link's clock: an empty read takes its 40 ms timeout, nothing else takes
// any time, so exchange deadlines come out the same on every machine.
//
// Everything the host does is logged in order: "open", "close", "W 37" (a byte
// written), "R 37" (a read that delivered 0x37), "R -" (an empty read).
class ScriptedInstrument {
public:
    using Read = std::optional<std::uint8_t>;

    struct Replies {
        std::uint8_t probeAnswer = 0x37;
        std::uint8_t model = 0x3C;
        std::uint8_t head = 2;
        std::array<std::uint8_t, 6> climatic{0x00, 0xC8, 0x01, 0xC2, 0x00, 0x32};
        std::array<std::uint8_t, 8> optical{0x04, 0xD2, 0x00, 0x00, 0x00, 0x7B, 0x00, 0x01};
        // Reply only this many data bytes, then fall silent (an instrument that breaks off).
        std::optional<int> stopAfter;
        // A slow instrument: every byte it sends comes after this many empty reads.
        int emptyReadsBeforeEachByte = 0;
    };

    ScriptedInstrument();
    ~ScriptedInstrument();
    ScriptedInstrument(const ScriptedInstrument&) = delete;
    ScriptedInstrument& operator=(const ScriptedInstrument&) = delete;

    // Appends to the read script.
    ScriptedInstrument& reads(std::initializer_list<Read> results);
    ScriptedInstrument& bytes(std::initializer_list<std::uint8_t> values);
    ScriptedInstrument& emptyReads(int count);

    void answerLikeInstrument(const Replies& replies);
    // Every open fails from now on (an absent port, or one held by another program).
    void failOpens(bool fail = true);

    QStringList log() const;
    QList<std::uint8_t> written() const;
    int readCount() const;
    int openCount() const;
    int closeCount() const;
    // Whether a device of this instrument is open at the moment.
    bool isOpen() const;
    int wrongEchoes() const;
    // Link time since this instrument was made.
    std::chrono::milliseconds elapsed() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};
