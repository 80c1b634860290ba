#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <cstring>

// Appending and storing little-endian integers and doubles, the byte order of the
// compound document and of its workbook records.
namespace LittleEndian {

inline void append8(QByteArray& out, std::uint8_t v) {
    out.append(static_cast<char>(v));
}

inline void append16(QByteArray& out, std::uint16_t v) {
    char bytes[2];
    qToLittleEndian(v, bytes);
    out.append(bytes, 2);
}

inline void append32(QByteArray& out, std::uint32_t v) {
    char bytes[4];
    qToLittleEndian(v, bytes);
    out.append(bytes, 4);
}

inline void append64(QByteArray& out, std::uint64_t v) {
    char bytes[8];
    qToLittleEndian(v, bytes);
    out.append(bytes, 8);
}

inline void appendDouble(QByteArray& out, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    append64(out, bits);
}

inline void store16(char* at, std::uint16_t v) {
    qToLittleEndian(v, at);
}
inline void store32(char* at, std::uint32_t v) {
    qToLittleEndian(v, at);
}

inline void storeDouble(char* at, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    qToLittleEndian(bits, at);
}

} // namespace LittleEndian
