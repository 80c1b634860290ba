#include "ScheduleTime.h"

#include <QRegularExpression>

std::optional<QTime> scheduleFieldTime(const QString& text) {
    QString compact = text;
    compact.remove(QChar(u'_'));
    compact.remove(QRegularExpression(QStringLiteral("\\s")));
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch m = pattern.match(compact);
    if (!m.hasMatch())
        return std::nullopt;
    const QTime t(m.captured(1).toInt(), m.captured(2).toInt());
    if (!t.isValid())
        return std::nullopt;
    return t;
}

namespace {
bool sameMinute(const QTime& a, const QTime& b) {
    return a.isValid() && b.isValid() && a.hour() == b.hour() && a.minute() == b.minute();
}
} // namespace

ScheduleAction scheduleTick(const QTime& now, const QTime& start, const QTime& end) {
    ScheduleAction a;
    a.startPolling = sameMinute(now, start);
    a.endRun = sameMinute(now, end);
    return a;
}
