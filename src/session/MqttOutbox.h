#pragma once

#include "PublishedPoll.h"

#include <QList>
#include <QMutex>

#include <atomic>
#include <deque>

// The polls waiting for the broker, bounded by our own count: a broker that is down or
// never acknowledges must not make the program's memory grow. Beyond the limit the
// oldest poll goes, so the newest always reaches the broker once it is back.
class MqttOutbox {
public:
    explicit MqttOutbox(int limit);

    // Returns true when the outbox was empty (the publisher's thread needs a wake-up).
    bool put(const PublishedPoll& poll);
    // Polls sent but never acknowledged, ahead of those waiting, in their order.
    void putBack(const QList<PublishedPoll>& polls);
    // Takes up to count polls, oldest first.
    QList<PublishedPoll> take(qsizetype count);
    qsizetype size() const;
    // Polls left out of publishing since the start.
    qint64 dropped() const { return m_dropped.load(std::memory_order_relaxed); }

private:
    void trim();

    const qsizetype m_limit;
    mutable QMutex m_mutex;
    std::deque<PublishedPoll> m_polls;
    std::atomic<qint64> m_dropped{0};
};
