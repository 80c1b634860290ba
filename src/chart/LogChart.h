#pragma once

#include "measurement/TimeAxis.h"

#include <QDateTime>
#include <QObject>
#include <QSharedPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class ChartMouse;
class MarkLines;
class LogGraph;
class MeasurementLog;
class QCustomPlot;
class QLabel;
class QString;
class TimeLabelTicker;

// The measurement log's chart as the main window shows it: its ten series in channel
// order with their colours, the time labels, mouse zoom and pan with the held view and
// the note that says so, and the point readout. After each poll it follows the newest
// points, or, while the user holds a view, leaves it where it is and redraws it only
// when the poll's points can show in it.
class LogChart : public QObject {
    Q_OBJECT

public:
    // newestView gives where the time axis goes to show the newest points, if anywhere.
    LogChart(QCustomPlot* plot, const MeasurementLog& log,
             std::function<std::optional<TimeAxisRange>()> newestView);
    ~LogChart() override;

    std::array<LogGraph*, 10> series() const { return m_series; }
    // The series whose points' times label the time axis.
    void setReferenceSeries(int series);
    int referenceSeries() const;

    // The value axis of a view: the scale type first, then the bounds, so that a
    // logarithmic axis's raised lower bound never outlives it.
    void setValueAxis(bool logarithmic, double lower, double upper, const QString& title);
    // The climatic series (t, RH, wet bulb, dew point, V) or the optical ones (E, L, UV).
    void showClimatic(bool climatic);

    // A poll has logged its points.
    void pollLogged();
    // Puts the time axis on the newest points (also where the user holds a view).
    void followNewest();
    bool isHeld() const;
    // Gives a view the user zoomed or panned back to following the newest points.
    void endHold();
    // The times of the first and last point the held view shows on the time axis's
    // series; invalid when it shows none.
    std::pair<QDateTime, QDateTime> heldPeriod() const;

    // The log's event at index changed (-1: the list did): marks are drawn anew.
    void eventChanged(qsizetype index);

signals:
    // The user clicked the right button on the chart without dragging: the time of the
    // reference series' point nearest to the click, invalid where it has none.
    void pointChosen(const QDateTime& poll, const QPoint& globalPos);

private:
    void heldChanged(bool held);
    void placeHeldNote();
    void rightClicked(const QPoint& pos);
    void updateMarks();
    // Whether points logged since the last redraw can show in the held view.
    bool newPointsInView() const;

    QCustomPlot* m_plot;
    const MeasurementLog& m_log;
    std::function<std::optional<TimeAxisRange>()> m_newestView;
    std::array<LogGraph*, 10> m_series{};
    QSharedPointer<TimeLabelTicker> m_ticker;
    ChartMouse* m_mouse;
    QLabel* m_heldNote; // says that polls no longer move the held view
    std::unique_ptr<MarkLines> m_marks;
    bool m_marksStale = false;
};
