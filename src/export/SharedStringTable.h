#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>

class BiffRecordWriter;

// The workbook's table of distinct texts, which text cells refer to by index, with its
// index for quick lookup. Written as one table record continued over as many CONTINUE
// records as it needs.
class SharedStringTable {
public:
    // The index of the text, adding it when new; every call counts one reference.
    std::uint32_t add(const QString& text);
    // Counts one more reference to a text already added.
    void addReference() { ++m_references; }
    qsizetype uniqueCount() const { return m_strings.size(); }

    void write(BiffRecordWriter& out) const;

private:
    QHash<QString, std::uint32_t> m_index;
    QStringList m_strings;
    std::uint32_t m_references = 0;
};
