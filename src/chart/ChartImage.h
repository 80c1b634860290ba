#pragma once

#include <QDate>
#include <QString>

class QCustomPlot;

// Saves the chart as a 24-bit Windows bitmap as large as it is on screen. The file is
// written under a temporary name and renamed into place only when complete, so a
// failure never leaves a half-written file under the chosen name. On failure returns
// false with the system's reason.
bool SaveChartBitmap(QCustomPlot* chart, const QString& fileName, QString* reason);

// "<short date>Graph.bmp", the proposed name, for the date the window's clock gives.
QString DefaultBitmapName(const QDate& date);
