#include "MarkLines.h"

#include "measurement/MeasurementLog.h"

#include <qcustomplot.h>

namespace {
const QColor MarkColour(0x50, 0x50, 0x90);
}

MarkLines::MarkLines(QCustomPlot* plot, const MeasurementLog& log) : m_plot(plot), m_log(log) {}

void MarkLines::update(int referenceSeries) {
    for (QCPAbstractItem* item : std::as_const(m_items))
        m_plot->removeItem(item);
    m_items.clear();
    const qsizetype count = m_log.count(referenceSeries);
    for (const LogEvent& e : m_log.events().all()) {
        if (e.kind != LogEvent::Mark || count == 0)
            continue;
        const qsizetype i = m_log.firstPointFrom(referenceSeries, m_log.secondsFromBase(e.start));
        if (i >= count)
            continue;
        auto* line = new QCPItemLine(m_plot);
        line->setPen(QPen(MarkColour, 1));
        for (QCPItemPosition* p : {line->start, line->end}) {
            p->setTypeX(QCPItemPosition::ptPlotCoords);
            p->setTypeY(QCPItemPosition::ptAxisRectRatio);
        }
        line->start->setCoords(double(i), 0);
        line->end->setCoords(double(i), 1);
        auto* text = new QCPItemText(m_plot);
        text->position->setTypeX(QCPItemPosition::ptPlotCoords);
        text->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        text->position->setCoords(double(i), 0);
        text->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        text->setPadding(QMargins(3, 1, 3, 1));
        text->setColor(MarkColour);
        text->setBrush(QBrush(QColor(255, 255, 255, 200)));
        text->setText(e.text);
        m_items << line << text;
    }
}
