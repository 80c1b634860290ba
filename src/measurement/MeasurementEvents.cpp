#include "MeasurementEvents.h"

#include <algorithm>
#include <utility>

MeasurementEvents::MeasurementEvents(MeasurementEvents&& other) noexcept
    : m_events(std::move(other.m_events)), m_openAlarm(other.m_openAlarm),
      m_openMissed(other.m_openMissed), m_stoppedAt(other.m_stoppedAt), m_polled(other.m_polled),
      m_pendingMarks(std::move(other.m_pendingMarks)) {}

MeasurementEvents& MeasurementEvents::operator=(MeasurementEvents&& other) noexcept {
    if (this == &other)
        return *this;
    m_events = std::move(other.m_events);
    m_openAlarm = other.m_openAlarm;
    m_openMissed = other.m_openMissed;
    m_stoppedAt = other.m_stoppedAt;
    m_polled = other.m_polled;
    m_pendingMarks = std::move(other.m_pendingMarks);
    changed(-1);
    return *this;
}

void MeasurementEvents::limitTested(int series, const LimitCrossing& crossing, double value,
                                    const QDateTime& when) {
    if (series < 0 || series >= ChannelCount)
        return;
    qsizetype& open = m_openAlarm[static_cast<std::size_t>(series)];
    if (open >= 0) {
        LogEvent& e = m_events[static_cast<std::size_t>(open)];
        if (crossing.side == e.side) {
            const double further = e.side == LimitCrossing::Max ? std::max(e.extreme, value)
                                                                : std::min(e.extreme, value);
            if (further != e.extreme) {
                e.extreme = further;
                changed(open);
            }
            return;
        }
        e.end = when;
        changed(open);
        open = -1;
    }
    if (!crossing)
        return;
    LogEvent e;
    e.kind = LogEvent::Alarm;
    e.series = series;
    e.side = crossing.side;
    e.limit = crossing.limit;
    e.extreme = value;
    e.start = when;
    add(e);
    open = count() - 1;
}

void MeasurementEvents::pollLogged(const QDateTime& when) {
    // Every point of a poll comes here: only the first finds something to close.
    if (m_openMissed < 0 && !m_stoppedAt.isValid() && m_polled && m_pendingMarks.isEmpty())
        return;
    m_polled = true;
    closeStop(when);
    if (m_openMissed >= 0) {
        m_events[static_cast<std::size_t>(m_openMissed)].end = when;
        changed(m_openMissed);
        m_openMissed = -1;
    }
    for (const QString& text : std::exchange(m_pendingMarks, {})) {
        LogEvent e;
        e.kind = LogEvent::Mark;
        e.text = text;
        e.start = e.end = when;
        add(e);
    }
}

void MeasurementEvents::pollMissed(const QDateTime& when) {
    m_polled = true;
    closeStop(when);
    if (m_openMissed >= 0) {
        ++m_events[static_cast<std::size_t>(m_openMissed)].missedPolls;
        changed(m_openMissed);
        return;
    }
    LogEvent e;
    e.kind = LogEvent::MissedPolls;
    e.missedPolls = 1;
    e.start = when;
    add(e);
    m_openMissed = count() - 1;
}

void MeasurementEvents::runEnded(const QDateTime& when) {
    for (qsizetype& open : m_openAlarm) {
        if (open < 0)
            continue;
        m_events[static_cast<std::size_t>(open)].end = when;
        changed(open);
        open = -1;
    }
    if (m_openMissed >= 0) {
        m_events[static_cast<std::size_t>(m_openMissed)].end = when;
        changed(m_openMissed);
        m_openMissed = -1;
    }
    // A second stop (the stop button after the run already ended) keeps the first.
    if (m_polled && !m_stoppedAt.isValid())
        m_stoppedAt = when;
}

void MeasurementEvents::closeStop(const QDateTime& when) {
    if (!m_stoppedAt.isValid())
        return;
    LogEvent e;
    e.kind = LogEvent::PollingStopped;
    e.start = m_stoppedAt;
    e.end = when;
    m_stoppedAt = QDateTime();
    add(e);
}

void MeasurementEvents::clear() {
    m_events.clear();
    m_openAlarm = filled();
    m_openMissed = -1;
    m_stoppedAt = QDateTime();
    m_polled = false;
    m_pendingMarks.clear();
    changed(-1);
}

QString MeasurementEvents::markText(const QString& text) const {
    const QString t = text.simplified();
    if (!t.isEmpty())
        return t;
    const auto marks = std::count_if(m_events.begin(), m_events.end(),
                                     [](const LogEvent& e) { return e.kind == LogEvent::Mark; });
    return QStringLiteral("Метка %1").arg(marks + m_pendingMarks.size() + 1);
}

void MeasurementEvents::setMark(const QString& text) {
    m_pendingMarks << markText(text);
}

void MeasurementEvents::setMarkAt(const QDateTime& poll, const QString& text) {
    LogEvent e;
    e.kind = LogEvent::Mark;
    e.text = markText(text);
    e.start = e.end = poll;
    const auto at =
        std::upper_bound(m_events.begin(), m_events.end(), poll,
                         [](const QDateTime& t, const LogEvent& x) { return t < x.start; });
    if (at == m_events.end()) {
        add(e);
        return;
    }
    // The events after it move down one: the open ones are found again by their place.
    m_events.insert(at, e);
    reopenFromList();
    changed(-1);
}

bool MeasurementEvents::renameMark(qsizetype index, const QString& text) {
    if (index < 0 || index >= count() || at(index).kind != LogEvent::Mark ||
        text.simplified().isEmpty())
        return false;
    m_events[static_cast<std::size_t>(index)].text = text.simplified();
    changed(index);
    return true;
}

bool MeasurementEvents::removeMark(qsizetype index) {
    if (index < 0 || index >= count() || at(index).kind != LogEvent::Mark)
        return false;
    m_events.erase(m_events.begin() + index);
    reopenFromList();
    changed(-1);
    return true;
}

void MeasurementEvents::append(const LogEvent& event) {
    m_polled = true;
    add(event);
    if (!event.isOpen())
        return;
    if (event.kind == LogEvent::Alarm && event.series >= 0 && event.series < ChannelCount)
        m_openAlarm[static_cast<std::size_t>(event.series)] = count() - 1;
    else if (event.kind == LogEvent::MissedPolls)
        m_openMissed = count() - 1;
}

void MeasurementEvents::restore(std::vector<LogEvent> events) {
    m_events = std::move(events);
    m_stoppedAt = QDateTime();
    m_polled = !m_events.empty();
    reopenFromList();
    changed(-1);
}

void MeasurementEvents::reopenFromList() {
    m_openAlarm = filled();
    m_openMissed = -1;
    for (qsizetype i = 0; i < count(); ++i) {
        const LogEvent& e = at(i);
        if (!e.isOpen())
            continue;
        if (e.kind == LogEvent::Alarm && e.series >= 0 && e.series < ChannelCount)
            m_openAlarm[static_cast<std::size_t>(e.series)] = i;
        else if (e.kind == LogEvent::MissedPolls)
            m_openMissed = i;
    }
}

int MeasurementEvents::addObserver(Observer observer) {
    m_observers.emplace(m_nextObserver, std::move(observer));
    return m_nextObserver++;
}

void MeasurementEvents::removeObserver(int id) {
    m_observers.erase(id);
}

void MeasurementEvents::add(const LogEvent& event) {
    m_events.push_back(event);
    changed(count() - 1);
}

void MeasurementEvents::changed(qsizetype index) {
    for (const auto& [id, observer] : m_observers)
        observer(index);
}
