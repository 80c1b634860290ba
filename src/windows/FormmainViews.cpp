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
    w->N11->setChecked(climatic);
    w->N12->setChecked(!climatic);
    w->chart()->setValueAxis(v.logarithmic, v.axisMin, v.axisMax, QString::fromUtf8(v.title));
    w->chart()->showClimatic(v.climaticShown);

    if (options) {
        options->TrackBarYMax->setMaximum(v.upperMax);
        options->TrackBarYMax->setValue(v.upperMax);
        options->TrackBarYMax->setTickInterval(v.tick);
        options->TrackBarYMin->setMaximum(v.lowerMax);
        options->TrackBarYMin->setValue(0);
        options->TrackBarYMin->setTickInterval(v.tick);
    }

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
