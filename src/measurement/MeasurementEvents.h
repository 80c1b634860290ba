#pragma once

#include "Channel.h"
#include "LogEvent.h"

#include <QDateTime>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <vector>

// The events of the log, oldest first, recorded as the polls happen. An alarm event lasts
// from the poll whose value turns the channel's box red to the first poll that does not
// (or to the end of the run); when the box stays red but the value now meets the other
// limit, that is a new event. Missed polls in a row make one event, ended by the next
// answered poll; a stop of polling followed by a poll makes one event from the stop to
// that poll. A mark is an event at the poll where a measuring point begins.
class MeasurementEvents {
public:
    // Told the index of an event added or changed, or -1 when the whole list was
    // replaced (cleared or restored).
    using Observer = std::function<void(qsizetype index)>;

    MeasurementEvents() = default;
    // The events move, the observers stay with the object they observe: a log put in
    // place of another keeps the windows and recorders that watch it, told -1.
    MeasurementEvents(MeasurementEvents&& other) noexcept;
    MeasurementEvents& operator=(MeasurementEvents&& other) noexcept;
    MeasurementEvents(const MeasurementEvents&) = delete;
    MeasurementEvents& operator=(const MeasurementEvents&) = delete;

    // A channel's limit test at a poll (crossing None: no alarm) and the tested value.
    void limitTested(int series, const LimitCrossing& crossing, double value,
                     const QDateTime& when);
    // A poll that logged points; the log tells this for every point it takes.
    void pollLogged(const QDateTime& when);
    // A poll the instrument did not answer while the run went on.
    void pollMissed(const QDateTime& when);
    // The run ended: open alarms and missed-poll stretches end here, and the next poll
    // closes a stop event.
    void runEnded(const QDateTime& when);
    void clear();

    // The user's marks. A mark set now applies from the next logged poll on (the
    // instrument has just been moved): until then it waits, also through a stop (clearing
    // the log drops it). Empty text gives "Метка N". A mark at a chosen poll goes in time
    // order among the events.
    void setMark(const QString& text);
    void setMarkAt(const QDateTime& poll, const QString& text);
    // Only marks are renamed or removed; false for any other event or an empty text.
    bool renameMark(qsizetype index, const QString& text);
    bool removeMark(qsizetype index);

    // For a recording of the log: takes an event as it was recorded, or a whole list
    // back. Open events stay open; a program that ended without closing them calls
    // runEnded with the last time it knows.
    void append(const LogEvent& event);
    void restore(std::vector<LogEvent> events);

    const std::vector<LogEvent>& all() const { return m_events; }
    qsizetype count() const { return static_cast<qsizetype>(m_events.size()); }
    const LogEvent& at(qsizetype i) const { return m_events[static_cast<std::size_t>(i)]; }

    int addObserver(Observer observer);
    void removeObserver(int id);

private:
    void add(const LogEvent& event);
    void changed(qsizetype index);
    void closeStop(const QDateTime& when);
    void reopenFromList();
    QString markText(const QString& text) const;

    std::vector<LogEvent> m_events;
    // Per series the open alarm event, -1 when none.
    std::array<qsizetype, ChannelCount> m_openAlarm = filled();
    qsizetype m_openMissed = -1;
    // When the run last ended, until the next poll; only after a poll was seen.
    QDateTime m_stoppedAt;
    bool m_polled = false;
    QStringList m_pendingMarks;
    std::map<int, Observer> m_observers;
    int m_nextObserver = 0;

    static std::array<qsizetype, ChannelCount> filled() {
        std::array<qsizetype, ChannelCount> a{};
        a.fill(-1);
        return a;
    }
};
