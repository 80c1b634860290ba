#pragma once

#include <QDateTime>
#include <QString>

// Texts shared by the report and the events window.
namespace ReportTexts {

// A value of a series as its value box writes it: the optical channels in thousands with
// "k" from 10000 on, the others in their units; the regional decimal separator.
QString valueText(int series, double value);
// Regional short date and long time.
QString dateTimeText(const QDateTime& when);
// Hours (as many as it takes), minutes and seconds: "0:05:30", "49:00:00".
QString durationText(qint64 seconds);

} // namespace ReportTexts
