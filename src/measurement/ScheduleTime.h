#pragma once

#include <QString>
#include <QTime>

#include <optional>

// The daily schedule compares the clock with the start and end fields at minute
// resolution. Both sides are brought to two-digit 24-hour "HH:mm" first, so that a
// system clock without leading zeros or with AM/PM, and a field typed as " 8:30",
// "8:30" or "08:30", still meet.

QString scheduleClockText(const QTime& now);

// The field's time as "HH:mm", or nothing for a blank, partial or impossible time
// (which then never matches).
std::optional<QString> normaliseScheduleField(const QString& text);

struct ScheduleAction {
    bool startPolling = false; // the clock is at the start time
    bool endRun = false;       // the clock is at the end time (checked after the start)
};

ScheduleAction scheduleTick(const QTime& now, const QString& startField, const QString& endField);
