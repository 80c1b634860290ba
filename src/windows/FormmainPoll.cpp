// One poll of the instrument and what it shows and logs; clearing the log.
#include "Formmain.h"
#include "Formoptions.h"
#include "Formstat.h"
#include "chart/LogChart.h"
#include "link/Unitcomport.h"
#include "measurement/ChannelConfiguration.h"
#include "measurement/ChannelDecoding.h"
#include "measurement/DerivedQuantities.h"
#include "measurement/LimitAlarm.h"
#include "measurement/OpticalDisplay.h"
#include "measurement/PollReading.h"
#include "measurement/Rounding.h"
#include "measurement/ValueText.h"
#include "recording/RecordingWriter.h"
#include "sound/AlarmTone.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <qcustomplot.h>

namespace {

bool readsOptical(std::int8_t modelCode) {
    return modelCode > 60;
}

// Every byte of a poll, both directions: its deadline allows their line time.
int pollBytes(std::int8_t modelCode) {
    return ProbeBytes + commandBytes(6) + (readsOptical(modelCode) ? commandBytes(8) : 0);
}

// Reads the climatic block and, for the optical models, the optical block. False when
// the instrument stopped answering midway or too slowly; then nothing of the poll may
// be used.
bool readBlocks(PollReading& r, std::int8_t modelCode) {
    if (!SendCommand(CmdReadClimatic))
        return false;
    const auto t = ReceiveWord();
    const auto rh = t ? ReceiveWord() : std::nullopt;
    const auto v = rh ? ReceiveWord() : std::nullopt;
    if (!v)
        return false;
    decodeClimatic(r, *t, *rh, *v);
    if (readsOptical(modelCode)) {
        if (!SendCommand(CmdReadOptical))
            return false;
        std::optional<std::uint16_t> words[4];
        for (auto& w : words) {
            w = ReceiveWord();
            if (!w)
                return false;
        }
        decodeOptical(r, *words[0], *words[1], *words[2], *words[3]);
    }
    return true;
}

struct LimitControls {
    QCheckBox* enable;
    QLineEdit* min;
    QLineEdit* max;
};

LimitControls limitControls(const TFOptions* options, Channel c) {
    if (!options)
        return {nullptr, nullptr, nullptr};
    switch (c) {
    case Channel::T:
        return {options->CheckBoxT, options->EditTmin, options->EditTmax};
    case Channel::RH:
        return {options->CheckBoxRH, options->EditRHmin, options->EditRHmax};
    case Channel::V:
        return {options->CheckBoxV, options->EditVmin, options->EditVmax};
    case Channel::E:
        return {options->CheckBoxE, options->EditEmin, options->EditEmax};
    case Channel::L:
        return {options->CheckBoxL, options->EditLmin, options->EditLmax};
    case Channel::UV:
        return {options->CheckBoxUV, options->EditUVmin, options->EditUVmax};
    default:
        return {nullptr, nullptr, nullptr};
    }
}

} // namespace

void TFMain::PollInstrument() {
    if (m_portLost) {
        lookForLostInstrument();
        return;
    }
    PollReading r;
    bool complete = false;
    bool opened = false;
    {
        PortSession session(ComPort.PortNumber, pollBytes(ModelCode));
        opened = session.opened();
        if (ProbeInstrument()) {
            setPanelText(3, QStringLiteral("Чтение данных ..."));
            complete = readBlocks(r, ModelCode);
        }
    } // the port is closed before anything is shown
    if (!complete) {
        missedPoll(!opened);
        return;
    }
    applyHeadRules(r, ModelCode, HeadCode);
    applyValidityTests(r);
    showPoll(r);
}

