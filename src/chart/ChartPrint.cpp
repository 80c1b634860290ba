#include "ChartPrint.h"

#include <QPageLayout>
#include <QPrinter>
#include <qcustomplot.h>

namespace {
constexpr double Margin = 0.15;

// Puts the printer's orientation, resolution and page mode back however the print ends.
class PrinterRestorer {
public:
    explicit PrinterRestorer(QPrinter* printer)
        : m_printer(printer), m_orientation(printer->pageLayout().orientation()),
          m_resolution(printer->resolution()), m_fullPage(printer->fullPage()) {}
    ~PrinterRestorer() {
        m_printer->setPageOrientation(m_orientation);
        // A printer that a failed job left active takes no settings; its owner replaces it.
        if (m_printer->printerState() != QPrinter::Active) {
            m_printer->setResolution(m_resolution);
            m_printer->setFullPage(m_fullPage);
        }
    }
    PrinterRestorer(const PrinterRestorer&) = delete;
    PrinterRestorer& operator=(const PrinterRestorer&) = delete;

private:
    QPrinter* m_printer;
    QPageLayout::Orientation m_orientation;
    int m_resolution;
    bool m_fullPage;
};
} // namespace

QRectF PrintRectangle(const QSizeF& chart, const QSizeF& page, double dpiX, double dpiY) {
    if (chart.isEmpty() || page.isEmpty() || dpiX <= 0 || dpiY <= 0)
        return {};
    // Chart height per width in page pixels, so that it looks as on screen.
    const double ratio = (chart.height() / chart.width()) * (dpiY / dpiX);
    double w = 0;
    double h = 0;
    if (chart.width() > chart.height()) {
        w = page.width() * (1 - 2 * Margin);
        h = w * ratio;
        if (h > page.height()) { // a very flat page: fit the height instead
            h = page.height();
            w = h / ratio;
        }
    } else {
        h = page.height() * (1 - 2 * Margin);
        w = h / ratio;
        if (w > page.width()) {
            w = page.width();
            h = w * ratio;
        }
    }
    return {(page.width() - w) / 2, (page.height() - h) / 2, w, h};
}

bool PrintChart(QCustomPlot* chart, QPrinter* printer, QString* reason) {
    PrinterRestorer restore(printer);
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setDocName(QStringLiteral("ChartValue"));
    printer->setFullPage(true);
    // The chart's fonts are sized in points. On a printer at its own resolution they
    // would come out sized for that resolution and then be scaled up once more with the
    // chart; at the screen's resolution they keep their on-screen share of the chart.
    // Lines and text stay vectors whatever the resolution.
    printer->setResolution(chart->logicalDpiY());

    const QRectF page = printer->pageLayout().fullRectPixels(printer->resolution());
    const QRectF target = PrintRectangle(QSizeF(chart->width(), chart->height()), page.size(),
                                         printer->logicalDpiX(), printer->logicalDpiY());
    if (target.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("пустая область печати");
        return false;
    }
    QCPPainter painter;
    if (!painter.begin(printer)) {
        if (reason)
            *reason = QStringLiteral("принтер не готов к печати");
        return false;
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    // Draw at the on-screen size and scale onto the page, so fonts and lines keep
    // their proportions.
    painter.translate(target.topLeft());
    painter.scale(target.width() / chart->width(), target.height() / chart->height());
    chart->toPainter(&painter, chart->width(), chart->height());
    const bool ok = painter.end();
    if (!ok && reason)
        *reason = QStringLiteral("ошибка печати");
    return ok;
}

bool IsPrinterStuck(const QPrinter* printer) {
    return printer->printerState() == QPrinter::Active && !printer->paintingActive();
}

std::unique_ptr<QPrinter> FreshPrinterLike(const QPrinter& stuck) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (stuck.outputFormat() == QPrinter::NativeFormat)
        printer->setPrinterName(stuck.printerName());
    printer->setOutputFormat(stuck.outputFormat());
    printer->setOutputFileName(stuck.outputFileName());
    printer->setPageLayout(stuck.pageLayout());
    printer->setCopyCount(stuck.copyCount());
    printer->setCollateCopies(stuck.collateCopies());
    printer->setColorMode(stuck.colorMode());
    printer->setDuplex(stuck.duplex());
    return printer;
}
