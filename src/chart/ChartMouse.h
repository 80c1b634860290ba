#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class QCPRange;
class QCustomPlot;
class QRubberBand;
class QMouseEvent;

// Mouse zoom and pan of a chart: a left drag from upper-left to lower-right zooms into
// the dragged rectangle, a left drag the other way undoes the zoom, and a right drag
// moves the view along both axes. From the first zoom or pan the view is the user's own
// ("held") until it is given back by the reverse drag or by endHold().
class ChartMouse : public QObject {
    Q_OBJECT

public:
    explicit ChartMouse(QCustomPlot* plot);

    bool isHeld() const { return m_saved.has_value(); }
    // Puts back the view from before the first zoom or pan and ends the hold.
    void endHold();

signals:
    void heldChanged(bool held);
    // A right click that moved nothing, at that place on the chart.
    void rightClicked(const QPoint& pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Ranges {
        double xLower, xUpper, yLower, yUpper;
    };
    Ranges current() const;
    void valueAxisSet(const QCPRange& now, const QCPRange& before);
    void setRanges(const Ranges& r);
    void apply(const Ranges& r);
    void hold(const Ranges& before);
    void press(QMouseEvent* e);
    void move(QMouseEvent* e);
    void release(QMouseEvent* e);

    QCustomPlot* m_plot;
    QRubberBand* m_band = nullptr;
    Qt::MouseButton m_button = Qt::NoButton;
    QPoint m_start;
    Ranges m_panStart{};
    std::optional<Ranges> m_saved; // the view from before the hold
    bool m_moving = false;         // the axes change by this class's own hand
};
