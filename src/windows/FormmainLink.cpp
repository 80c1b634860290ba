// Start-up, configuration detection, window toggles and run control of the main window.
#include "Formevents.h"
#include "Formhelp.h"
#include "Formlogo.h"
#include "Formmain.h"
#include "Formoptions.h"
#include "Forms.h"
#include "Formstat.h"
#include "MaskedTimeEdit.h"
#include "chart/LogChart.h"
#include "link/ConfigurationDetection.h"
#include "link/Rcpthread.h"
#include "link/Unitcomport.h"
#include "measurement/ChannelConfiguration.h"
#include "measurement/ScheduleTime.h"
#include "sound/AlarmTone.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {
const QString NoAnswer = QStringLiteral("Нет отклика от прибора");
}

void TFMain::FormCreate() {
    VisiblePointCount = 100;
    if (SearchThread) {
        SearchThread->setStatusSink(this, [this](const QString& text) {
            if (!m_detectionFailed)
                setPanelText(3, text);
        });
        SearchThread->Resume();
    }
    QCoreApplication::processEvents();
}

void TFMain::connectSecondaryWindows(TFStat* stat, TFOptions* options, TFLogo* logo, TFHelp* help) {
    m_stat = stat;
    m_options = options;
    m_logo = logo;
    m_help = help;
    if (m_options) {
        connect(m_options, &TFOptions::leftAxisMaxChanged, this, &TFMain::setLeftAxisMaximum);
        connect(m_options, &TFOptions::leftAxisMinChanged, this, &TFMain::setLeftAxisMinimum);
        connect(m_options, &TFOptions::seriesVisibilityChanged, this, &TFMain::setSeriesShown);
        connect(m_options, &TFOptions::pollIntervalChanged, this, &TFMain::setPollInterval);
        connect(m_options, &TFOptions::visiblePointCountChanged, this,
                &TFMain::setVisiblePointCount);
    }
    if (m_stat)
        connectStatistics();
    protocolDetailsChanged();
}

QWidget* TFMain::namedControl(const QString& name) const {
    if (QWidget* own = findChild<QWidget*>(name))
        return own;
    return m_options ? m_options->findChild<QWidget*>(name) : nullptr;
}

void TFMain::enableNamed(const QStringList& names) {
    for (const QString& name : names)
        if (QWidget* w = namedControl(name))
            w->setEnabled(true);
}

void TFMain::TimerDetektTimer() {
    // A tick while the program is still making its windows (a slow start lets one through
    // the main window's creation) waits for the next one: detection enables check boxes
    // of the settings window, which does not exist yet.
    if (!m_options)
        return;
    if (ComPort.InstrumentFound.load(std::memory_order_acquire) != 1) {
        // A failed detection's text stays until the search finds an instrument again.
        if (!m_detectionFailed)
            setPanelText(3, QStringLiteral("Прибор не найден"));
        return;
    }
    m_detectionFailed = false;
    if (SearchThread)
        SearchThread->Suspend();
    setPanelText(3, QStringLiteral("Определение конфигурации"));
    ComPort.PortLabel = PortName(ComPort.PortNumber);
    setPanelText(0, ComPort.PortLabel);
    TimerDetekt->stop();
    // The queries block this thread for up to a second: show the texts first.
    statusBar()->repaint();

    const DetectionReply reply = QueryConfiguration(ComPort.PortNumber);
    StatusPanels[0]->setToolTip(ComPort.DeviceName);
    if (!reply.answered) {
        // The instrument answered the search's probe but not the queries: nothing is
        // enabled, and the search starts over, so that the instrument is detected as
        // soon as it answers rather than only after a restart of the program.
        setPanelText(3, NoAnswer);
        m_detectionFailed = true;
        ComPort.InstrumentFound.store(0, std::memory_order_release);
        TimerDetekt->start();
        if (SearchThread)
            SearchThread->Resume();
        return;
    }
    ModelCode = reply.model;
    HeadCode = reply.head;
    if (reply.headAsked) {
        if (const auto head = FindHead(HeadCode))
            setPanelText(2, head->text);
    }

    if (const auto model = FindModel(ModelCode)) {
        setPanelText(1, model->name);
        enableNamed(model->enables.valueFields);
        enableNamed(model->enables.channelBoxes);
        enableNamed(model->enables.limitBoxes);
        ButtonStartStop->setEnabled(true);
        if (ModelCode == ModelWithHeads) {
            if (const auto head = FindHead(HeadCode)) {
                enableNamed(head->enables.valueFields);
                enableNamed(head->enables.channelBoxes);
                enableNamed(head->enables.limitBoxes);
            }
        }
    }
    m_chart->setReferenceSeries(AxisReferenceSeries(ModelCode, HeadCode));
    setPanelText(3, QStringLiteral("Для начала работы нажмите старт"));
}

