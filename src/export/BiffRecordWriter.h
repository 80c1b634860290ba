#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class CompoundFileWriter;

// Frames workbook records (id, length, data) onto the workbook stream, with fast paths
// for the two cell records that make up almost all of a large log.
class BiffRecordWriter {
public:
    // The largest record body; longer contents continue in CONTINUE records.
    static constexpr int MaxRecordData = 8224;

    explicit BiffRecordWriter(CompoundFileWriter& stream) : m_stream(stream) {}

    void record(std::uint16_t id, const QByteArray& data);
    void number(std::uint16_t row, std::uint16_t column, std::uint16_t xf, double value);
    void labelSst(std::uint16_t row, std::uint16_t column, std::uint16_t xf, std::uint32_t index);

    std::int64_t position() const;
    void patch32(std::int64_t position, std::uint32_t value);

    // A string with a 16-bit length (or an 8-bit one, for the short form): Latin-1 text is
    // stored one byte a character, anything else as UTF-16.
    static void appendString(QByteArray& out, const QString& text);
    static void appendShortString(QByteArray& out, const QString& text);
    static bool needsWideCharacters(const QString& text);
    static void appendCharacters(QByteArray& out, QStringView text, bool wide);

private:
    CompoundFileWriter& m_stream;
};
