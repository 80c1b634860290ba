#pragma once

#include <QDate>
#include <QString>

class QCustomPlot;
struct MeasurementReport;

// Writes the report as an A4 PDF in a sans-serif face with its Cyrillic embedded: the
// measurement protocol's pages first when the report carries one, then the facts and the
// quantities on a page, the events as a table that goes on over as many pages as it
// needs under a repeated header, the measuring points on pages of their own when the log
// has marks, then the chart as the screen shows it,
// drawn as vectors on a page of its own (landscape when it is wider than high). Page
// numbers in every footer. Written under a temporary name and renamed into place when
// complete. chart may be null: no chart page. On failure returns false with a reason.
bool WriteReportPdf(const MeasurementReport& report, QCustomPlot* chart, const QString& fileName,
                    QString* reason);

// "<short date>Report.pdf", the name the save dialog proposes.
QString DefaultReportName(const QDate& date);
