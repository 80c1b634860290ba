#pragma once

#include <QString>

#include <utility>
#include <vector>

class MeasurementLog;

// What the measurement protocol is about, as the user fills it in: kept among the log's
// details, so that it goes into the recording and the measurement file and is emptied
// with the log.
struct ProtocolDetails {
    QString organisation;
    QString department;
    QString workplace;
    QString document; // the norm document's name
    QString category; // the work category of its rows
    QString period;   // "холодный" or "тёплый"
    QString measuredBy;
    QString remark;

    // The protocol is made once a norm row is chosen.
    bool isFilled() const {
        return !document.isEmpty() && !category.isEmpty() && !period.isEmpty();
    }

    static ProtocolDetails fromLog(const MeasurementLog& log);
    // The keys and their values, in the order the window shows them.
    std::vector<std::pair<QString, QString>> keyedValues() const;
};
