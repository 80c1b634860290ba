#include "MqttPublisher.h"

#include "MqttConnection.h"
#include "MqttOutbox.h"

#include <QThread>

MqttPublisher::MqttPublisher(const MqttSettings& settings, QObject* parent)
    : QObject(parent), m_outbox(std::make_unique<MqttOutbox>(settings.queueLimit)),
      m_thread(new QThread(this)), m_connection(new MqttConnection(settings, m_outbox.get())) {
    m_thread->setObjectName(QStringLiteral("mqtt"));
    m_connection->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_connection, &MqttConnection::start);
    // Direct: the owner waits for the thread and runs no events meanwhile.
    connect(m_connection, &MqttConnection::finished, m_thread, &QThread::quit,
            Qt::DirectConnection);
    connect(m_thread, &QThread::finished, m_connection, &QObject::deleteLater);
    connect(m_connection, &MqttConnection::stopped, this, &MqttPublisher::publishingStopped);
    connect(m_connection, &MqttConnection::resumed, this, &MqttPublisher::publishingResumed);
    m_thread->start();
}

MqttPublisher::~MqttPublisher() {
    QMetaObject::invokeMethod(m_connection, &MqttConnection::finish, Qt::QueuedConnection);
    m_thread->wait();
}

void MqttPublisher::enqueue(const PublishedPoll& poll) {
    if (m_outbox->put(poll))
        QMetaObject::invokeMethod(m_connection, &MqttConnection::flush, Qt::QueuedConnection);
}

void MqttPublisher::setChannels(const QList<PublishedChannel>& channels) {
    MqttConnection* connection = m_connection;
    QMetaObject::invokeMethod(
        connection, [connection, channels] { connection->setChannels(channels); },
        Qt::QueuedConnection);
}

qint64 MqttPublisher::droppedPolls() const {
    return m_outbox->dropped();
}
