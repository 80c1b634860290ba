#pragma once

#include "measurement/Channel.h"

#include <QDateTime>
#include <QString>

#include <array>

// What the report needs besides the log, as the windows show it when it is made.
struct ReportSource {
    struct Limits {
        bool enabled = false;
        QString minText;
        QString maxText;
    };

    QString program; // name and version, as the main window's title
    QString model;   // the instrument's model, as the status bar names it
    QString head;    // the measuring head, the same
    int pollIntervalMs = 0;
    std::array<Limits, ChannelCount> limits{};
    QDateTime made;
};
