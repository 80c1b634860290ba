#include "ScheduleTime.h"

#include <QRegularExpression>

QString scheduleClockText(const QTime& now) {
    // The regional long time text is not used here: on some systems it has a one-digit
    // hour or an AM/PM marker, and the fields hold neither.
    return now.toString(QStringLiteral("HH:mm"));
}

std::optional<QString> normaliseScheduleField(const QString& text) {
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
    return t.toString(QStringLiteral("HH:mm"));
}

ScheduleAction scheduleTick(const QTime& now, const QString& startField, const QString& endField) {
    const QString clock = scheduleClockText(now);
    ScheduleAction a;
    a.startPolling = normaliseScheduleField(startField) == clock;
    a.endRun = normaliseScheduleField(endField) == clock;
    return a;
}
