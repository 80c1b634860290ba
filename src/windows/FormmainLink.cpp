// Start-up, configuration detection, window toggles and run control of the main window.
#include "Formevents.h"
#include "Formhelp.h"
#include "Formlogo.h"
#include "Formmain.h"
#include "Formoptions.h"
#include "Forms.h"
#include "Formstat.h"
#include "chart/LogChart.h"
#include "link/ConfigurationDetection.h"
#include "link/Rcpthread.h"
#include "measurement/ChannelConfiguration.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

void TFMain::FormCreate() {
    VisiblePointCount = 100;
    if (SearchThread) {
        m_session->setSearch(SearchThread);
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
        // The run reads the settings as values; the interval is the timer's own.
        const auto pushSettings = [this](SessionSettings settings) {
            settings.pollIntervalMs = TimerInterval->interval();
            m_session->setSettings(settings);
        };
        connect(m_options, &TFOptions::sessionSettingsChanged, this, pushSettings);
        pushSettings(m_options->sessionSettings());
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
    m_session->detectTick();
}

void TFMain::showDetected(std::int8_t model, std::int8_t head, bool headAsked) {
    Q_UNUSED(headAsked)
    if (const auto found = FindModel(model)) {
        enableNamed(found->enables.valueFields);
        enableNamed(found->enables.channelBoxes);
        enableNamed(found->enables.limitBoxes);
        ButtonStartStop->setEnabled(true);
        if (model == ModelWithHeads) {
            if (const auto row = FindHead(head)) {
                enableNamed(row->enables.valueFields);
                enableNamed(row->enables.channelBoxes);
                enableNamed(row->enables.limitBoxes);
            }
        }
    }
    m_chart->setReferenceSeries(AxisReferenceSeries(model, head));
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

void TFMain::ButtonStartStopClick() {
    // A log from a file goes on only with the instrument that made it.
    if (!m_session->isRunning() && !instrumentFitsLog())
        return;
    m_session->startStop();
}

void TFMain::showRunState(bool running) {
    ButtonStartStop->setText(running ? QStringLiteral("Стоп") : QStringLiteral("Старт"));
}

void TFMain::runStarted() {
    endViewHold(); // a new run is watched from its newest points
    // The run now goes on with this instrument and these settings, which a save records.
    m_runDetailsFromFile = false;
}

void TFMain::TimerIntervalTimer() {
    m_session->poll();
}

void TFMain::TimerPeriodTimer() {
    m_session->periodTick();
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
