#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

class QCustomPlot;
class QPrinter;

// Where the chart goes on the page: 15 % margins along the chart's longer dimension,
// and along the other dimension the chart keeps its on-screen shape, centred. Page
// size in device pixels; the resolutions let non-square printer pixels keep the shape.
QRectF PrintRectangle(const QSizeF& chart, const QSizeF& page, double dpiX, double dpiY);

// Prints the chart on one landscape page in a job named "ChartValue". The printer's
// orientation is restored afterwards, also when printing fails. On failure returns
// false with a reason.
bool PrintChart(QCustomPlot* chart, QPrinter* printer, QString* reason);
