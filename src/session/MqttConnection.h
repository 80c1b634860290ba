#pragma once

#include "MqttSettings.h"
#include "PublishedPoll.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <memory>

class MqttOutbox;
struct mosquitto;

// The link to the broker, on the publisher's thread: name lookup, connecting, TLS, the
// publishing of what the outbox holds, and reconnecting. libmosquitto runs here without
// a thread of its own: its socket is watched by this thread's event loop, so nothing of
// the network ever runs on the thread that hands in the polls.
class MqttConnection : public QObject {
    Q_OBJECT
public:
    MqttConnection(MqttSettings settings, MqttOutbox* outbox);
    ~MqttConnection() override;

public slots:
    void start();
    // The outbox has something new, or the channels changed.
    void flush();
    void setChannels(const QList<PublishedChannel>& channels);
    // Says offline, lets it go out for a moment at most, disconnects; then finished().
    void finish();

signals:
    void stopped(const QString& reason);
    void resumed();
    void finished();

private:
    enum class State { Waiting, Connecting, Connected, Finishing };

    void connectToBroker();
    void connectionFailed(const QString& reason);
    void connected();
    void afterLoop(int rc);
    void publishPending();
    void publishDiscovery();
    int publish(const QString& topic, const QByteArray& payload);
    void watchSocket();
    void closeSocket();
    void readable();
    void writable();
    void misc();
    QString failureReason(int rc) const;

    static void onConnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);

    const MqttSettings m_settings;
    const QString m_prefix;
    const QByteArray m_clientId;
    MqttOutbox* const m_outbox;
    QByteArray m_password;

    mosquitto* m_mosq = nullptr;
    State m_state = State::Waiting;
    int m_connack = -1;    // the broker's answer to our CONNECT, once it came
    bool m_outage = false; // stopped() said, resumed() not yet
    int m_retryMs = 0;
    std::unique_ptr<QSocketNotifier> m_read;
    std::unique_ptr<QSocketNotifier> m_write;
    QTimer m_misc;
    QTimer m_retry;
    QTimer m_answerDeadline;
    QTimer m_finishDeadline;
    QElapsedTimer m_clock;

    // Sent but not acknowledged, in publishing order: put back if the link drops.
    struct InFlight {
        int mid;
        qint64 sentMs; // on m_clock
        PublishedPoll poll;
    };
    std::deque<InFlight> m_inFlight;
    int m_statusMid = -1; // "offline" at the end, until acknowledged

    QList<PublishedChannel> m_channels;
    QStringList m_discovered; // keys with a config on the broker from this run
    bool m_discoveryDue = false;
};
