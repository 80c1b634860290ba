#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class QIODevice;

// Writes a compound document (the container of .xls files) that holds one stream,
// "Workbook". The stream is written front to back; bytes already written may be patched
// (for offsets only known later). Small streams go to the mini stream, large ones are
// streamed straight to the device after the header sector, so memory stays flat.
class CompoundFileWriter {
public:
    // The device must be open for writing, empty and seekable.
    explicit CompoundFileWriter(QIODevice* device);

    void write(const char* data, std::int64_t size);
    void write(const QByteArray& data) { write(data.constData(), data.size()); }
    // Overwrites bytes at a stream position already written.
    void patch(std::int64_t position, const char* data, std::int64_t size);
    std::int64_t position() const { return m_size; }

    // Lays out the allocation tables and the directory and writes the header.
    bool finish();
    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }

private:
    bool flushBuffer();
    bool writeAt(std::int64_t offset, const QByteArray& bytes);
    bool appendToDevice(const QByteArray& bytes);
    bool finishSmall();
    bool finishLarge();
    QByteArray header(std::uint32_t fatSectors, std::uint32_t firstDirectorySector,
                      std::uint32_t firstMiniFatSector, std::uint32_t miniFatSectors,
                      std::uint32_t firstDifatSector, std::uint32_t difatSectors,
                      const QList<std::uint32_t>& fatSectorIds) const;
    QByteArray directory(std::uint32_t rootStart, std::uint32_t rootSize,
                         std::uint32_t streamStart) const;

    QIODevice* m_device;
    QByteArray m_buffer;        // stream bytes not yet on the device
    std::int64_t m_flushed = 0; // stream bytes already on the device
    std::int64_t m_size = 0;    // stream size so far
    bool m_streaming = false;   // header placeholder written, data goes to the device
    QString m_error;
};
