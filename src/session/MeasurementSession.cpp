// The session's frame: its link thread, timers and recording, detection, settings, clearing.
#include "MeasurementSession.h"

#include "LinkWorker.h"
#include "PollPublisher.h"
#include "PollPublishing.h"
#include "link/Rcpthread.h"
#include "link/Unitcomport.h"
#include "recording/RecordingWriter.h"

#include <QTimer>

MeasurementSession::MeasurementSession(QString recordingFolder, QObject* parent) : QObject(parent) {
    qRegisterMetaType<ExchangeResult>();
    Clock = [] { return QDateTime::currentDateTime(); };
    DetectionGate = [] { return true; };

    m_recording = new RecordingWriter(std::move(recordingFolder), this);
    // The events go to the recording with the log; the observer stays with Log when a
    // restored log is put in its place.
    Log.events().addObserver([this](qsizetype index) {
        if (index < 0)
            m_recording->replaceEvents(Log.events().all());
        else
            m_recording->recordEvent(index, Log.events().at(index));
    });

    auto timer = [this](const QString& name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(interval);
        // A coarse timer may fire up to 5 % early, and one of 20 s or more is rounded to
        // whole seconds; polls and the schedule keep their time.
        t->setTimerType(Qt::PreciseTimer);
        return t;
    };
    m_detect = timer(QStringLiteral("TimerDetekt"), 3000);
    m_interval = timer(QStringLiteral("TimerInterval"), m_settings.pollIntervalMs);
    m_period = timer(QStringLiteral("TimerPeriod"), 20000);
    m_detect->setTimerType(Qt::CoarseTimer);
    m_detect->start();
    connect(m_detect, &QTimer::timeout, this, &MeasurementSession::detectTick);
    connect(m_interval, &QTimer::timeout, this, &MeasurementSession::poll);
    connect(m_period, &QTimer::timeout, this, &MeasurementSession::periodTick);

    m_worker = new LinkWorker;
    m_worker->moveToThread(&m_linkThread);
    connect(&m_linkThread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &LinkWorker::done, this, &MeasurementSession::exchangeDone);
    connect(m_worker, &LinkWorker::progress, this,
            [this](const QString& text) { emit statusText(3, text); });
    m_linkThread.setObjectName(QStringLiteral("link"));
    m_linkThread.start();
}

MeasurementSession::~MeasurementSession() {
    shutdown();
    m_linkThread.quit();
    m_linkThread.wait(); // at most the read under way, since the link is abandoned
}

void MeasurementSession::shutdown() {
    m_ended = true;
    m_deferred.clear();
    m_detect->stop();
    m_interval->stop();
    m_period->stop();
    AbandonLink();
}

void MeasurementSession::setSearch(MyThread* search) {
    m_search = search;
    if (m_search)
        m_search->setStatusSink(this, [this](const QString& text) { searchStatus(text); });
}

void MeasurementSession::setPublisher(PollPublisher* publisher) {
    m_publisher = publisher;
    if (m_publisher && ModelCode != 0)
        m_publisher->setChannels(publishedChannels(ModelCode, HeadCode));
}

void MeasurementSession::searchStatus(const QString& text) {
    if (!m_detectionFailed)
        emit statusText(3, text);
}

void MeasurementSession::setSettings(const SessionSettings& settings) {
    whenIdle([this, settings] {
        // The interval follows only a change of its own: a run's timer may have been set
        // directly since (tests, benchmarks).
        if (settings.pollIntervalMs != m_settings.pollIntervalMs)
            m_interval->setInterval(settings.pollIntervalMs);
        m_settings = settings;
    });
}

bool MeasurementSession::isRunning() const {
    return m_interval->isActive() || m_period->isActive();
}

void MeasurementSession::request(ExchangeKind kind, bool newRelinkPass) {
    m_exchanging = true;
    ExchangeRequest r;
    r.kind = kind;
    r.portNumber = m_portNumber;
    r.modelCode = ModelCode;
    r.headCode = HeadCode;
    r.newRelinkPass = newRelinkPass;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, r] { worker->perform(r); });
}

void MeasurementSession::exchangeDone(const ExchangeResult& result) {
    m_exchanging = false;
    if (m_ended)
        return;
    switch (result.kind) {
    case ExchangeKind::Detect:
        detectionAnswered(result);
        break;
    case ExchangeKind::StartProbe:
        startAnswered(result.answered);
        break;
    case ExchangeKind::StopProbe:
    case ExchangeKind::StopCommand:
        break; // the outcome changes nothing
    case ExchangeKind::Poll:
        pollAnswered(result);
        break;
    case ExchangeKind::Relink:
        relinkAnswered(result);
        break;
    }
    runDeferred();
}

void MeasurementSession::whenIdle(std::function<void()> action) {
    if (m_ended)
        return;
    if (m_exchanging)
        m_deferred.push_back(std::move(action));
    else
        action();
}

void MeasurementSession::runDeferred() {
    while (!m_exchanging && !m_deferred.empty()) {
        auto action = std::move(m_deferred.front());
        m_deferred.pop_front();
        action();
    }
}

void MeasurementSession::detectTick() {
    if (m_exchanging || m_ended || !DetectionGate())
        return;
    if (ComPort.InstrumentFound.load(std::memory_order_acquire) != 1) {
        // A failed detection's text stays until the search finds an instrument again.
        if (!m_detectionFailed)
            emit statusText(3, QStringLiteral("Прибор не найден"));
        return;
    }
    m_detectionFailed = false;
    if (m_search)
        m_search->Suspend();
    emit statusText(3, QStringLiteral("Определение конфигурации"));
    m_portNumber = ComPort.PortNumber;
    ComPort.PortLabel = PortName(m_portNumber);
    emit statusText(0, ComPort.PortLabel);
    m_detect->stop();
    request(ExchangeKind::Detect);
}

void MeasurementSession::detectionAnswered(const ExchangeResult& result) {
    emit deviceChanged(result.device);
    const DetectionReply& reply = result.reply;
    if (!reply.answered) {
        // The instrument answered the search's probe but not the queries: nothing is
        // enabled, and the search starts over, so that the instrument is detected as
        // soon as it answers rather than only after a restart of the program.
        emit statusText(3, QStringLiteral("Нет отклика от прибора"));
        m_detectionFailed = true;
        ComPort.InstrumentFound.store(0, std::memory_order_release);
        m_detect->start();
        if (m_search)
            m_search->Resume();
        return;
    }
    ModelCode = reply.model;
    HeadCode = reply.head;
    if (reply.headAsked) {
        if (const auto head = FindHead(HeadCode))
            emit statusText(2, head->text);
    }
    const auto model = FindModel(ModelCode);
    if (model)
        emit statusText(1, model->name);
    if (m_publisher)
        m_publisher->setChannels(publishedChannels(ModelCode, HeadCode));
    emit detected(ModelCode, HeadCode, reply.headAsked);
    emit statusText(3, QStringLiteral("Для начала работы нажмите старт"));
}

void MeasurementSession::clear() {
    whenIdle([this] { doClear(); });
}

void MeasurementSession::doClear() {
    Log.clear();
    m_recording->clear();
    m_pollsLogged = 0;
    emit cleared();
}
