#pragma once

#include <QString>
#include <QTime>

#include <array>

// A limit as the user typed it: the texts keep the regional decimal separator, and a text
// that is no number never alarms.
struct LimitSetting {
    bool enabled = false;
    QString min;
    QString max;
};

// What a run needs of the user's settings, as plain values: the settings window (or the
// logger's command line) writes them when they change, and the run reads them at each poll.
struct SessionSettings {
    std::array<LimitSetting, 10> limits{}; // by series; only measured channels are tested
    int pollIntervalMs = 3000;
    bool scheduled = false; // polls only within a daily window
    QTime windowStart;      // invalid: the window never opens
    QTime windowEnd;        // invalid: the window never closes
    bool rideOutLinkFaults = false;
};
