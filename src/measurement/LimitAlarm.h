#pragma once

#include <QString>

// Which limit a value meets or passes, and that limit as it was read.
struct LimitCrossing {
    enum Side { None, Min, Max };
    Side side = None;
    double limit = 0;
    explicit operator bool() const { return side != None; }
};

// The limit test of one channel. The value is compared as the user sees it: rounded to
// tenths (t, RH, V), or the scaled optical value. So a received 23.4, which single
// precision holds just below 23.4, meets a limit of 23.4. Both bounds are inclusive.
// A limit field that holds no number (empty, letters) leaves its bound untested; the
// fields take '.' and ',' alike. A channel whose enable box is clear never alarms.
bool LimitAlarm(float value, bool enabled, const QString& minText, const QString& maxText);

// The same test of an enabled channel, telling which limit was met: the max is tested
// first, so a value that meets both (limits set crosswise) is a max alarm.
LimitCrossing LimitTest(float value, const QString& minText, const QString& maxText);

// The number the limits are compared with.
double limitTestValue(float value);
