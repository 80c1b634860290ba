#pragma once

#include <QByteArray>
#include <QDate>

#include <vector>

// The pieces of the CSV text that ExportCsv writes, for writers that give its rows one at a
// time as well as for the export: the same header, times and numbers either way.
namespace CsvLine {

// The byte-order mark that begins the text.
inline constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// The header row with CRLF: the time's caption, each series' caption with its unit, and
// the marks' caption when there is a column for them.
QByteArray header(const std::vector<int>& series, bool marks);
// "dd.MM.yyyy " of a date, which a writer may keep for the rows of one day.
QByteArray dateText(const QDate& date);
// "HH:mm:ss" of a second of the day.
void appendTime(QByteArray& out, int secondOfDay);
// A value in whole tenths as ValueText writes it: no trailing ",0", no group separator.
void appendTenths(QByteArray& out, qint32 tenths, char separator);
// A value beyond whole tenths in full, or nothing when it is no number a spreadsheet could
// take.
void appendValue(QByteArray& out, double value, char separator);
// The user's text as one cell, quoted where needed and never taken for a formula.
QByteArray text(const QString& text);

} // namespace CsvLine
