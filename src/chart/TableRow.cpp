#include "TableRow.h"

#include <QFontMetricsF>
#include <QPainter>

double DrawTableRow(QPainter& painter, QPaintDevice* device, const QFont& font,
                    const QStringList& cells, const std::vector<double>& edges, double y,
                    double height, bool header) {
    painter.setFont(font);
    const QFontMetricsF fm(font, device);
    const double pad = fm.averageCharWidth() * 0.5;
    if (header)
        painter.fillRect(QRectF(edges.front(), y, edges.back() - edges.front(), height),
                         QColor(0xE8, 0xE8, 0xE8));
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawLine(QPointF(edges.front(), y + height), QPointF(edges.back(), y + height));
    if (header)
        painter.drawLine(QPointF(edges.front(), y), QPointF(edges.back(), y));
    painter.setPen(Qt::black);
    for (std::size_t c = 0; c + 1 < edges.size() && c < static_cast<std::size_t>(cells.size());
         ++c) {
        const QRectF cell(edges[c] + pad, y, edges[c + 1] - edges[c] - 2 * pad, height);
        QStringList lines = cells[static_cast<qsizetype>(c)].split(u'\n');
        if (!header)
            for (QString& l : lines)
                l = fm.elidedText(l, Qt::ElideRight, cell.width());
        // Top-aligned: a row's single-line cells stand level with the first line of its
        // two-line ones.
        painter.drawText(cell.adjusted(0, pad, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines.join(u'\n'));
    }
    return y + height;
}
