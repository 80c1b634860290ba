#pragma once

#include "ReportSource.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class MeasurementLog;
class NormLibrary;

// The measurement protocol: every measuring point's air temperature, humidity and air
// speed beside the chosen norm row, with verdicts, every figure written as the program
// writes it. Empty while the protocol's details name no norm row.
struct MeasurementProtocol {
    QString title;
    // Label and text: what the protocol is about, the instrument, the period, the norm.
    std::vector<std::pair<QString, QString>> facts;
    QStringList headings;
    // One row per point and quantity.
    std::vector<QStringList> rows;
    // One line per point: its name and verdict.
    QStringList summary;

    bool isEmpty() const { return title.isEmpty(); }

    // Only polls within [from, to] count (an invalid limit leaves that side open).
    static MeasurementProtocol build(const MeasurementLog& log, const ReportSource& source,
                                     const NormLibrary& norms, const QDateTime& from = {},
                                     const QDateTime& to = {});
};

// "<short date>Protocol.csv", the name the save dialog proposes.
QString DefaultProtocolCsvName(const QDate& date);

// The protocol's table as CSV, as the export writes CSV: a byte-order mark, ';' between
// cells, CRLF line ends, written under a temporary name and renamed into place. False
// with a reason on failure.
bool WriteProtocolCsv(const MeasurementProtocol& protocol, const QString& fileName,
                      QString* reason);
