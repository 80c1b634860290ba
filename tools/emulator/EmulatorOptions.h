#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// What the emulated instrument is and how it misbehaves, from the command line.
struct EmulatorOptions {
    enum class ValueMode { Constant, Ramp, Walk, File };

    int portNumber = 0; // --as COMn; 0: no port-map link
    std::uint8_t probeAnswer = 0x37;
    std::uint8_t model = 0x3C;
    std::uint8_t head = 2;

    ValueMode values = ValueMode::Constant;
    QString valuesFile;
    std::uint32_t seed = 1;
    double t = 20.0;
    double rh = 45.0;
    double v = 0.5;
    double opt1 = 123.4;
    int range1 = 1;
    double opt2 = 12.3;
    int range2 = 0;

    enum class Stray { Never, Once, Every };

    bool pace = false;
    // One unsolicited byte after the reply that ends one of the host's exchanges.
    Stray strayByte = Stray::Never;
    bool silent = false;
    std::optional<int> stopAfter; // data bytes per reply before it breaks off
    int slowMs = 0;
    std::optional<int> vanishAfter; // commands answered before the pty goes away
    // Faults that last a while: after silentAfter polls, silentPolls probes go unanswered;
    // a vanished instrument comes back after vanishForMs on a new pty, registered as
    // returnPort (0: the --as port), maybe as another model or head.
    int silentAfter = 0;
    int silentPolls = 0;
    std::optional<int> vanishForMs;
    int returnPort = 0;
    std::optional<std::uint8_t> returnModel;
    std::optional<std::uint8_t> returnHead;
    int echoTimeoutMs = 1000;
    QString transcriptPath;
};

// The instrument as it comes back after vanishing for a while: the same values and
// faults, but it vanishes and falls silent no more.
EmulatorOptions returnedInstrument(const EmulatorOptions& options);

// Parses the command line; on a usage error prints it and exits with status 2.
EmulatorOptions parseEmulatorOptions(const QStringList& arguments);
