#include "LoggerRun.h"

#include "StopRequest.h"
#include "link/ConfigurationDetection.h"
#include "link/Unitcomport.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordingWriter.h"
#include "session/MeasurementSession.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr int StopCheckMs = 250;
const QString NoAnswer = QStringLiteral("Нет отклика от прибора");

} // namespace

LoggerRun::LoggerRun(const LoggerOptions& options, MeasurementSession& session, QObject* parent)
    : QObject(parent), m_options(options), m_session(session), m_printer(options.csv, stdout) {
    m_searchTimeout.setSingleShot(true);
    m_searchTimeout.setInterval(options.searchTimeoutS * 1000);
    connect(&m_searchTimeout, &QTimer::timeout, this, [this] {
        if (m_found)
            return;
        message(QStringLiteral("Прибор не найден за %1 с.").arg(m_options.searchTimeoutS));
        end(LoggerOptions::ExitUnavailable);
    });
    m_stopCheck.setInterval(StopCheckMs);
    connect(&m_stopCheck, &QTimer::timeout, this, [this] {
        if (StopRequest::requested() && !m_ending)
            end(0);
    });

    connect(&m_session, &MeasurementSession::detected, this, &LoggerRun::detected);
    connect(&m_session, &MeasurementSession::runStateChanged, this, &LoggerRun::runStateChanged);
    connect(&m_session, &MeasurementSession::statusText, this,
            [this](int panel, const QString& text) {
                if (panel == 3)
                    status(text);
            });
    connect(&m_session, &MeasurementSession::pollShown, this, [this](const ShownPoll& poll) {
        m_statusSincePoll.clear();
        m_printer.shown(poll);
        if (m_options.polls > 0 && ++m_polls >= m_options.polls && !m_ending)
            end(0);
    });
    connect(&m_session, &MeasurementSession::pollMissed, this, [this](int inRow) {
        m_statusSincePoll.clear();
        message(QStringLiteral("Прибор не ответил (пропущено опросов подряд: %1).").arg(inRow));
    });
    RecordingWriter* recording = m_session.recording();
    connect(recording, &RecordingWriter::pollWritten, this, [this] { m_printer.written(); });
    connect(recording, &RecordingWriter::stopped, this, [this](const QString& reason) {
        message(QStringLiteral("Запись в файл остановлена: %1. Опрос продолжается.").arg(reason));
        m_printer.unwritable();
    });
}

void LoggerRun::start() {
    StopRequest::install();
    m_stopCheck.start();
    m_searchTimeout.start();
    if (m_options.port != 0) {
        // The port is known: no search, the detection asks it at once.
        ComPort.PortNumber = static_cast<std::int8_t>(m_options.port);
        ComPort.InstrumentFound.store(1, std::memory_order_release);
        m_session.detectTick();
    }
}

void LoggerRun::status(const QString& text) {
    m_statusSincePoll = text;
    if (m_found || m_ending || !text.startsWith(NoAnswer) || m_options.port == 0)
        return;
    // Without a search nobody else finds the instrument again: the next detection tick asks
    // the same port, until the search time is over.
    ComPort.InstrumentFound.store(1, std::memory_order_release);
}

void LoggerRun::detected(std::int8_t model, std::int8_t head, bool headAsked) {
    if (m_found || m_ending)
        return;
    m_found = true;
    m_searchTimeout.stop();
    const auto modelRow = FindModel(model);
    const auto headRow = headAsked ? FindHead(head) : std::nullopt;
    const QString modelName =
        modelRow ? modelRow->name
                 : QStringLiteral("0x%1").arg(uint(quint8(model)), 2, 16, QChar(u'0'));
    const QString headName = headRow ? headRow->text : QString();
    if (!fileFitsInstrument(modelName, headName))
        return;
    // As the window names a configuration: "ДАРЕН/25, гол.1".
    QString found = QStringLiteral("Прибор: %1").arg(modelName);
    if (!headName.isEmpty())
        found += QStringLiteral(", ") + headName;
    found += QStringLiteral(" (%1)").arg(PortName(ComPort.PortNumber));
    if (m_options.csv) {
        message(found); // the standard output is the CSV alone
    } else {
        std::fputs(qPrintable(found + u'\n'), stdout);
        std::fflush(stdout);
    }

    m_session.setSettings(m_options.settings());
    recordRunDetails(modelName, headName);
    m_session.startStop();
    if (m_options.scheduled)
        message(QStringLiteral("Измерения в период %1-%2.")
                    .arg(m_options.windowStart.toString(u"HH:mm"),
                         m_options.windowEnd.toString(u"HH:mm")));
}