void TFMain::TimerLogoTimer() {
    // A tick while the windows are still being made (the main window's creation lets
    // events through, and on a slow start that takes over a second) finds no splash yet;
    // it must not count as the first, or the next one would show and close it at once.
    if (!m_logo)
        return;
    m_logo->show();
    m_logo->raise();
    if (TimerLogo->interval() != 10000) {
        TimerLogo->setInterval(10000);
        return;
    }
    TimerLogo->stop();
    m_logo->close();
}

void TFMain::toggle(QWidget* window) {
    if (!window)
        return;
    if (window->isVisible())
        window->close();
    else
        window->show();
}

void TFMain::N5Click() {
    toggle(m_stat);
}
void TFMain::N13Click() {
    toggle(m_events);
}
void TFMain::N6Click() {
    toggle(m_options);
}
void TFMain::N7Click() {
    toggle(m_help);
}
void TFMain::N8Click() {
    toggle(m_logo);
}
void TFMain::N9Click() {
    close();
}

void TFMain::endRunWithoutAnswer() {
    Log.events().runEnded(now());
    setPanelText(3, NoAnswer);
    TimerPeriod->stop();
    ButtonStartStop->setText(QStringLiteral("Старт"));
    TimerInterval->stop();
}

void TFMain::ButtonStartStopClick() {
    // A log from a file goes on only with the instrument that made it.
    if (!TimerInterval->isActive() && !TimerPeriod->isActive() && !instrumentFitsLog())
        return;
    const bool scheduled = m_options && m_options->CheckBoxTimer->isChecked();
    if (!scheduled) {
        if (!TimerInterval->isActive()) {
            bool answered = false;
            {
                PortSession session(ComPort.PortNumber, ProbeBytes);
                answered = ProbeInstrument();
                if (answered)
                    setPanelText(3, QStringLiteral("Соединение прошло успешно"));
            }
            if (answered) {
                beginRun();
                TimerInterval->start();
                ButtonStartStop->setText(QStringLiteral("Стоп"));
                setPanelText(3, QStringLiteral("Чтение каналов"));
            } else {
                TimerInterval->stop();
                ButtonStartStop->setText(QStringLiteral("Старт"));
                setPanelText(3, NoAnswer);
            }
        } else {
            TimerInterval->stop();
            Log.events().runEnded(now());
            Beeper->silence();
            ButtonStartStop->setText(QStringLiteral("Старт"));
            setPanelText(3, QStringLiteral(" "));
            PortSession session(ComPort.PortNumber, ProbeBytes);
            ProbeInstrument(); // the outcome changes nothing
        }
        return;
    }

    if (!TimerPeriod->isActive()) {
        PortSession session(ComPort.PortNumber, ProbeBytes);
        if (ProbeInstrument()) {
            setPanelText(3,
                         QStringLiteral("Соединение прошло успешно, ожидание начала измерений "));
            beginRun();
            TimerPeriod->start();
            ButtonStartStop->setText(QStringLiteral("Стоп"));
        } else {
            setPanelText(3, QStringLiteral("Нет отклика от прибора..."));
        }
    } else {
        TimerPeriod->stop();
        ButtonStartStop->setText(QStringLiteral("Старт"));
        TimerInterval->stop();
        Log.events().runEnded(now());
        Beeper->silence();
        PortSession session(ComPort.PortNumber, ProbeBytes + commandBytes(0));
        if (ProbeInstrument())
            SendCommand(CmdStop); // the acknowledgement is not needed
    }
}

void TFMain::TimerIntervalTimer() {
    PollInstrument();
}

void TFMain::TimerPeriodTimer() {
    const QString start = m_options ? m_options->MaskEditTimeN->text() : QString();
    const QString end = m_options ? m_options->MaskEditTimeK->text() : QString();
    const ScheduleAction action = scheduleTick(now().time(), start, end);
    if (action.startPolling && !TimerInterval->isActive())
        TimerInterval->start(); // enabling an enabled timer changes nothing
    if (action.endRun) {
        TimerInterval->stop();
        Log.events().runEnded(now());
        TimerPeriod->stop();
        ButtonStartStop->setText(QStringLiteral("Старт"));
    }
}

void TFMain::setPollInterval(int milliseconds) {
    TimerInterval->setInterval(milliseconds);
}

void TFMain::setVisiblePointCount(int count) {
    VisiblePointCount = count;
}

void TFMain::connectStatistics() {
    m_stat->setSeriesSource([this](int seriesIndex) {
        return StatSeries{Log.count(seriesIndex),
                          [this, seriesIndex](qsizetype i) { return Log.y(seriesIndex, i); }};
    });
    m_stat->setOptionsWindow(m_options);
}
