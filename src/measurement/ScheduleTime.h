#pragma once

#include <QString>
#include <QTime>

#include <optional>

// The daily schedule compares the clock with the start and end times at minute
// resolution, as times of day: no regional time format (one-digit hours, AM/PM) can make
// a window that starts before 10:00 miss its start.

// The time a start or end field holds (" 8:30", "8:30", "_8:30" or "08:30"), or nothing
// for a blank, partial or impossible time (which then never matches).
std::optional<QTime> scheduleFieldTime(const QString& text);

struct ScheduleAction {
    bool startPolling = false; // the clock is at the start time
    bool endRun = false;       // the clock is at the end time (checked after the start)
};

// An invalid start or end never matches.
ScheduleAction scheduleTick(const QTime& now, const QTime& start, const QTime& end);
