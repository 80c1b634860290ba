#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>

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

// True when a failed job has left the printer active with nothing being printed: Qt's
// printer then refuses every new setting, including those of the setup dialog, and
// every later job.
bool IsPrinterStuck(const QPrinter* printer);

// A new printer with the stuck one's destination, page and copies, to replace it.
std::unique_ptr<QPrinter> FreshPrinterLike(const QPrinter& stuck);
