#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// One logged poll as it goes to a broker: the values as logged, by channel key
// (t, rh, v, tvl, ttr, e, l, uv), and the keys of the channels in alarm.
struct PublishedPoll {
    QDateTime time;
    QList<QPair<QString, double>> values;
    QStringList alarms;
};

// A channel the instrument carries, for the dashboards' own description of it.
struct PublishedChannel {
    QString key;
    QString name;
    QString unit;
};
