#pragma once

#include "EmulatorOptions.h"

#include <QString>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

// The values the emulated instrument measures, poll by poll, as the words it sends.
class InstrumentModel {
public:
    // Word order: t, RH, V (climatic block), then value1, range1, value2, range2 (optical).
    enum Field { T, RH, V, Opt1, Range1, Opt2, Range2, FieldCount };
    using Words = std::array<std::uint16_t, FieldCount>;

    explicit InstrumentModel(const EmulatorOptions& options);

    // Reads the values file when the options name one.
    bool load(QString* error);
    // A new poll begins (at each climatic command).
    void nextPoll();
    const Words& current() const { return m_current; }

    std::array<std::uint8_t, 6> climaticBytes() const;
    std::array<std::uint8_t, 8> opticalBytes() const;

    // The word sent for a value of a field in the field's own units.
    static std::uint16_t encode(Field field, double value);

private:
    struct FileField {
        bool raw = false;
        double value = 0;
        std::uint16_t word = 0;
    };
    using FileLine = std::vector<FileField>;

    Words wordsFromValues(const std::array<double, FieldCount>& values) const;
    void walkStep();

    EmulatorOptions::ValueMode m_mode;
    QString m_file;
    std::array<double, FieldCount> m_base;
    std::array<double, FieldCount> m_walk;
    std::vector<FileLine> m_lines;
    std::mt19937 m_random;
    long m_poll = -1;
    Words m_current{};
};
