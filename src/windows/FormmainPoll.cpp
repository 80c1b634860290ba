// What a poll shows in the window; clearing the log.
#include "Formmain.h"
#include "Formoptions.h"
#include "Formstat.h"
#include "chart/LogChart.h"
#include "measurement/PollReading.h"
#include "sound/AlarmTone.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <qcustomplot.h>

void TFMain::PollInstrument() {
    m_session->poll();
}

void TFMain::showPoll(const PollReading& r) {
    m_session->logPoll(r);
}

void TFMain::showPollValues(const ShownPoll& poll) {
    const bool beep = m_options && m_options->CheckBoxBeep->isChecked();
    const auto boxes = valueBoxes();
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        if (poll.texts[k])
            boxes[k]->setText(*poll.texts[k]);
        if (!poll.alarms[k])
            continue;
        const bool alarm = *poll.alarms[k];
        if (alarm && beep)
            Beeper->beep();
        QPalette pal = boxes[k]->palette();
        pal.setColor(QPalette::Base, alarm ? QColor(0xFF, 0x00, 0x00)
                                           : QApplication::palette().color(QPalette::Base));
        boxes[k]->setPalette(pal);
    }
    if (m_stat && poll.texts[static_cast<std::size_t>(seriesIndex(Channel::V))])
        m_stat->FlowUpdate(StaticTextV->text());
    moveTimeAxis();
    if (poll.logged) {
        ++m_pollsLogged;
        updateTitle();
    }
}

void TFMain::moveTimeAxis() {
    m_chart->pollLogged();
}

void TFMain::followNewestPoints() {
    m_chart->followNewest();
}

void TFMain::ButtonClearClick() {
    m_session->clear();
}

void TFMain::logCleared() {
    endViewHold();
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
