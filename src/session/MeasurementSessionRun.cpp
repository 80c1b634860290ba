// Run control: start and stop, the daily window, and runs that ride out link faults (a
// missed poll leaves a gap instead of ending the run, and a port that went away is looked
// for again until the same instrument answers).
#include "MeasurementSession.h"

#include "link/ConfigurationDetection.h"
#include "link/Unitcomport.h"
#include "measurement/ScheduleTime.h"
#include "recording/RecordingWriter.h"

#include <QTimer>

namespace {
const QString NoAnswer = QStringLiteral("Нет отклика от прибора");

// The model's name and, for the model with heads, the head's label: "ДАРЕН/25, гол.1".
QString configurationName(const DetectionReply& reply) {
    const auto model = FindModel(reply.model);
    if (!model)
        return {};
    QString name = model->name;
    if (reply.model == ModelWithHeads) {
        if (const auto head = FindHead(reply.head))
            name += QStringLiteral(", ") + head->text;
    }
    return name;
}
} // namespace

void MeasurementSession::setRunning(bool interval, bool period) {
    const bool was = isRunning();
    if (!interval)
        m_interval->stop();
    if (!period)
        m_period->stop();
    if (period && !m_period->isActive())
        m_period->start();
    if (interval && !m_interval->isActive())
        m_interval->start();
    if (was != isRunning())
        emit runStateChanged(isRunning());
}

void MeasurementSession::startStop() {
    whenIdle([this] { doStartStop(); });
}

void MeasurementSession::doStartStop() {
    if (!m_settings.scheduled) {
        if (!m_interval->isActive()) {
            m_startScheduled = false;
            request(ExchangeKind::StartProbe);
        } else {
            Log.events().runEnded(now());
            setRunning(false, m_period->isActive());
            emit stoppedByUser();
            emit statusText(3, QStringLiteral(" "));
            request(ExchangeKind::StopProbe);
        }
        return;
    }
    if (!m_period->isActive()) {
        m_startScheduled = true;
        request(ExchangeKind::StartProbe);
    } else {
        Log.events().runEnded(now());
        setRunning(false, false);
        emit stoppedByUser();
        request(ExchangeKind::StopCommand);
    }
}

void MeasurementSession::startAnswered(bool answered) {
    if (m_startScheduled) {
        if (!answered) {
            emit statusText(3, QStringLiteral("Нет отклика от прибора..."));
            return;
        }
        emit statusText(3, QStringLiteral("Соединение прошло успешно, ожидание начала измерений "));
        beginRun();
        setRunning(m_interval->isActive(), true);
        return;
    }
    if (!answered) {
        setRunning(false, m_period->isActive());
        emit statusText(3, NoAnswer);
        return;
    }
    emit statusText(3, QStringLiteral("Соединение прошло успешно"));
    beginRun();
    setRunning(true, m_period->isActive());
    emit statusText(3, QStringLiteral("Чтение каналов"));
}

void MeasurementSession::beginRun() {
    m_missedPolls = 0;
    m_portLost = false;
    emit runStarted();
}

void MeasurementSession::periodTick() {
    whenIdle([this] { doPeriodTick(); });
}

void MeasurementSession::doPeriodTick() {
    if (!m_period->isActive())
        return; // the run ended while the tick waited for an exchange
    const ScheduleAction action =
        scheduleTick(now().time(), m_settings.windowStart, m_settings.windowEnd);
    if (action.startPolling && !m_interval->isActive())
        setRunning(true, true); // enabling an enabled timer changes nothing
    if (action.endRun) {
        Log.events().runEnded(now());
        setRunning(false, false);
    }
}

void MeasurementSession::endRun(const QString& status) {
    Log.events().runEnded(now());
    emit statusText(3, status);
    setRunning(false, false);
}

void MeasurementSession::missedPoll(bool portGone) {
    if (!m_settings.rideOutLinkFaults) {
        m_portLost = false;
        endRun(NoAnswer);
        return;
    }
    if (portGone && !m_portLost) {
        m_portLost = true;
        m_newRelinkPass = true;
    }
    logMissedPoll();
    ++m_missedPolls;
    emit statusText(3, QStringLiteral("%1 (%2)").arg(NoAnswer).arg(m_missedPolls));
    emit pollMissed(m_missedPolls);
}

void MeasurementSession::logMissedPoll() {
    const QDateTime when = now();
    Log.markGap(when);
    m_recording->recordMissed(wallSeconds(when));
}

void MeasurementSession::relinkAnswered(const ExchangeResult& result) {
    if (result.relink) {
        const RelinkSearch::Answer& answer = *result.relink;
        if (!isSameInstrument(answer.reply, ModelCode, HeadCode)) {
            // Its channels may not be this configuration's: only a new detection may poll it.
            m_portLost = false;
            const QString name = configurationName(answer.reply);
            endRun(QStringLiteral("На %1 другой прибор%2, опрос остановлен")
                       .arg(PortName(answer.portNumber),
                            name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(name)));
            return;
        }
        // Back, perhaps under another number or device (the link thread took it over).
        m_portNumber = answer.portNumber;
        emit statusText(0, PortName(answer.portNumber));
        emit deviceChanged(answer.device.path);
        m_portLost = false;
    }
    // The tick polled nothing either way; the next one polls.
    missedPoll(false);
}