void TFMain::showPoll(const PollReading& r) {
    const ChannelSet carried = processedChannels(ModelCode, HeadCode);
    if (carried.t)
        showMeasured(Channel::T, r.AcceptedT);
    if (carried.rh) {
        showMeasured(Channel::RH, r.AcceptedRH);
        PollReading derived = r;
        const bool dewPoint = computeDerivedQuantities(derived);
        const double wetBulb = RoundToTenth(derived.WetBulbT);
        StaticTextTvl->setText(ValueText(wetBulb));
        const double dew = RoundToTenth(derived.DewPointT);
        if (dewPoint)
            StaticTextTtr->setText(ValueText(dew));
        addPoint(seriesIndex(Channel::WetBulb), wetBulb);
        if (dewPoint)
            addPoint(seriesIndex(Channel::DewPoint), dew);
    }
    if (carried.v) {
        showMeasured(Channel::V, r.AcceptedV);
        if (m_stat)
            m_stat->FlowUpdate(StaticTextV->text());
    }
    if (carried.e)
        showOptical(Channel::E, r.AcceptedE, r.ERange);
    if (carried.l)
        showOptical(Channel::L, r.AcceptedL, r.LRange);
    if (carried.uv)
        showOptical(Channel::UV, r.AcceptedUV, r.UVRange);
    moveTimeAxis();
    // The whole poll goes to the disk in one piece, or not at all.
    if (!m_pollPoints.isEmpty()) {
        ++m_pollsLogged;
        m_recording->record(m_pollPoints);
        m_pollPoints = {};
        updateTitle();
    }
}

void TFMain::showMeasured(Channel c, float accepted) {
    const double shown = RoundToTenth(accepted);
    valueBoxes()[static_cast<std::size_t>(seriesIndex(c))]->setText(ValueText(shown));
    addPoint(seriesIndex(c), shown);
    testLimits(c, accepted);
}

void TFMain::showOptical(Channel c, float mantissa, float rangeCode) {
    QLabel* box = valueBoxes()[static_cast<std::size_t>(seriesIndex(c))];
    if (const auto text = opticalBoxText(mantissa, rangeCode))
        box->setText(*text);
    if (isKnownRangeCode(rangeCode))
        addPoint(seriesIndex(c), opticalLogValue(mantissa, rangeCode));
    testLimits(c, scaledOpticalValue(mantissa, rangeCode));
}

void TFMain::testLimits(Channel c, float value) {
    QLabel* box = valueBoxes()[static_cast<std::size_t>(seriesIndex(c))];
    const LimitControls limits = limitControls(m_options, c);
    const bool enabled = limits.enable && limits.enable->isChecked();
    const LimitCrossing crossing =
        enabled ? LimitTest(value, limits.min->text(), limits.max->text()) : LimitCrossing{};
    const bool alarm = static_cast<bool>(crossing);
    Log.events().limitTested(seriesIndex(c), crossing, limitTestValue(value), now());
    if (alarm && m_options && m_options->CheckBoxBeep->isChecked())
        Beeper->beep();
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base,
                 alarm ? QColor(0xFF, 0x00, 0x00) : QApplication::palette().color(QPalette::Base));
    box->setPalette(pal);
}

void TFMain::addPoint(int seriesIndex, double y) {
    const QDateTime when = now();
    Log.append(seriesIndex, y, when);
    m_pollPoints.add(seriesIndex, y, wallSeconds(when));
}

void TFMain::logMissedPoll() {
    const QDateTime when = now();
    Log.markGap(when);
    m_recording->recordMissed(wallSeconds(when));
}

void TFMain::moveTimeAxis() {
    m_chart->pollLogged();
}

void TFMain::followNewestPoints() {
    m_chart->followNewest();
}

void TFMain::ButtonClearClick() {
    endViewHold();
    Log.clear();
    m_recording->clear();
    m_pollsLogged = 0;
    m_pollsSaved = 0;
    m_pollsAtExport = 0;
    // The empty log belongs to no file; the recording holds all of it again.
    m_measurementFile.clear();
    m_runDetailsFromFile = false;
    m_recordingWhole = true;
    updateTitle();
    RecordingNote->hide();    // a stopped recording starts afresh with the empty log
    protocolDetailsChanged(); // emptied with the log
    for (QLabel* box : valueBoxes())
        box->setText(QStringLiteral("0.0"));
    ChartValue->replot(QCustomPlot::rpQueuedReplot);
}
