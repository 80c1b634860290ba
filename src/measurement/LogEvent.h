#pragma once

#include "LimitAlarm.h"

#include <QDateTime>
#include <QString>

// Something that happened to the log: a channel's value at or beyond a limit, a stretch
// of polls the instrument did not answer, polling stopped and started again, or a mark the
// user set where a measuring point begins. A plain record, so that it can be stored and
// read back as it is.
struct LogEvent {
    enum Kind : quint8 { Alarm, MissedPolls, PollingStopped, Mark };

    Kind kind = Alarm;
    // Alarm: the channel's series index, the limit met, that limit as it read when the
    // event began, and the value furthest beyond it (as the limits are tested).
    int series = -1;
    LimitCrossing::Side side = LimitCrossing::None;
    double limit = 0;
    double extreme = 0;
    // MissedPolls: how many.
    int missedPolls = 0;
    // The alarm poll, the first missed poll, or the end of the run before the stop; the
    // end is the first poll after it (or the end of the run), invalid while it lasts.
    QDateTime start;
    QDateTime end;
    // Mark: the user's text, never empty once the mark is set. A mark's start is its
    // first poll, the first of the measuring point it begins; its end is the same time.
    QString text{};

    bool isOpen() const { return !end.isValid(); }
    friend bool operator==(const LogEvent&, const LogEvent&) = default;
};
