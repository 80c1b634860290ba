#include "MqttConnection.h"

#include "MqttMessages.h"
#include "MqttOutbox.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <mosquitto.h>

#include <algorithm>
#include <mutex>

namespace {

constexpr int KeepAliveSeconds = 30;
// A broker that takes the connection, or a poll, and never answers counts as down after
// this (its keep-alive alone would take a minute to tell while polls keep going out).
constexpr int AnswerTimeoutMs = 10000;
constexpr int FirstRetryMs = 500;
constexpr int LongestRetryMs = 10000;
// Polls handed to libmosquitto and not yet acknowledged: its own queue has no bound.
constexpr qsizetype InFlightLimit = 20;
// At the end, how long the last polls and "offline" may take to go out.
constexpr int FinishTimeoutMs = 1000;

// One id for all the connections of a publisher: a link we gave up on while the broker
// still held it is taken over when we connect again, so its last will ("offline") is
// sent then, before our "online", and never after it.
QByteArray clientId() {
    return "vilta-" + QByteArray::number(QCoreApplication::applicationPid()) + '-' +
           QByteArray::number(QRandomGenerator::global()->bounded(1u << 31), 36);
}

QString reasonText(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

MqttConnection::MqttConnection(MqttSettings settings, MqttOutbox* outbox)
    : m_settings(std::move(settings)), m_prefix(m_settings.effectivePrefix()),
      m_clientId(clientId()), m_outbox(outbox), m_misc(this), m_retry(this), m_answerDeadline(this),
      m_finishDeadline(this) {
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] { mosquitto_lib_init(); });
    m_misc.setInterval(1000);
    m_retry.setSingleShot(true);
    m_answerDeadline.setSingleShot(true);
    m_finishDeadline.setSingleShot(true);
    m_clock.start();
    connect(&m_misc, &QTimer::timeout, this, &MqttConnection::misc);
    connect(&m_retry, &QTimer::timeout, this, &MqttConnection::connectToBroker);
    connect(&m_answerDeadline, &QTimer::timeout, this,
            [this] { connectionFailed(reasonText("брокер не отвечает")); });
    connect(&m_finishDeadline, &QTimer::timeout, this, [this] { connectionFailed({}); });
}

