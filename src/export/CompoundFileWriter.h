#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>
#include <memory>

class QIODevice;

// Writes a compound document (the container of .xls files) that holds one stream,
// "Workbook". The stream is written front to back; bytes already written may be patched
// (for offsets only known later). Small streams go to the mini stream, large ones are
// streamed straight to the device after the header sector, so memory stays flat.
class CompoundFileWriter {
public:
    // The device must be open for writing, empty and seekable.
    explicit CompoundFileWriter(QIODevice* device);

    // Inline: most of a large workbook comes in records of a few bytes.
    void write(const char* data, std::int64_t size) {
        if (size <= BufferSize - m_used) {
            std::memcpy(m_buffer.get() + m_used, data, static_cast<std::size_t>(size));
            m_used += size;
            m_size += size;
            return;
        }
        writeFlushing(data, size);
    }
    void write(const QByteArray& data) { write(data.constData(), data.size()); }
    // Overwrites bytes at a stream position already written.
    void patch(std::int64_t position, const char* data, std::int64_t size);
    std::int64_t position() const { return m_size; }

    // Lays out the allocation tables and the directory and writes the header.
    bool finish();
    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }

private:
    // Device writes this large; the buffer is allocated once and reused.
    static constexpr std::int64_t BufferSize = 1 << 18;

    void writeFlushing(const char* data, std::int64_t size);
    bool flushBuffer();
    bool writeAt(std::int64_t offset, const QByteArray& bytes);
    bool appendToDevice(const char* data, std::int64_t size);
    bool appendToDevice(const QByteArray& bytes) {
        return appendToDevice(bytes.constData(), bytes.size());
    }
    bool finishSmall();
    bool finishLarge();
    QByteArray header(std::uint32_t fatSectors, std::uint32_t firstDirectorySector,
                      std::uint32_t firstMiniFatSector, std::uint32_t miniFatSectors,
                      std::uint32_t firstDifatSector, std::uint32_t difatSectors,
                      const QList<std::uint32_t>& fatSectorIds) const;
    QByteArray directory(std::uint32_t rootStart, std::uint32_t rootSize,
                         std::uint32_t streamStart) const;

    QIODevice* m_device;
    std::unique_ptr<char[]> m_buffer; // stream bytes not yet on the device
    std::int64_t m_used = 0;          // bytes in the buffer
    std::int64_t m_flushed = 0;       // stream bytes already on the device
    std::int64_t m_size = 0;          // stream size so far
    bool m_streaming = false;         // header placeholder written, data goes to the device
    QString m_error;
};
