#pragma once

#include "WorkbookData.h"

#include <QString>

class QIODevice;

// Writes the workbook as a BIFF8 .xls file: a compound document with one "Workbook"
// stream of records. Every sheet holds at most 65,536 rows; longer logs go on over as
// many sheets as they need, each with the header row.
class XlsWorkbookWriter {
public:
    // The device must be open for writing, empty and seekable.
    static ExportResult write(const WorkbookData& data, QIODevice* device,
                              const ExportProgress& progress = {});
};
