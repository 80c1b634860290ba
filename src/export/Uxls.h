#pragma once

#include "ExportResult.h"
#include "LogSnapshot.h"

#include <QDate>
#include <QString>

// The spreadsheet export of the measurement log.

// "<short date>XLS.xls", the name the save dialog proposes.
QString DefaultWorkbookName(const QDate& date);

// True when the name asks for an .xlsx workbook (it ends in .xlsx, in any case); every
// other name gets a BIFF8 .xls workbook.
bool IsXlsxName(const QString& fileName);

// Writes the snapshot to fileName, replacing an existing file, and gives back the
// snapshot's memory as the rows are written. The file is written under a temporary name
// in the same folder and renamed into place only when complete, so a failure leaves no
// file under the chosen name (and no temporary file either). Runs synchronously on the
// calling thread; progress, when given, is told the fraction done.
ExportResult ExportWorkbook(LogSnapshot snapshot, const QString& fileName,
                            const ExportProgress& progress = {});

// The text of the message shown when the workbook could not be saved.
QString SaveFailureMessage(const QString& fileName, const QString& reason);
