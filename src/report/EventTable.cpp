#include "EventTable.h"

#include "ReportTexts.h"
#include "measurement/ChannelCaption.h"

namespace EventTable {

QStringList headings() {
    return {QStringLiteral("№"),       QStringLiteral("Начало"),
            QStringLiteral("Конец"),   QStringLiteral("Длительность"),
            QStringLiteral("Событие"), QStringLiteral("Канал"),
            QStringLiteral("Предел"),  QStringLiteral("Крайнее значение")};
}

qint64 durationSeconds(const LogEvent& event, const QDateTime& now) {
    return event.start.secsTo(event.isOpen() ? now : event.end);
}

QStringList cells(const LogEvent& event, qsizetype number, const QDateTime& now) {
    QStringList row(ColumnCount);
    row[Number] = QString::number(number);
    row[Start] = ReportTexts::dateTimeText(event.start);
    row[End] =
        event.isOpen() ? QStringLiteral("продолжается") : ReportTexts::dateTimeText(event.end);
    row[Duration] = ReportTexts::durationText(durationSeconds(event, now));
    switch (event.kind) {
    case LogEvent::Alarm:
        row[What] = event.side == LimitCrossing::Max ? QStringLiteral("Тревога: максимум")
                                                     : QStringLiteral("Тревога: минимум");
        row[ChannelName] = channelHeading(static_cast<Channel>(event.series));
        row[Limit] = ReportTexts::valueText(event.series, event.limit);
        row[Extreme] = ReportTexts::valueText(event.series, event.extreme);
        break;
    case LogEvent::MissedPolls:
        row[What] = QStringLiteral("Пропуск опросов: %1").arg(event.missedPolls);
        break;
    case LogEvent::PollingStopped:
        row[What] = QStringLiteral("Опрос остановлен");
        break;
    case LogEvent::Mark:
        row[What] = QStringLiteral("Метка: ") + event.text;
        break;
    }
    return row;
}

} // namespace EventTable
