#include "SharedStringTable.h"

#include "BiffRecordWriter.h"
#include "LittleEndian.h"

#include <QList>

#include <algorithm>

namespace {

constexpr std::uint16_t SstRecord = 0x00FC;
constexpr std::uint16_t ContinueRecord = 0x003C;
constexpr std::uint16_t ExtSstRecord = 0x00FF;
// The lookup index has at most this many entries, each pointing at every n-th string.
constexpr qsizetype MaxBuckets = 128;

struct Bucket {
    std::uint32_t streamPosition;
    std::uint16_t offsetInRecord;
};

} // namespace

std::uint32_t SharedStringTable::add(const QString& text) {
    ++m_references;
    const auto found = m_index.constFind(text);
    if (found != m_index.constEnd())
        return found.value();
    const auto index = static_cast<std::uint32_t>(m_strings.size());
    m_index.insert(text, index);
    m_strings.append(text);
    return index;
}

void SharedStringTable::write(BiffRecordWriter& out) const {
    const qsizetype perBucket =
        std::max<qsizetype>(8, (m_strings.size() + MaxBuckets - 1) / MaxBuckets);
    QList<Bucket> buckets;
    // Bucket starts in the record being filled: offsets within its data.
    QList<qsizetype> pendingOffsets;

    std::uint16_t id = SstRecord;
    QByteArray data;
    LittleEndian::append32(data, m_references);
    LittleEndian::append32(data, static_cast<std::uint32_t>(m_strings.size()));

    const auto flushRecord = [&] {
        const std::int64_t start = out.position();
        for (qsizetype offset : pendingOffsets)
            buckets.append({static_cast<std::uint32_t>(start + 4 + offset),
                            static_cast<std::uint16_t>(4 + offset)});
        pendingOffsets.clear();
        out.record(id, data);
        id = ContinueRecord;
        data.clear();
    };

    for (qsizetype i = 0; i < m_strings.size(); ++i) {
        const QString& text = m_strings.at(i);
        const bool wide = BiffRecordWriter::needsWideCharacters(text);
        const qsizetype charSize = wide ? 2 : 1;
        // The string's header and its first character never split from each other.
        if (data.size() + 3 + charSize > BiffRecordWriter::MaxRecordData)
            flushRecord();
        if (i % perBucket == 0)
            pendingOffsets.append(data.size());
        LittleEndian::append16(data, static_cast<std::uint16_t>(text.size()));
        LittleEndian::append8(data, wide ? 1 : 0);
        qsizetype done = 0;
        while (done < text.size()) {
            qsizetype room = (BiffRecordWriter::MaxRecordData - data.size()) / charSize;
            if (room == 0) {
                // The rest goes on in the next record, which repeats the character width.
                flushRecord();
                LittleEndian::append8(data, wide ? 1 : 0);
                room = (BiffRecordWriter::MaxRecordData - data.size()) / charSize;
            }
            const qsizetype count = std::min(room, text.size() - done);
            BiffRecordWriter::appendCharacters(data, QStringView(text).mid(done, count), wide);
            done += count;
        }
    }
    flushRecord();

    QByteArray index;
    LittleEndian::append16(index, static_cast<std::uint16_t>(perBucket));
    for (const Bucket& b : buckets) {
        LittleEndian::append32(index, b.streamPosition);
        LittleEndian::append16(index, b.offsetInRecord);
        LittleEndian::append16(index, 0);
    }
    out.record(ExtSstRecord, index);
}
