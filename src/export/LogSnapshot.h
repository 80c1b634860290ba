#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

class MeasurementLog;

// The log as it stood when an export began, holding only what the workbook shows and in
// the log's own compact form: each value of columns B to G as whole tenths, each label
// of column A as the second of the day of its poll; four bytes a cell. A label becomes
// text only when it is written, and a writer releases the rows it has written, so an
// export never holds the log a second time in a bulkier form.
class LogSnapshot {
public:
    // Columns B to G.
    static constexpr int ValueColumns = 6;

    // An empty log.
    LogSnapshot() = default;

    // Copies the six exported series and the poll times of the air-speed series; the
    // date for A1 and the regional long time format for the labels are taken as they
    // are now.
    static LogSnapshot take(const MeasurementLog& log, const QDate& date);

    // The series that column B + column shows: t, RH, V, E, L, UV.
    static int seriesOfColumn(int column);
    // Column A holds the labels of the air-speed series.
    static int labelSeries();

    QDate date() const { return m_date; }
    qsizetype labelCount() const { return m_labels.count; }
    qsizetype valueCount(int column) const { return m_values[index(column)].count; }
    // The longest of the seven columns.
    qsizetype rowCount() const;

    // Row k of column A: the second of the day of its poll, and as text.
    int secondOfDay(qsizetype row) const { return m_labels.at(row); }
    QString labelText(int secondOfDay) const;
    QString label(qsizetype row) const { return labelText(secondOfDay(row)); }
    // Row k of column B + column, exactly as the log holds it.
    double value(int column, qsizetype row) const;
    // Column H, the user's marks by row; empty when the log has none.
    const std::map<qsizetype, QString>& marks() const { return m_marks; }

    // Gives back the memory of the rows before row, which the writer is done with; they
    // must not be read afterwards.
    void releaseRowsBefore(qsizetype row);
    // Bytes held, for the memory figures.
    std::size_t memoryUsage() const;

private:
    static constexpr qsizetype ChunkSize = 4096;

    // One column, in fixed-size chunks so that written rows can be given back.
    struct Column {
        std::vector<std::unique_ptr<qint32[]>> chunks;
        qsizetype count = 0;
        // Values the tenths cannot hold, as the log keeps them apart.
        std::unordered_map<qsizetype, double> outliers;

        qint32 at(qsizetype row) const {
            return chunks[static_cast<std::size_t>(row / ChunkSize)][row % ChunkSize];
        }
        void resize(qsizetype rows);
        void releaseBefore(qsizetype row);
        std::size_t memoryUsage() const;
    };

    static std::size_t index(int column) { return static_cast<std::size_t>(column); }

    QDate m_date;
    QLocale m_locale;
    QString m_timeFormat;
    Column m_labels;
    std::array<Column, ValueColumns> m_values;
    std::map<qsizetype, QString> m_marks;
};
