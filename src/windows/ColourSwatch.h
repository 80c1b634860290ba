#pragma once

#include <QColor>
#include <QWidget>

// The round colour mark beside a value box: the colour of that channel's points.
class ColourSwatch : public QWidget {
public:
    ColourSwatch(const QColor& colour, QWidget* parent);
    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
};
