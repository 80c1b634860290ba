#pragma once

#include "measurement/LogEvent.h"

#include <QtGlobal>

// An event of the log as the recording keeps it: its place in the list, which a later
// change to the same event (an alarm's extreme, its end) writes over.
struct RecordedEvent {
    qsizetype index = 0;
    LogEvent event;
};
