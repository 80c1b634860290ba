#pragma once

#include "MeasurementProtocol.h"
#include "ReportSource.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class MeasurementLog;

// The content of the measurement report, every figure already written as the program
// writes it: what was measured with what and when, one row of figures per logged
// quantity, the events, and for a log with marks the figures of each measuring point.
// Drawing it is left to the caller.
struct MeasurementReport {
    // One measuring point: its name, what it took, and its rows of figures.
    struct PointSection {
        QString name;
        QString periodText;
        qsizetype polls = 0;
        std::vector<QStringList> rows;
    };

    QString title;
    // Label and text: program, instrument, head, period, interval, polls, missed polls.
    std::vector<std::pair<QString, QString>> facts;
    QStringList quantityHeadings;
    std::vector<QStringList> quantityRows;
    QStringList eventHeadings;
    std::vector<QStringList> eventRows;
    // Empty when the log has no marks.
    QStringList pointHeadings;
    std::vector<PointSection> points;
    // Under every page: when it was made.
    QString madeText;
    // Pages of their own before the report's, when the protocol's details are filled in.
    MeasurementProtocol protocol;

    bool isEmpty() const { return quantityRows.empty(); }

    // Empty when the log holds no point (in the period). A period (the chart's held view)
    // limits every figure, event and measuring point to the polls within [from, to].
    static MeasurementReport build(const MeasurementLog& log, const ReportSource& source,
                                   const QDateTime& from = {}, const QDateTime& to = {});
};

// The figures of one quantity, as numbers.
struct QuantityFigures {
    int series = -1;
    qsizetype count = 0;
    double min = 0;
    QDateTime minTime;
    double max = 0;
    QDateTime maxTime;
    double mean = 0;
    // Of the channel's alarm events: how many, and their time, each lasting until the
    // next poll (an event still going on, until the newest point of the log).
    int alarms = 0;
    qint64 alarmSeconds = 0;

    static QuantityFigures of(const MeasurementLog& log, int series, const QDateTime& lastPoll);
    // Of the points [begin, end) and the alarms that begin among them.
    static QuantityFigures of(const MeasurementLog& log, int series, qsizetype begin, qsizetype end,
                              const QDateTime& lastPoll);
};