bool LoggerRun::fileFitsInstrument(const QString& model, const QString& head) {
    const MeasurementLog& log = m_session.log();
    const QString fileModel = log.detail(MeasurementFile::modelCodeKey());
    const QString fileHead = log.detail(MeasurementFile::headCodeKey());
    if ((fileModel.isEmpty() && fileHead.isEmpty()) ||
        (fileModel == QString::number(m_session.ModelCode) &&
         fileHead == QString::number(m_session.HeadCode)))
        return true;
    message(QStringLiteral("Файл «%1» записан прибором %2 (%3), а подключён прибор %4 (%5): "
                           "продолжить его нельзя.")
                .arg(m_options.out, log.detail(MeasurementFile::modelKey()),
                     log.detail(MeasurementFile::headKey()), model, head));
    end(LoggerOptions::ExitCantCreate);
    return false;
}

void LoggerRun::recordRunDetails(const QString& model, const QString& head) {
    MeasurementLog& log = m_session.log();
    const SessionSettings s = m_options.settings();
    log.setDetail(MeasurementFile::versionKey(), QStringLiteral(VILTA_VERSION));
    log.setDetail(MeasurementFile::modelKey(), model);
    log.setDetail(MeasurementFile::headKey(), head);
    log.setDetail(MeasurementFile::modelCodeKey(), QString::number(m_session.ModelCode));
    log.setDetail(MeasurementFile::headCodeKey(), QString::number(m_session.HeadCode));
    log.setDetail(MeasurementFile::intervalKey(), QString::number(s.pollIntervalMs));
    log.setDetail(MeasurementFile::windowKey(),
                  s.scheduled
                      ? s.windowStart.toString(u"HH:mm") + u'-' + s.windowEnd.toString(u"HH:mm")
                      : QString());
    for (int i = 0; i < static_cast<int>(s.limits.size()); ++i) {
        const LimitSetting& limit = s.limits[static_cast<std::size_t>(i)];
        log.setDetail(MeasurementFile::limitKey(i, "enabled"),
                      limit.enabled ? QStringLiteral("1") : QString());
        log.setDetail(MeasurementFile::limitKey(i, "min"), limit.enabled ? limit.min : QString());
        log.setDetail(MeasurementFile::limitKey(i, "max"), limit.enabled ? limit.max : QString());
    }
    m_session.recording()->writeDetails(log.details());
}

void LoggerRun::runStateChanged(bool running) {
    if (m_ending || !m_found)
        return;
    if (running) {
        m_statusSincePoll.clear();
        return;
    }
    // The run ended by itself: at the end of the daily window (nothing said), or the
    // instrument no longer answers or another one answers (a run that rides out link
    // faults goes on through missed polls).
    if (m_options.scheduled && m_statusSincePoll.trimmed().isEmpty()) {
        message(QStringLiteral("Период измерений закончился."));
        end(0);
        return;
    }
    message(QStringLiteral("%1: измерения прекращены.")
                .arg(m_statusSincePoll.isEmpty() ? NoAnswer : m_statusSincePoll));
    end(LoggerOptions::ExitIoError);
}

void LoggerRun::end(int status) {
    m_ending = true;
    m_status = status;
    m_searchTimeout.stop();
    m_stopCheck.stop();
    // No new exchange starts; the one in flight ends by itself, so that its poll is logged
    // and written too (shutting the session down now would drop it).
    const bool running = m_session.isRunning();
    m_session.detectionTimer()->stop();
    m_session.intervalTimer()->stop();
    m_session.periodTimer()->stop();
    if (running)
        m_session.log().events().runEnded(m_session.Clock());
    finishWhenIdle();
}

void LoggerRun::finishWhenIdle() {
    if (m_session.isExchanging()) {
        QTimer::singleShot(StopCheckMs / 4, this, &LoggerRun::finishWhenIdle);
        return;
    }
    m_session.shutdown();
    // Events changed by the last poll or the end of the run reach the recording as a queued
    // call; then the writer's word that they are in comes back the same way.
    QCoreApplication::sendPostedEvents();
    m_session.recording()->waitUntilWritten();
    QCoreApplication::sendPostedEvents();
    m_printer.flush();
    emit finished(m_status);
}

void LoggerRun::message(const QString& text) {
    std::fputs(qPrintable(QStringLiteral("vilta-logger: ") + text + u'\n'), stderr);
    std::fflush(stderr);
}
