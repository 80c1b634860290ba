#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class QCustomPlot;
class QRubberBand;
class QMouseEvent;

// Mouse zoom and pan of a chart: a left drag from upper-left to lower-right zooms into
// the dragged rectangle, a left drag the other way undoes the zoom, and a right drag
// moves the view along both axes.
class ChartMouse : public QObject {
public:
    explicit ChartMouse(QCustomPlot* plot);

    bool isZoomed() const { return m_saved.has_value(); }
    void undoZoom();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Ranges {
        double xLower, xUpper, yLower, yUpper;
    };
    Ranges current() const;
    void apply(const Ranges& r);
    void press(QMouseEvent* e);
    void move(QMouseEvent* e);
    void release(QMouseEvent* e);

    QCustomPlot* m_plot;
    QRubberBand* m_band = nullptr;
    Qt::MouseButton m_button = Qt::NoButton;
    QPoint m_start;
    Ranges m_panStart{};
    std::optional<Ranges> m_saved;
};
