#pragma once

#include <QString>

#include <functional>

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
