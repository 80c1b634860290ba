#include "BiffRecordWriter.h"

void BiffRecordWriter::record(std::uint16_t id, const QByteArray& data) {
    char head[4];
    LittleEndian::store16(head, id);
    LittleEndian::store16(head + 2, static_cast<std::uint16_t>(data.size()));
    m_stream.write(head, 4);
    m_stream.write(data);
}

std::int64_t BiffRecordWriter::position() const {
    return m_stream.position();
}

void BiffRecordWriter::patch32(std::int64_t position, std::uint32_t value) {
    char bytes[4];
    LittleEndian::store32(bytes, value);
    m_stream.patch(position, bytes, 4);
}

bool BiffRecordWriter::needsWideCharacters(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return true;
    return false;
}

void BiffRecordWriter::appendCharacters(QByteArray& out, QStringView text, bool wide) {
    for (QChar c : text) {
        if (wide)
            LittleEndian::append16(out, c.unicode());
        else
            LittleEndian::append8(out, static_cast<std::uint8_t>(c.unicode()));
    }
}

void BiffRecordWriter::appendString(QByteArray& out, const QString& text) {
    const bool wide = needsWideCharacters(text);
    LittleEndian::append16(out, static_cast<std::uint16_t>(text.size()));
    LittleEndian::append8(out, wide ? 1 : 0);
    appendCharacters(out, text, wide);
}

void BiffRecordWriter::appendShortString(QByteArray& out, const QString& text) {
    const bool wide = needsWideCharacters(text);
    LittleEndian::append8(out, static_cast<std::uint8_t>(text.size()));
    LittleEndian::append8(out, wide ? 1 : 0);
    appendCharacters(out, text, wide);
}
