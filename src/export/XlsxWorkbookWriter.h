#pragma once

#include "ExportResult.h"
#include "LogSnapshot.h"

#include <QString>

// Writes the workbook as an .xlsx file with libxlsxwriter, row by row in its
// constant-memory mode. Every sheet holds at most 1,048,576 rows; longer logs go on over
// as many sheets as they need, each with the header row.
class XlsxWorkbookWriter {
public:
    // Writes (and replaces) fileName. The rows of the snapshot are released as they are
    // written.
    static ExportResult write(LogSnapshot& snapshot, const QString& fileName,
                              const ExportProgress& progress = {});
};
