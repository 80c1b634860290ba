#pragma once

#include "measurement/Channel.h"

#include <qcustomplot.h>

class MeasurementLog;

// Labels the time axis with the points' own times: the tick at X = i reads the label of
// point i of the reference series (the series the time axis follows). Ticks fall on
// whole points only; positions without a point stay unlabelled.
class TimeLabelTicker : public QCPAxisTicker {
public:
    explicit TimeLabelTicker(const MeasurementLog& log,
                             int referenceSeries = seriesIndex(Channel::V));

    int referenceSeries() const { return m_referenceSeries; }
    void setReferenceSeries(int series) { m_referenceSeries = series; }

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override;

private:
    const MeasurementLog& m_log;
    int m_referenceSeries;
};
