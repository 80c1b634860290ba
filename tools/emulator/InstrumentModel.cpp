#include "InstrumentModel.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {
// Per-poll steps of the ramp and the walk, and the walk's bounds, per field.
constexpr std::array<double, InstrumentModel::FieldCount> Step = {0.1, 0.5, 0.01, 1.0,
                                                                  0.0, 1.0, 0.0};
constexpr std::array<double, InstrumentModel::FieldCount> Low = {-30, 0, 0, 0, 0, 0, 0};
constexpr std::array<double, InstrumentModel::FieldCount> High = {60,    100,  30,   9999,
                                                                  65535, 9999, 65535};
constexpr std::array<double, InstrumentModel::FieldCount> Scale = {10, 10, 100, 10, 1, 10, 1};
constexpr int RampLength = 100;
} // namespace

InstrumentModel::InstrumentModel(const EmulatorOptions& options)
    : m_mode(options.values), m_file(options.valuesFile), m_base{options.t,
                                                                 options.rh,
                                                                 options.v,
                                                                 options.opt1,
                                                                 double(options.range1),
                                                                 options.opt2,
                                                                 double(options.range2)},
      m_walk(m_base), m_random(options.seed) {
    m_current = wordsFromValues(m_base);
}

std::uint16_t InstrumentModel::encode(Field field, double value) {
    const double scaled = std::nearbyint(value * Scale[field]);
    if (field == T)
        return static_cast<std::uint16_t>(
            static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0)));
    return static_cast<std::uint16_t>(std::clamp(scaled, 0.0, 65535.0));
}

InstrumentModel::Words
InstrumentModel::wordsFromValues(const std::array<double, FieldCount>& values) const {
    Words words{};
    for (int f = 0; f < FieldCount; ++f)
        words[f] = encode(Field(f), values[f]);
    return words;
}

bool InstrumentModel::load(QString* error) {
    if (m_mode != EmulatorOptions::ValueMode::File)
        return true;
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(m_file, file.errorString());
        return false;
    }
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QTextStream in(&file);
    int lineNumber = 0;
    while (!in.atEnd()) {
        ++lineNumber;
        QString line = in.readLine();
        line.truncate(line.indexOf(u'#') < 0 ? line.size() : line.indexOf(u'#'));
        const QStringList parts = line.split(blanks, Qt::SkipEmptyParts);
        if (parts.isEmpty())
            continue;
        if (parts.size() > FieldCount) {
            *error = QStringLiteral("%1:%2: more than %3 fields")
                         .arg(m_file)
                         .arg(lineNumber)
                         .arg(FieldCount);
            return false;
        }
        FileLine fields;
        for (const QString& part : parts) {
            FileField field;
            bool ok = false;
            if (part.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
                const uint word = part.mid(2).toUInt(&ok, 16);
                ok = ok && word <= 0xFFFF;
                field.raw = true;
                field.word = static_cast<std::uint16_t>(word);
            } else {
                field.value = part.toDouble(&ok);
            }
            if (!ok) {
                *error =
                    QStringLiteral("%1:%2: bad field '%3'").arg(m_file).arg(lineNumber).arg(part);
                return false;
            }
            fields.push_back(field);
        }
        m_lines.push_back(fields);
    }
    if (m_lines.empty()) {
        *error = QStringLiteral("%1: no values").arg(m_file);
        return false;
    }
    return true;
}

void InstrumentModel::walkStep() {
    std::uniform_int_distribution<int> stepCount(-2, 2);
    for (int f = 0; f < FieldCount; ++f)
        m_walk[f] = std::clamp(m_walk[f] + Step[f] * stepCount(m_random), Low[f], High[f]);
}

void InstrumentModel::nextPoll() {
    ++m_poll;
    switch (m_mode) {
    case EmulatorOptions::ValueMode::Constant:
        m_current = wordsFromValues(m_base);
        break;
    case EmulatorOptions::ValueMode::Ramp: {
        std::array<double, FieldCount> values = m_base;
        for (int f = 0; f < FieldCount; ++f)
            values[f] += Step[f] * double(m_poll % RampLength);
        m_current = wordsFromValues(values);
        break;
    }
    case EmulatorOptions::ValueMode::Walk:
        if (m_poll > 0)
            walkStep();
        m_current = wordsFromValues(m_walk);
        break;
    case EmulatorOptions::ValueMode::File: {
        const FileLine& line = m_lines[std::size_t(m_poll) % m_lines.size()];
        m_current = wordsFromValues(m_base);
        for (std::size_t f = 0; f < line.size(); ++f)
            m_current[f] = line[f].raw ? line[f].word : encode(Field(f), line[f].value);
        break;
    }
    }
}

std::array<std::uint8_t, 6> InstrumentModel::climaticBytes() const {
    std::array<std::uint8_t, 6> bytes{};
    for (int i = 0; i < 3; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(m_current[T + i] >> 8);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(m_current[T + i] & 0xFF);
    }
    return bytes;
}

std::array<std::uint8_t, 8> InstrumentModel::opticalBytes() const {
    std::array<std::uint8_t, 8> bytes{};
    for (int i = 0; i < 4; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(m_current[Opt1 + i] >> 8);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(m_current[Opt1 + i] & 0xFF);
    }
    return bytes;
}
