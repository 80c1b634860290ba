#include "ProtocolPages.h"

#include "TableRow.h"
#include "report/MeasurementProtocol.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <numeric>

namespace {

// Point, quantity, mean, range, optimal, permissible, verdict, polls outside.
constexpr double Shares[] = {1.05, 0.85, 0.85, 1.0, 1.25, 1.55, 1.4, 1.1};

QFont face(double points, bool bold = false) {
    QFont f(QStringLiteral("sans-serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

const QFont& titleFace() {
    static const QFont f = face(14, true);
    return f;
}
const QFont& headingFace() {
    static const QFont f = face(11, true);
    return f;
}
const QFont& bodyFace() {
    static const QFont f = face(9);
    return f;
}
const QFont& tableFace(bool bold) {
    static const QFont plain = face(7.5);
    static const QFont strong = face(7.5, true);
    return bold ? strong : plain;
}

} // namespace

ProtocolPages::ProtocolPages(QPdfWriter& writer, QPainter& painter,
                             const MeasurementProtocol& protocol)
    : m_writer(writer), m_painter(painter), m_protocol(protocol) {
    m_area = m_writer.pageLayout().paintRectPixels(m_writer.resolution());
    m_area.moveTopLeft(QPoint(0, 0));
    // Room for the report's footer, as its own pages keep it.
    m_bottom = m_area.height() - QFontMetricsF(tableFace(false), &m_writer).height() * 2;
    const double total = std::accumulate(std::begin(Shares), std::end(Shares), 0.0);
    m_edges.push_back(0);
    for (double s : Shares)
        m_edges.push_back(m_edges.back() + m_area.width() * s / total);
    if (!m_protocol.isEmpty())
        plan();
}

void ProtocolPages::plan() {
    const double body = QFontMetricsF(bodyFace(), &m_writer).height();
    const double table = QFontMetricsF(tableFace(false), &m_writer).height();
    const double row = table * 1.45;
    // A cell of the header may take three lines.
    const double header = row + 2 * table;
    std::vector<Item> items;
    items.push_back({Item::Title, 0, QFontMetricsF(titleFace(), &m_writer).height() * 1.3});
    for (int i = 0; i < static_cast<int>(m_protocol.facts.size()); ++i)
        items.push_back(
            {Item::Fact, i, body * 1.15 + (i + 1 == int(m_protocol.facts.size()) ? body : 0)});
    items.push_back({Item::Header, 0, header});
    for (int i = 0; i < static_cast<int>(m_protocol.rows.size()); ++i)
        items.push_back({Item::Row, i, row});
    items.push_back(
        {Item::SummaryHeading, 0, QFontMetricsF(headingFace(), &m_writer).height() * 2});
    for (int i = 0; i < static_cast<int>(m_protocol.summary.size()); ++i)
        items.push_back({Item::Summary, i, body * 1.2});

    m_pages.emplace_back();
    double y = 0;
    for (const Item& item : items) {
        if (y + item.height > m_bottom && !m_pages.back().empty()) {
            m_pages.emplace_back();
            y = 0;
            // The table goes on under its header.
            if (item.kind == Item::Row) {
                m_pages.back().push_back({Item::Header, 0, header});
                y += header;
            }
        }
        m_pages.back().push_back(item);
        y += item.height;
    }
}

void ProtocolPages::drawPage(int page) {
    double y = 0;
    const QFontMetricsF body(bodyFace(), &m_writer);
    double labelWidth = 0;
    for (const auto& [label, text] : m_protocol.facts)
        labelWidth = std::max(labelWidth, body.horizontalAdvance(label + u':'));
    for (const Item& item : m_pages[static_cast<std::size_t>(page)]) {
        const QRectF line(0, y, m_area.width(), item.height);
        switch (item.kind) {
        case Item::Title:
            m_painter.setFont(titleFace());
            m_painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, m_protocol.title);
            break;
        case Item::Fact: {
            const auto& [label, text] = m_protocol.facts[static_cast<std::size_t>(item.index)];
            m_painter.setFont(bodyFace());
            m_painter.drawText(QRectF(0, y, labelWidth, body.height()), Qt::AlignLeft,
                               label + u':');
            m_painter.drawText(QRectF(labelWidth + body.averageCharWidth() * 2, y,
                                      m_area.width() - labelWidth, body.height()),
                               Qt::AlignLeft, text);
            break;
        }
        case Item::Header:
            drawRow(m_protocol.headings, y, item.height, true);
            break;
        case Item::Row:
            drawRow(m_protocol.rows[static_cast<std::size_t>(item.index)], y, item.height, false);
            break;
        case Item::SummaryHeading:
            m_painter.setFont(headingFace());
            m_painter.drawText(line, Qt::AlignLeft | Qt::AlignBottom,
                               QStringLiteral("Итог по точкам"));
            break;
        case Item::Summary:
            m_painter.setFont(bodyFace());
            m_painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                               m_protocol.summary[item.index]);
            break;
        }
        y += item.height;
    }
}

void ProtocolPages::drawRow(const QStringList& cells, double y, double height, bool header) {
    DrawTableRow(m_painter, &m_writer, tableFace(header), cells, m_edges, y, height, header);
}
