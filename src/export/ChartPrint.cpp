#include "ChartPrint.h"

#include <QPageLayout>
#include <QPrinter>
#include <qcustomplot.h>

namespace {
constexpr double Margin = 0.15;

// Puts the printer's orientation back however the print ends.
class OrientationRestorer {
public:
    explicit OrientationRestorer(QPrinter* printer)
        : m_printer(printer), m_orientation(printer->pageLayout().orientation()) {}
    ~OrientationRestorer() { m_printer->setPageOrientation(m_orientation); }
    OrientationRestorer(const OrientationRestorer&) = delete;
    OrientationRestorer& operator=(const OrientationRestorer&) = delete;

private:
    QPrinter* m_printer;
    QPageLayout::Orientation m_orientation;
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
    OrientationRestorer restore(printer);
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setDocName(QStringLiteral("ChartValue"));
    printer->setFullPage(true);

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
