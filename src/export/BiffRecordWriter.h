#pragma once

#include "CompoundFileWriter.h"
#include "LittleEndian.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Frames workbook records (id, length, data) onto the workbook stream, with fast paths
// for the two cell records that make up almost all of a large log.
class BiffRecordWriter {
public:
    // The largest record body; longer contents continue in CONTINUE records.
    static constexpr int MaxRecordData = 8224;

    explicit BiffRecordWriter(CompoundFileWriter& stream) : m_stream(stream) {}

    void record(std::uint16_t id, const QByteArray& data);
    // Inline, as they are written millions of times.
    void number(std::uint16_t row, std::uint16_t column, std::uint16_t xf, double value) {
        char r[18];
        storeCellHead(r, NumberRecord, row, column, xf);
        LittleEndian::storeDouble(r + 10, value);
        m_stream.write(r, sizeof r);
    }
    void labelSst(std::uint16_t row, std::uint16_t column, std::uint16_t xf, std::uint32_t index) {
        char r[14];
        storeCellHead(r, LabelSstRecord, row, column, xf);
        LittleEndian::store32(r + 10, index);
        m_stream.write(r, sizeof r);
    }

    std::int64_t position() const;
    void patch32(std::int64_t position, std::uint32_t value);

    // A string with a 16-bit length (or an 8-bit one, for the short form): Latin-1 text is
    // stored one byte a character, anything else as UTF-16.
    static void appendString(QByteArray& out, const QString& text);
    static void appendShortString(QByteArray& out, const QString& text);
    static bool needsWideCharacters(const QString& text);
    static void appendCharacters(QByteArray& out, QStringView text, bool wide);

private:
    static constexpr std::uint16_t NumberRecord = 0x0203;
    static constexpr std::uint16_t LabelSstRecord = 0x00FD;

    // Record id and length, then the cell's row, column and format.
    template <std::size_t N>
    static void storeCellHead(char (&r)[N], std::uint16_t id, std::uint16_t row,
                              std::uint16_t column, std::uint16_t xf) {
        LittleEndian::store16(r, id);
        LittleEndian::store16(r + 2, static_cast<std::uint16_t>(N - 4));
        LittleEndian::store16(r + 4, row);
        LittleEndian::store16(r + 6, column);
        LittleEndian::store16(r + 8, xf);
    }

    CompoundFileWriter& m_stream;
};
