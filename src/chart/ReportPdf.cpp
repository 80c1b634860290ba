#include "ReportPdf.h"

#include "ProtocolPages.h"
#include "TableRow.h"
#include "export/ReplacingFile.h"
#include "measurement/RegionalSettings.h"
#include "report/MeasurementReport.h"
#include "report/ReportPages.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>
#include <qcustomplot.h>

#include <numeric>

namespace {

// Widths of the table columns, as shares.
constexpr double QuantityShares[] = {1.3, 0.7, 1.7, 1.7, 0.9, 1.5, 1.1, 0.7};
constexpr double EventShares[] = {0.55, 1.8, 1.8, 1.35, 1.75, 1.0, 0.9, 1.1};
// The measuring points' tables: the overall table's first five columns, as wide.
constexpr double PointShares[] = {1.3, 0.7, 1.7, 1.7, 0.9, 3.3};

QFont face(double points, bool bold = false) {
    QFont f(QStringLiteral("sans-serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

std::vector<double> columnEdges(const double* shares, std::size_t n, double left, double width) {
    const double total = std::accumulate(shares, shares + n, 0.0);
    std::vector<double> edges{left};
    for (std::size_t i = 0; i < n; ++i)
        edges.push_back(edges.back() + width * shares[i] / total);
    return edges;
}

class ReportPainter {
public:
    ReportPainter(QPdfWriter& writer, QCPPainter& painter, const MeasurementReport& report)
        : m_writer(writer), m_painter(painter), m_report(report) {
        m_body = face(9);
        m_table = face(7.5);
        m_tableBold = face(7.5, true);
        m_area = m_writer.pageLayout().paintRectPixels(m_writer.resolution());
        m_area.moveTopLeft(QPoint(0, 0));
        m_footer = QFontMetricsF(m_table, &m_writer).height() * 2;
        m_rowHeight = QFontMetricsF(m_table, &m_writer).height() * 1.45;
    }

    // The number of pages the text takes; the chart page comes after them.
    void planEvents(double eventsTop) {
        const double bottom = m_area.height() - m_footer;
        const auto fits = [&](double top) {
            // Room for the heading "События" too, wherever the table begins.
            const double heading = QFontMetricsF(face(11, true), &m_writer).height() * 1.2;
            return static_cast<qsizetype>((bottom - top - heading - headerHeight()) / m_rowHeight);
        };
        m_eventsTop = eventsTop;
        m_slices = paginateRows(static_cast<qsizetype>(m_report.eventRows.size()),
                                std::max<qsizetype>(fits(eventsTop), 0), fits(0));
        if (m_slices.empty())
            m_slices.push_back({0, 0});
    }
    int textPages() const { return static_cast<int>(m_slices.size()); }

    // The measuring points go on pages of their own after the events, a point never split.
    void planPoints() {
        const double bottom = m_area.height() - m_footer;
        double y = sectionHeading();
        int page = 0;
        for (const MeasurementReport::PointSection& p : m_report.points) {
            const double h = pointHeight(p);
            if (y + h > bottom && y > sectionHeading()) {
                ++page;
                y = 0;
            }
            m_pointPage.push_back(page);
            y += h;
        }
    }
    int pointPages() const { return m_pointPage.empty() ? 0 : m_pointPage.back() + 1; }

    void drawPointsPage(int page) {
        double y = 0;
        if (page == 0) {
            m_painter.setFont(face(11, true));
            y += drawLine(QStringLiteral("По точкам измерений"), y, Qt::AlignLeft) * 1.3;
        }
        const std::vector<double> edges =
            columnEdges(PointShares, std::size(PointShares), 0, m_area.width());
        for (std::size_t i = 0; i < m_report.points.size(); ++i) {
            if (m_pointPage[i] != page)
                continue;
            const MeasurementReport::PointSection& p = m_report.points[i];
            m_painter.setFont(face(9, true));
            y += drawLine(p.name, y, Qt::AlignLeft);
            m_painter.setFont(m_body);
            y += drawLine(QStringLiteral("Период: %1; опросов: %2").arg(p.periodText).arg(p.polls),
                          y, Qt::AlignLeft) *
                 1.2;
            y = drawRow(m_report.pointHeadings, edges, y, headerHeight(), true);
            for (const QStringList& row : p.rows)
                y = drawRow(row, edges, y, twoLines(), false);
            y += QFontMetricsF(m_body, &m_writer).height();
        }
    }

    double drawFirstPage() {
        double y = 0;
        m_painter.setFont(face(14, true));
        y += drawLine(m_report.title, y, Qt::AlignLeft) * 1.3;
        m_painter.setFont(m_body);
        const QFontMetricsF fm(m_body, &m_writer);
        double labelWidth = 0;
        for (const auto& [label, text] : m_report.facts)
            labelWidth = std::max(labelWidth, fm.horizontalAdvance(label + u':'));
        for (const auto& [label, text] : m_report.facts) {
            m_painter.drawText(QRectF(0, y, labelWidth, fm.height()), Qt::AlignLeft, label + u':');
            m_painter.drawText(QRectF(labelWidth + fm.averageCharWidth() * 2, y,
                                      m_area.width() - labelWidth, fm.height()),
                               Qt::AlignLeft, text);
            y += fm.height() * 1.15;
        }
        y += fm.height();
        y = drawQuantities(y);
        return y + fm.height();
    }

    void drawEventsPage(int page) {
        const PageSlice slice = m_slices[static_cast<std::size_t>(page)];
        double y = page == 0 ? m_eventsTop : 0;
        const bool first = slice.first == 0;
        if (first && (slice.count > 0 || m_report.eventRows.empty())) {
            m_painter.setFont(face(11, true));
            y += drawLine(QStringLiteral("События"), y, Qt::AlignLeft) * 1.2;
            if (m_report.eventRows.empty()) {
                m_painter.setFont(m_body);
                drawLine(QStringLiteral("Событий не было."), y, Qt::AlignLeft);
                return;
            }
        }
        if (slice.count == 0)
            return;
        const std::vector<double> edges =
            columnEdges(EventShares, std::size(EventShares), 0, m_area.width());
        y = drawRow(m_report.eventHeadings, edges, y, headerHeight(), true);
        for (qsizetype i = slice.first; i < slice.first + slice.count; ++i)
            y = drawRow(m_report.eventRows[static_cast<std::size_t>(i)], edges, y, m_rowHeight,
                        false);
    }

    void drawFooter(int page, int pages) {
        m_painter.setFont(m_table);
        const QRectF line(0, m_area.height() - m_footer * 0.6, m_area.width(), m_footer * 0.6);
        m_painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom, m_report.madeText);
        m_painter.drawText(line, Qt::AlignRight | Qt::AlignBottom,
                           QStringLiteral("Страница %1 из %2").arg(page).arg(pages));
    }

    void drawChartPage(QCustomPlot* chart) {
        m_area = m_writer.pageLayout().paintRectPixels(m_writer.resolution());
        m_area.moveTopLeft(QPoint(0, 0));
        m_painter.setFont(face(11, true));
        const double top = drawLine(QStringLiteral("График"), 0, Qt::AlignLeft) * 1.3;
        const QRectF room(0, top, m_area.width(), m_area.height() - m_footer - top);
        const double scale =
            std::min(room.width() / chart->width(), room.height() / chart->height());
        m_painter.save();
        m_painter.setMode(QCPPainter::pmVectorized);
        m_painter.setMode(QCPPainter::pmNoCaching);
        // Drawn at its on-screen size and scaled, so fonts keep their share of the chart.
        m_painter.translate(room.left() + (room.width() - chart->width() * scale) / 2, room.top());
        m_painter.scale(scale, scale);
        chart->toPainter(&m_painter, chart->width(), chart->height());
        m_painter.restore();
    }

private:
    double sectionHeading() const {
        return QFontMetricsF(face(11, true), &m_writer).height() * 1.3;
    }
    double twoLines() const { return m_rowHeight + QFontMetricsF(m_table, &m_writer).height(); }
    double pointHeight(const MeasurementReport::PointSection& p) const {
        const double body = QFontMetricsF(m_body, &m_writer).height();
        return QFontMetricsF(face(9, true), &m_writer).height() + body * 2.2 + headerHeight() +
               twoLines() * static_cast<double>(p.rows.size());
    }

    double headerHeight() const {
        return m_rowHeight + QFontMetricsF(m_tableBold, &m_writer).height();
    }

    double drawLine(const QString& text, double y, Qt::Alignment align) {
        const double h = QFontMetricsF(m_painter.font(), &m_writer).height();
        m_painter.drawText(QRectF(0, y, m_area.width(), h), align | Qt::AlignVCenter, text);
        return h;
    }

    double drawQuantities(double y) {
        const std::vector<double> edges =
            columnEdges(QuantityShares, std::size(QuantityShares), 0, m_area.width());
        const double lines2 = m_rowHeight + QFontMetricsF(m_table, &m_writer).height();
        y = drawRow(m_report.quantityHeadings, edges, y, headerHeight(), true);
        for (const QStringList& row : m_report.quantityRows)
            y = drawRow(row, edges, y, lines2, false);
        return y;
    }

    double drawRow(const QStringList& cells, const std::vector<double>& edges, double y,
                   double height, bool header) {
        return DrawTableRow(m_painter, &m_writer, header ? m_tableBold : m_table, cells, edges, y,
                            height, header);
    }

    QPdfWriter& m_writer;
    QCPPainter& m_painter;
    const MeasurementReport& m_report;
    QFont m_body;
    QFont m_table;
    QFont m_tableBold;
    QRectF m_area;
    double m_footer = 0;
    double m_rowHeight = 0;
    double m_eventsTop = 0;
    std::vector<PageSlice> m_slices;
    std::vector<int> m_pointPage; // the page of each measuring point, counted from the first
};

void setUpPages(QPdfWriter& writer, int resolution) {
    writer.setResolution(resolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
}

// Where the events begin on the report's first page, found by drawing that page on a
// scratch writer: pages drawn before it need the page count for their footers.
double firstPageHeight(const MeasurementReport& report, int resolution) {
    QBuffer scratch;
    scratch.open(QIODevice::WriteOnly);
    QPdfWriter writer(&scratch);
    setUpPages(writer, resolution);
    QCPPainter painter(&writer);
    return ReportPainter(writer, painter, report).drawFirstPage();
}

} // namespace

QString DefaultReportName(const QDate& date) {
    return RegionalSettings::shortDate(date) + QStringLiteral("Report.pdf");
}

bool WriteReportPdf(const MeasurementReport& report, QCustomPlot* chart, const QString& fileName,
                    QString* reason) {
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    ReplacingFile target(fileName);
    if (!target.create())
        return fail(target.errorString());
    {
        QPdfWriter writer(target.temporaryName());
        writer.setTitle(report.title);
        writer.setCreator(report.facts.empty() ? QString() : report.facts.front().second);
        // At the screen's resolution the chart's fonts, sized in points, keep their share
        // of the chart; text and lines stay vectors whatever the resolution.
        const int resolution = chart ? chart->logicalDpiY() : 96;
        setUpPages(writer, resolution);
        QCPPainter painter;
        if (!painter.begin(&writer))
            return fail(QStringLiteral("файл не открывается для записи"));
        ReportPainter pages(writer, painter, report);
        pages.planPoints();
        ProtocolPages protocol(writer, painter, report.protocol);
        const int before = protocol.pageCount();
        if (before > 0)
            pages.planEvents(firstPageHeight(report, resolution));
        const auto total = [&] {
            return before + pages.textPages() + pages.pointPages() + (chart ? 1 : 0);
        };
        for (int p = 0; p < before; ++p) {
            if (p > 0)
                writer.newPage();
            protocol.drawPage(p);
            pages.drawFooter(p + 1, total());
        }
        if (before > 0)
            writer.newPage();
        pages.planEvents(pages.drawFirstPage());
        for (int p = 0; p < pages.textPages(); ++p) {
            if (p > 0)
                writer.newPage();
            pages.drawEventsPage(p);
            pages.drawFooter(before + p + 1, total());
        }
        for (int p = 0; p < pages.pointPages(); ++p) {
            writer.newPage();
            pages.drawPointsPage(p);
            pages.drawFooter(before + pages.textPages() + p + 1, total());
        }
        if (chart) {
            if (chart->width() > chart->height())
                writer.setPageOrientation(QPageLayout::Landscape);
            writer.newPage();
            pages.drawChartPage(chart);
            pages.drawFooter(total(), total());
        }
        if (!painter.end())
            return fail(QStringLiteral("ошибка записи PDF"));
    }
    if (QFileInfo(target.temporaryName()).size() == 0)
        return fail(QStringLiteral("ошибка записи PDF"));
    if (!target.commit())
        return fail(target.errorString());
    return true;
}
