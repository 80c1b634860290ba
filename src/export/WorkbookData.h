#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// A snapshot of what the export writes, taken from the measurement log when the export
// starts, so that polls may go on while the file is written.
struct WorkbookData {
    // Shown in A1 of every sheet.
    QDate date;
    // Column A: the time labels of the air-speed series.
    QStringList timeLabels;
    // Columns B to G: air temperature, humidity, air speed, illuminance, luminance, UV.
    // Each column is as long as its own series.
    std::array<QList<double>, 6> values;
};

// Told the fraction done (0 to 1) now and then while a workbook is written; it runs on
// the writing thread and needs no event loop.
using ExportProgress = std::function<void(double fraction)>;

struct ExportResult {
    bool ok = true;
    // The system's reason for a failure, empty on success.
    QString reason;

    static ExportResult success() { return {}; }
    static ExportResult failure(const QString& reason) { return {false, reason}; }
};
