#pragma once

#include "ExportResult.h"
#include "PollTable.h"

#include <QChar>
#include <QDate>
#include <QString>

// The log as text for spreadsheets that use a decimal comma: UTF-8 with a byte-order
// mark and no "sep=" line (which makes them drop the mark and garble Cyrillic), ';'
// between cells, the regional decimal separator, times as dd.MM.yyyy HH:mm:ss, a header
// row with each column's caption and unit, one row per poll, an empty cell where a
// channel logged nothing, CRLF line ends.

// "<short date>CSV.csv", the name the save dialog proposes.
QString DefaultCsvName(const QDate& date);

// True when the name ends in .csv, in any case.
bool IsCsvName(const QString& fileName);

// Writes the table to fileName as ExportWorkbook writes a workbook: under a temporary
// name renamed into place when complete, the table's rows given back as they are written.
ExportResult ExportCsv(PollTable table, QChar decimalSeparator, const QString& fileName,
                       const ExportProgress& progress = {});
