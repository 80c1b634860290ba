#include "CompoundFileWriter.h"

#include "LittleEndian.h"

#include <QIODevice>
#include <QList>

#include <algorithm>

namespace {

constexpr std::int64_t SectorSize = 512;
constexpr std::int64_t MiniSectorSize = 64;
constexpr std::int64_t MiniStreamCutoff = 4096;
constexpr std::int64_t EntriesPerSector = SectorSize / 4;
constexpr int HeaderDifatEntries = 109;

constexpr std::uint32_t FreeSector = 0xFFFFFFFF;
constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t FatSector = 0xFFFFFFFD;
constexpr std::uint32_t DifatSector = 0xFFFFFFFC;
constexpr std::uint32_t NoStream = 0xFFFFFFFF;

std::int64_t sectorsFor(std::int64_t bytes, std::int64_t sectorSize) {
    return (bytes + sectorSize - 1) / sectorSize;
}

// A table of sector (or mini sector) numbers filled up to whole sectors.
QByteArray table(const QList<std::uint32_t>& entries) {
    QByteArray out;
    const std::int64_t padded = sectorsFor(entries.size(), EntriesPerSector) * EntriesPerSector;
    out.reserve(padded * 4);
    for (std::uint32_t e : entries)
        LittleEndian::append32(out, e);
    for (std::int64_t i = entries.size(); i < padded; ++i)
        LittleEndian::append32(out, FreeSector);
    return out;
}

void appendChain(QList<std::uint32_t>& entries, std::uint32_t first, std::int64_t length) {
    for (std::int64_t i = 0; i < length; ++i)
        entries.append(i + 1 < length ? first + static_cast<std::uint32_t>(i) + 1 : EndOfChain);
}

QByteArray directoryEntry(const QString& name, std::uint8_t type, std::uint32_t child,
                          std::uint32_t start, std::uint32_t size) {
    QByteArray e(128, '\0');
    if (type == 0) {
        // An unused entry: no name, no links.
        LittleEndian::store32(e.data() + 68, NoStream);
        LittleEndian::store32(e.data() + 72, NoStream);
        LittleEndian::store32(e.data() + 76, NoStream);
        return e;
    }
    for (qsizetype i = 0; i < name.size(); ++i)
        LittleEndian::store16(e.data() + 2 * i, name.at(i).unicode());
    LittleEndian::store16(e.data() + 64, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    e[66] = static_cast<char>(type);
    e[67] = 1; // black: a one-node tree
    LittleEndian::store32(e.data() + 68, NoStream);
    LittleEndian::store32(e.data() + 72, NoStream);
    LittleEndian::store32(e.data() + 76, child);
    LittleEndian::store32(e.data() + 116, start);
    LittleEndian::store32(e.data() + 120, size);
    return e;
}

} // namespace

CompoundFileWriter::CompoundFileWriter(QIODevice* device)
    : m_device(device), m_buffer(std::make_unique_for_overwrite<char[]>(BufferSize)) {}

void CompoundFileWriter::writeFlushing(const char* data, std::int64_t size) {
    while (size > 0) {
        if (m_used == BufferSize)
            flushBuffer();
        const std::int64_t n = std::min(size, BufferSize - m_used);
        std::memcpy(m_buffer.get() + m_used, data, static_cast<std::size_t>(n));
        m_used += n;
        m_size += n;
        data += n;
        size -= n;
    }
}

void CompoundFileWriter::patch(std::int64_t position, const char* data, std::int64_t size) {
    if (failed())
        return;
    const std::int64_t onDevice = std::clamp<std::int64_t>(m_flushed - position, 0, size);
    if (onDevice > 0) {
        writeAt(SectorSize + position, QByteArray(data, onDevice));
        m_device->seek(SectorSize + m_flushed);
    }
    if (onDevice < size)
        std::copy(data + onDevice, data + size, m_buffer.get() + (position + onDevice - m_flushed));
}

bool CompoundFileWriter::flushBuffer() {
    // After a failure the bytes are dropped; finish() reports it.
    const std::int64_t used = m_used;
    m_used = 0;
    if (failed())
        return false;
    if (!m_streaming) {
        // Large enough for ordinary sectors: the stream starts right after the header.
        m_streaming = true;
        if (!appendToDevice(QByteArray(SectorSize, '\0')))
            return false;
    }
    if (!appendToDevice(m_buffer.get(), used))
        return false;
    m_flushed += used;
    return true;
}

bool CompoundFileWriter::appendToDevice(const char* data, std::int64_t size) {
    if (failed())
        return false;
    if (m_device->write(data, size) != size) {
        m_error = m_device->errorString();
        return false;
    }
    return true;
}

bool CompoundFileWriter::writeAt(std::int64_t offset, const QByteArray& bytes) {
    if (failed())
        return false;
    if (!m_device->seek(offset)) {
        m_error = m_device->errorString();
        return false;
    }
    return appendToDevice(bytes);
}

bool CompoundFileWriter::finish() {
    if (failed())
        return false;
    return m_size >= MiniStreamCutoff ? finishLarge() : finishSmall();
}

bool CompoundFileWriter::finishSmall() {
    // Sectors: the mini stream container, the mini allocation table, the directory, the
    // allocation table.
    const std::int64_t miniSectors = sectorsFor(m_size, MiniSectorSize);
    const std::int64_t containerBytes = miniSectors * MiniSectorSize;
    const std::int64_t containerSectors = sectorsFor(containerBytes, SectorSize);
    const std::int64_t miniFatSectors = sectorsFor(miniSectors, EntriesPerSector);
    const auto miniFatStart = static_cast<std::uint32_t>(containerSectors);
    const auto directoryStart = static_cast<std::uint32_t>(containerSectors + miniFatSectors);
    const std::uint32_t fatStart = directoryStart + 1;

    QList<std::uint32_t> fat;
    appendChain(fat, 0, containerSectors);
    appendChain(fat, miniFatStart, miniFatSectors);
    appendChain(fat, directoryStart, 1);
    fat.append(FatSector);

    QList<std::uint32_t> miniFat;
    appendChain(miniFat, 0, miniSectors);

    QByteArray file = header(1, directoryStart, miniFatSectors ? miniFatStart : EndOfChain,
                             static_cast<std::uint32_t>(miniFatSectors), EndOfChain, 0, {fatStart});
    file.append(m_buffer.get(), m_used);
    file.append(QByteArray(containerSectors * SectorSize - m_size, '\0'));
    if (miniFatSectors)
        file += table(miniFat);
    file += directory(containerSectors ? 0 : EndOfChain, static_cast<std::uint32_t>(containerBytes),
                      miniSectors ? 0 : EndOfChain);
    file += table(fat);
    m_used = 0;
    return appendToDevice(file);
}

bool CompoundFileWriter::finishLarge() {
    if (!flushBuffer())
        return false;
    // Sectors: the stream (from sector 0, right after the header), the directory, the
    // allocation table, and the extra allocation-table index when the header's 109
    // entries do not suffice.
    const std::int64_t streamSectors = sectorsFor(m_size, SectorSize);
    std::int64_t fatSectors = 1;
    std::int64_t difatSectors = 0;
    for (;;) {
        const std::int64_t total = streamSectors + 1 + fatSectors + difatSectors;
        const std::int64_t fat = sectorsFor(total, EntriesPerSector);
        const std::int64_t difat = fat > HeaderDifatEntries
                                       ? sectorsFor(fat - HeaderDifatEntries, EntriesPerSector - 1)
                                       : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const auto directoryStart = static_cast<std::uint32_t>(streamSectors);
    const std::uint32_t fatStart = directoryStart + 1;
    const auto difatStart = static_cast<std::uint32_t>(fatStart + fatSectors);

    QList<std::uint32_t> fat;
    fat.reserve(streamSectors + 1 + fatSectors + difatSectors);
    appendChain(fat, 0, streamSectors);
    appendChain(fat, directoryStart, 1);
    QList<std::uint32_t> fatIds;
    for (std::int64_t i = 0; i < fatSectors; ++i) {
        fat.append(FatSector);
        fatIds.append(fatStart + static_cast<std::uint32_t>(i));
    }
    for (std::int64_t i = 0; i < difatSectors; ++i)
        fat.append(DifatSector);

    QByteArray tail(streamSectors * SectorSize - m_size, '\0');
    tail += directory(EndOfChain, 0, 0);
    tail += table(fat);
    for (std::int64_t d = 0; d < difatSectors; ++d) {
        QList<std::uint32_t> entries;
        for (std::int64_t i = 0; i < EntriesPerSector - 1; ++i) {
            const std::int64_t index = HeaderDifatEntries + d * (EntriesPerSector - 1) + i;
            entries.append(index < fatSectors ? fatIds.at(index) : FreeSector);
        }
        entries.append(d + 1 < difatSectors ? difatStart + static_cast<std::uint32_t>(d) + 1
                                            : EndOfChain);
        tail += table(entries);
    }
    if (!appendToDevice(tail))
        return false;
    return writeAt(0, header(static_cast<std::uint32_t>(fatSectors), directoryStart, EndOfChain, 0,
                             difatSectors ? difatStart : EndOfChain,
                             static_cast<std::uint32_t>(difatSectors), fatIds));
}

QByteArray CompoundFileWriter::header(std::uint32_t fatSectors, std::uint32_t firstDirectorySector,
                                      std::uint32_t firstMiniFatSector,
                                      std::uint32_t miniFatSectors, std::uint32_t firstDifatSector,
                                      std::uint32_t difatSectors,
                                      const QList<std::uint32_t>& fatSectorIds) const {
    QByteArray h;
    h.reserve(SectorSize);
    h.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    h.append(QByteArray(16, '\0')); // class id
    LittleEndian::append16(h, 0x003E);
    LittleEndian::append16(h, 0x0003); // version 3: 512-byte sectors
    LittleEndian::append16(h, 0xFFFE); // little-endian
    LittleEndian::append16(h, 9);      // sector size 2^9
    LittleEndian::append16(h, 6);      // mini sector size 2^6
    h.append(QByteArray(6, '\0'));
    LittleEndian::append32(h, 0); // directory sectors: always 0 in version 3
    LittleEndian::append32(h, fatSectors);
    LittleEndian::append32(h, firstDirectorySector);
    LittleEndian::append32(h, 0); // transactions: unused
    LittleEndian::append32(h, static_cast<std::uint32_t>(MiniStreamCutoff));
    LittleEndian::append32(h, firstMiniFatSector);
    LittleEndian::append32(h, miniFatSectors);
    LittleEndian::append32(h, firstDifatSector);
    LittleEndian::append32(h, difatSectors);
    for (int i = 0; i < HeaderDifatEntries; ++i)
        LittleEndian::append32(h, i < fatSectorIds.size() ? fatSectorIds.at(i) : FreeSector);
    return h;
}

QByteArray CompoundFileWriter::directory(std::uint32_t rootStart, std::uint32_t rootSize,
                                         std::uint32_t streamStart) const {
    QByteArray d;
    d += directoryEntry(QStringLiteral("Root Entry"), 5, 1, rootStart, rootSize);
    d += directoryEntry(QStringLiteral("Workbook"), 2, NoStream, streamStart,
                        static_cast<std::uint32_t>(m_size));
    d += directoryEntry({}, 0, NoStream, 0, 0);
    d += directoryEntry({}, 0, NoStream, 0, 0);
    return d;
}
