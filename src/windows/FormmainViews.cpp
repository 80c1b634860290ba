// The chart's two views and the settings window's pushes to the chart.
#include "Formmain.h"
#include "Formoptions.h"
#include "chart/LogChart.h"
#include "chart/LogGraph.h"

#include <QCheckBox>
#include <QSlider>
#include <qcustomplot.h>

namespace {

struct ViewSettings {
    double axisMin;
    double axisMax;
    bool logarithmic;
    const char* title;
    int upperMax;
    int lowerMax;
    int tick;
    bool climaticShown;
};

constexpr ViewSettings Climatic{-30, 100, false, "", 100, 99, 2, true};
constexpr ViewSettings Optical{0, 200000, true, "Log10", 200000, 199999, 4000, false};

// The optical axis spans at most 0.001 (where the chart puts a lower bound of 0) to
// 200000: under nine decades.
constexpr int MaxLabelledDecades = 12;

} // namespace

void TFMain::setLeftAxisMaximum(double value) {
    ChartValue->yAxis->setRangeUpper(value);
    ChartValue->replot();
}

void TFMain::setLeftAxisMinimum(double value) {
    ChartValue->yAxis->setRangeLower(value);
    ChartValue->replot();
}

void TFMain::setSeriesShown(int seriesIndex, bool shown) {
    if (seriesIndex < 0 || seriesIndex >= 10)
        return;
    series()[static_cast<std::size_t>(seriesIndex)]->setVisible(shown);
    ChartValue->replot();
}

static void applyView(TFMain* w, TFOptions* options, const ViewSettings& v, bool climatic) {
    QCPAxis* left = w->ChartValue->yAxis;
    w->N11->setChecked(climatic);
    w->N12->setChecked(!climatic);
    // The scale type first, then the bounds: a logarithmic axis raises a lower bound at
    // or below 0 and keeps it when it turns linear again, which would hide every
    // negative temperature.
    if (v.logarithmic) {
        left->setScaleType(QCPAxis::stLogarithmic);
        auto ticker = QSharedPointer<QCPAxisTickerLog>::create();
        ticker->setLogBase(10);
        ticker->setSubTickCount(8);
        // More tick steps than the widest range has decades, so every decade gets a label.
        ticker->setTickCount(MaxLabelledDecades);
        left->setTicker(ticker);
    } else {
        left->setScaleType(QCPAxis::stLinear);
        left->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
    }
    left->setRange(v.axisMin, v.axisMax);
    left->setLabel(QString::fromUtf8(v.title));

    if (options) {
        options->TrackBarYMax->setMaximum(v.upperMax);
        options->TrackBarYMax->setValue(v.upperMax);
        options->TrackBarYMax->setTickInterval(v.tick);
        options->TrackBarYMin->setMaximum(v.lowerMax);
        options->TrackBarYMin->setValue(0);
        options->TrackBarYMin->setTickInterval(v.tick);
    }

    const auto s = w->series();
    for (int i : {0, 1, 2, 3, 4})
        s[static_cast<std::size_t>(i)]->setVisible(v.climaticShown);
    for (int i : {7, 8, 9})
        s[static_cast<std::size_t>(i)]->setVisible(!v.climaticShown);

    if (options) {
        for (QCheckBox* b : {options->CheckBox1T, options->CheckBox1RH, options->CheckBox1Tvl,
                             options->CheckBox1Ttr, options->CheckBox1V})
            b->setChecked(v.climaticShown);
        for (QCheckBox* b : {options->CheckBox1E, options->CheckBox1L, options->CheckBox1UV})
            b->setChecked(!v.climaticShown);
    }
    w->ChartValue->replot();
}

void TFMain::N11Click() {
    applyView(this, m_options, Climatic, true);
}

void TFMain::N12Click() {
    applyView(this, m_options, Optical, false);
}

void TFMain::endViewHold() {
    m_chart->endHold();
}
