#pragma once

#include <QRectF>

#include <vector>

class QPainter;
class QPdfWriter;
struct MeasurementProtocol;

// The protocol's pages at the front of the report: the title and the facts, the table of
// points and quantities under a header repeated on every page it goes on to, then a
// verdict line per point. Planned first, so that the report knows its page count before
// it draws a footer.
class ProtocolPages {
public:
    ProtocolPages(QPdfWriter& writer, QPainter& painter, const MeasurementProtocol& protocol);

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    // Draws page number page (from 0) of the protocol, without its footer.
    void drawPage(int page);

private:
    // What goes down a page, one after the other.
    struct Item {
        enum Kind { Title, Fact, Header, Row, SummaryHeading, Summary } kind;
        int index = 0;
        double height = 0;
    };
    void plan();
    void drawRow(const QStringList& cells, double y, double height, bool header);

    QPdfWriter& m_writer;
    QPainter& m_painter;
    const MeasurementProtocol& m_protocol;
    QRectF m_area;
    double m_bottom = 0;
    std::vector<double> m_edges;
    std::vector<std::vector<Item>> m_pages;
};
