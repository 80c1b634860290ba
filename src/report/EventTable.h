#pragma once

#include "measurement/LogEvent.h"

#include <QStringList>

// The events as a table, in the report and in the events window alike.
namespace EventTable {

enum Column { Number, Start, End, Duration, What, ChannelName, Limit, Extreme, ColumnCount };

QStringList headings();
// The row of an event; number counts from 1. An event still going on ends "продолжается"
// and lasts until now.
QStringList cells(const LogEvent& event, qsizetype number, const QDateTime& now);
// How long an event lasted, an open one until now.
qint64 durationSeconds(const LogEvent& event, const QDateTime& now);

} // namespace EventTable
