#include "RecordedPoll.h"

namespace {
constexpr qint64 SecondsPerDay = 86400;
constexpr qint64 EpochJulianDay = 2440588; // 1970-01-01

qint64 wallDays(qint64 seconds) {
    return seconds >= 0 ? seconds / SecondsPerDay
                        : -((-seconds + SecondsPerDay - 1) / SecondsPerDay);
}
} // namespace

qint64 wallSeconds(const QDateTime& when) {
    const QDateTime local = when.timeSpec() == Qt::LocalTime ? when : when.toLocalTime();
    return (local.date().toJulianDay() - EpochJulianDay) * SecondsPerDay +
           local.time().msecsSinceStartOfDay() / 1000;
}

QDate wallDate(qint64 seconds) {
    return QDate::fromJulianDay(wallDays(seconds) + EpochJulianDay);
}

int wallSecondOfDay(qint64 seconds) {
    return static_cast<int>(seconds - wallDays(seconds) * SecondsPerDay);
}

QDateTime wallDateTime(qint64 seconds) {
    return QDateTime(wallDate(seconds),
                     QTime::fromMSecsSinceStartOfDay(wallSecondOfDay(seconds) * 1000));
}
