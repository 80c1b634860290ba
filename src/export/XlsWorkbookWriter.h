#pragma once

#include "ExportResult.h"
#include "LogSnapshot.h"

#include <QString>

class QIODevice;

// Writes the workbook as a BIFF8 .xls file: a compound document with one "Workbook"
// stream of records. Every sheet holds at most 65,536 rows; longer logs go on over as
// many sheets as they need, each with the header row.
class XlsWorkbookWriter {
public:
    // The device must be open for writing, empty and seekable. The rows of the snapshot
    // are released as they are written.
    static ExportResult write(LogSnapshot& snapshot, QIODevice* device,
                              const ExportProgress& progress = {});
};
