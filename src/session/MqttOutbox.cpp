#include "MqttOutbox.h"

#include <QMutexLocker>

#include <algorithm>

MqttOutbox::MqttOutbox(int limit) : m_limit(std::max(1, limit)) {}

bool MqttOutbox::put(const PublishedPoll& poll) {
    QMutexLocker lock(&m_mutex);
    const bool wasEmpty = m_polls.empty();
    m_polls.push_back(poll);
    trim();
    return wasEmpty;
}

void MqttOutbox::putBack(const QList<PublishedPoll>& polls) {
    QMutexLocker lock(&m_mutex);
    m_polls.insert(m_polls.begin(), polls.begin(), polls.end());
    trim();
}

QList<PublishedPoll> MqttOutbox::take(qsizetype count) {
    QMutexLocker lock(&m_mutex);
    QList<PublishedPoll> polls;
    while (count-- > 0 && !m_polls.empty()) {
        polls.append(std::move(m_polls.front()));
        m_polls.pop_front();
    }
    return polls;
}

qsizetype MqttOutbox::size() const {
    QMutexLocker lock(&m_mutex);
    return qsizetype(m_polls.size());
}

void MqttOutbox::trim() {
    while (qsizetype(m_polls.size()) > m_limit) {
        m_polls.pop_front();
        m_dropped.fetch_add(1, std::memory_order_relaxed);
    }
}
