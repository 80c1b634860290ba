#pragma once

#include "MqttSettings.h"
#include "PollPublisher.h"

#include <QObject>

#include <memory>

class MqttConnection;
class MqttOutbox;
class QThread;

// Publishes every poll to an MQTT broker from a thread of its own: the caller only puts
// the poll in a bounded outbox, so a slow, refusing or dead broker never holds up a poll.
// Each poll is one retained JSON object on <prefix>/state; <prefix>/status says online or,
// by the broker's last will, offline.
class MqttPublisher : public QObject, public PollPublisher {
    Q_OBJECT
public:
    explicit MqttPublisher(const MqttSettings& settings, QObject* parent = nullptr);
    // Says offline to the broker (a second at most) and ends the thread.
    ~MqttPublisher() override;

    void enqueue(const PublishedPoll& poll) override;
    void setChannels(const QList<PublishedChannel>& channels) override;

    // Polls left out of publishing because more waited than the settings' limit.
    qint64 droppedPolls() const;

signals:
    // Once per outage, with why in Russian ("брокер не принял имя пользователя или пароль").
    void publishingStopped(const QString& reason);
    // Once, when the broker takes polls again after publishingStopped.
    void publishingResumed();

private:
    std::unique_ptr<MqttOutbox> m_outbox;
    QThread* m_thread = nullptr;
    MqttConnection* m_connection = nullptr;
};
