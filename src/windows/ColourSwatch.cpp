#include "ColourSwatch.h"

#include <QPainter>

ColourSwatch::ColourSwatch(const QColor& colour, QWidget* parent)
    : QWidget(parent), m_colour(colour) {}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(m_colour);
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}