MqttConnection::~MqttConnection() {
    closeSocket();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

void MqttConnection::start() {
    if (!m_settings.passwordFile.isEmpty()) {
        QFile file(m_settings.passwordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            m_outage = true;
            emit stopped(reasonText("не удалось прочитать файл пароля"));
            return;
        }
        // The first line, without its line end: a file written by `echo` ends in one.
        m_password = file.readLine();
        while (m_password.endsWith('\n') || m_password.endsWith('\r'))
            m_password.chop(1);
    }
    connectToBroker();
}

void MqttConnection::connectToBroker() {
    closeSocket();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
    // A fresh client for every attempt: nothing of a dropped link is resent behind our
    // back, so the polls go out in their order and the newest is the last retained.
    m_mosq = mosquitto_new(m_clientId.constData(), true, this);
    if (!m_mosq) {
        connectionFailed(reasonText("брокер недоступен"));
        return;
    }
    mosquitto_connect_callback_set(m_mosq, &MqttConnection::onConnect);
    mosquitto_publish_callback_set(m_mosq, &MqttConnection::onPublish);
    const QByteArray status = (m_prefix + QStringLiteral("/status")).toUtf8();
    mosquitto_will_set(m_mosq, status.constData(), 7, "offline", 1, true);
    if (!m_settings.user.isEmpty()) {
        mosquitto_username_pw_set(m_mosq, m_settings.user.toUtf8().constData(),
                                  m_settings.passwordFile.isEmpty() ? nullptr
                                                                    : m_password.constData());
    }
    if (!m_settings.caFile.isEmpty()) {
        // Peer verification and the host name check are libmosquitto's defaults with a CA.
        if (mosquitto_tls_set(m_mosq, QFile::encodeName(m_settings.caFile).constData(), nullptr,
                              nullptr, nullptr, nullptr) != MOSQ_ERR_SUCCESS) {
            connectionFailed(reasonText("не удалось прочитать файл сертификата"));
            return;
        }
        mosquitto_tls_insecure_set(m_mosq, false);
    }
    m_connack = -1;
    m_state = State::Connecting;
    const int rc = mosquitto_connect_async(m_mosq, m_settings.host.toUtf8().constData(),
                                           m_settings.effectivePort(), KeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        connectionFailed(failureReason(rc));
        return;
    }
    m_answerDeadline.start(AnswerTimeoutMs);
    m_misc.start();
    watchSocket();
}

void MqttConnection::connected() {
    m_state = State::Connected;
    m_answerDeadline.stop();
    m_retryMs = 0;
    publish(m_prefix + QStringLiteral("/status"), QByteArrayLiteral("online"));
    m_discoveryDue = m_settings.haDiscovery;
    publishPending();
    if (m_outage) {
        m_outage = false;
        emit resumed();
    }
}

void MqttConnection::connectionFailed(const QString& reason) {
    m_answerDeadline.stop();
    m_misc.stop();
    m_finishDeadline.stop();
    closeSocket();
    if (m_mosq) {
        mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
    }
    // What the broker never acknowledged goes again, ahead of what waits.
    QList<PublishedPoll> unacknowledged;
    for (InFlight& sent : m_inFlight)
        unacknowledged.append(std::move(sent.poll));
    m_inFlight.clear();
    m_outbox->putBack(unacknowledged);
    if (m_state == State::Finishing) {
        emit finished();
        return;
    }
    m_state = State::Waiting;
    if (!m_outage) {
        m_outage = true;
        emit stopped(reason);
    }
    m_retryMs = m_retryMs == 0 ? FirstRetryMs : std::min(2 * m_retryMs, LongestRetryMs);
    m_retry.start(m_retryMs);
}

void MqttConnection::afterLoop(int rc) {
    if (m_state == State::Connecting && m_connack >= 0) {
        if (m_connack == 0) {
            connected();
        } else {
            // 4: bad user name or password; 5: not authorised (what a wrong password
            // gets from most brokers).
            connectionFailed(m_connack == 4 || m_connack == 5
                                 ? reasonText("брокер не принял имя пользователя или пароль")
                                 : reasonText("брокер отклонил подключение"));
            return;
        }
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        connectionFailed(failureReason(rc));
        return;
    }
    if (m_state == State::Connected)
        publishPending();
    if (m_state == State::Finishing && m_statusMid < 0) {
        mosquitto_disconnect(m_mosq);
        connectionFailed({});
        return;
    }
    watchSocket();
}

void MqttConnection::flush() {
    publishPending();
    watchSocket();
}

void MqttConnection::setChannels(const QList<PublishedChannel>& channels) {
    m_channels = channels;
    m_discoveryDue = m_settings.haDiscovery;
    publishPending();
    watchSocket();
}

void MqttConnection::finish() {
    m_retry.stop();
    m_answerDeadline.stop();
    if (m_state != State::Connected) {
        m_state = State::Finishing;
        connectionFailed({});
        return;
    }
    publishPending();
    m_statusMid = publish(m_prefix + QStringLiteral("/status"), QByteArrayLiteral("offline"));
    m_state = State::Finishing;
    if (m_statusMid < 0) {
        connectionFailed({});
        return;
    }
    m_finishDeadline.start(FinishTimeoutMs);
    watchSocket();
}

void MqttConnection::publishPending() {
    if (m_state != State::Connected)
        return;
    if (m_discoveryDue)
        publishDiscovery();
    const QString topic = m_prefix + QStringLiteral("/state");
    while (qsizetype(m_inFlight.size()) < InFlightLimit) {
        QList<PublishedPoll> polls = m_outbox->take(InFlightLimit - qsizetype(m_inFlight.size()));
        if (polls.isEmpty())
            return;
        for (qsizetype i = 0; i < polls.size(); ++i) {
            const int mid = publish(topic, MqttMessages::state(polls[i]));
            if (mid < 0) {
                // The link is going; the loop says so next and the polls wait for it.
                m_outbox->putBack(polls.mid(i));
                return;
            }
            m_inFlight.push_back({mid, m_clock.elapsed(), std::move(polls[i])});
        }
    }
}

void MqttConnection::publishDiscovery() {
    m_discoveryDue = false;
    const QString node = MqttMessages::nodeId(m_prefix);
    QStringList keys;
    for (const PublishedChannel& channel : m_channels) {
        publish(MqttMessages::discoveryTopic(node, channel.key),
                MqttMessages::discoveryConfig(channel, node, m_prefix));
        keys << channel.key;
    }
    // A channel the instrument no longer carries leaves the dashboard: an empty retained
    // message removes its config.
    for (const QString& key : std::as_const(m_discovered)) {
        if (!keys.contains(key))
            publish(MqttMessages::discoveryTopic(node, key), QByteArray());
    }
    m_discovered = keys;
}

int MqttConnection::publish(const QString& topic, const QByteArray& payload) {
    int mid = -1;
    const int rc = mosquitto_publish(m_mosq, &mid, topic.toUtf8().constData(), int(payload.size()),
                                     payload.constData(), 1, true);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttConnection::watchSocket() {
    if (!m_mosq)
        return;
    const int socket = mosquitto_socket(m_mosq);
    if (socket < 0) {
        closeSocket();
        return;
    }
    if (!m_read || m_read->socket() != socket) {
        closeSocket();
        m_read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        m_write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        connect(m_read.get(), &QSocketNotifier::activated, this, &MqttConnection::readable);
        connect(m_write.get(), &QSocketNotifier::activated, this, &MqttConnection::writable);
    }
    m_write->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttConnection::closeSocket() {
    m_read.reset();
    m_write.reset();
}

void MqttConnection::readable() {
    afterLoop(mosquitto_loop_read(m_mosq, 1));
}

void MqttConnection::writable() {
    afterLoop(mosquitto_loop_write(m_mosq, 1));
}

void MqttConnection::misc() {
    if (m_mosq)
        afterLoop(mosquitto_loop_misc(m_mosq));
    if (m_state == State::Connected && !m_inFlight.empty() &&
        m_clock.elapsed() - m_inFlight.front().sentMs > AnswerTimeoutMs)
        connectionFailed(reasonText("брокер не отвечает"));
}

QString MqttConnection::failureReason(int rc) const {
    switch (rc) {
    case MOSQ_ERR_TLS:
        return reasonText("сертификат брокера не прошёл проверку");
    case MOSQ_ERR_EAI:
        return reasonText("имя брокера не найдено");
    case MOSQ_ERR_KEEPALIVE:
        return reasonText("брокер не отвечает");
    default:
        return reasonText("брокер недоступен");
    }
}

void MqttConnection::onConnect(mosquitto*, void* self, int rc) {
    static_cast<MqttConnection*>(self)->m_connack = rc;
}

void MqttConnection::onPublish(mosquitto*, void* self, int mid) {
    auto* connection = static_cast<MqttConnection*>(self);
    if (mid == connection->m_statusMid) {
        connection->m_statusMid = -1;
        return;
    }
    auto& inFlight = connection->m_inFlight;
    const auto sent = std::find_if(inFlight.begin(), inFlight.end(),
                                   [mid](const InFlight& s) { return s.mid == mid; });
    if (sent != inFlight.end())
        inFlight.erase(sent);
}
