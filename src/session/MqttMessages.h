#pragma once

#include "PublishedPoll.h"

#include <QByteArray>
#include <QString>

// The payloads that go to the broker, built apart from the connection.
namespace MqttMessages {

// ISO 8601 with the offset from UTC always written out ("2026-12-09T08:15:00+03:00"):
// a reader elsewhere cannot guess our time zone.
QString isoTime(const QDateTime& time);

// One poll as one JSON object: "time", one number per channel carried, "alarm".
QByteArray state(const PublishedPoll& poll);

// Where a channel's discovery config lives for the node.
QString discoveryTopic(const QString& node, const QString& key);

// A dashboard's sensor for one channel, read from the state topic.
QByteArray discoveryConfig(const PublishedChannel& channel, const QString& node,
                           const QString& prefix);

// A node id for discovery made of the prefix: letters, digits, '_' and '-' only.
QString nodeId(const QString& prefix);

} // namespace MqttMessages
