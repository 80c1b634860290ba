#pragma once

#include <QDateTime>
#include <QString>

#include <algorithm>
#include <array>
#include <optional>

// One poll as the value boxes show it and the log holds it, by series.
struct ShownPoll {
    QDateTime time;
    std::array<std::optional<QString>, 10> texts{}; // what each box this poll wrote shows
    std::array<std::optional<bool>, 10> alarms{};   // the limit-tested series: in alarm or not
    std::array<std::optional<double>, 10> values{}; // what the log took
    bool logged = false;                            // at least one value went into the log

    bool inAlarm() const {
        return std::any_of(alarms.begin(), alarms.end(),
                           [](const std::optional<bool>& a) { return a.value_or(false); });
    }
};
