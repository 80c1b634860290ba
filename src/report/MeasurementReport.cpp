#include "MeasurementReport.h"

#include "EventTable.h"
#include "ReportTexts.h"
#include "export/PollTable.h"
#include "measurement/ChannelCaption.h"
#include "measurement/LimitAlarm.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"
#include "measurement/Rounding.h"
#include "measurement/ValueText.h"

#include <cmath>

namespace {

QString limitsText(const ReportSource::Limits& limits, int series) {
    if (!limits.enabled)
        return {};
    QStringList parts;
    double v = 0;
    if (RegionalSettings::parseNumber(limits.minText, v))
        parts << QStringLiteral("мин. ") + ReportTexts::valueText(series, v);
    if (RegionalSettings::parseNumber(limits.maxText, v))
        parts << QStringLiteral("макс. ") + ReportTexts::valueText(series, v);
    return parts.join(u'\n');
}

QString secondsText(int milliseconds) {
    return QStringLiteral("%1 с").arg(ValueText(milliseconds / 1000.0));
}

} // namespace

QuantityFigures QuantityFigures::of(const MeasurementLog& log, int series,
                                    const QDateTime& lastPoll) {
    QuantityFigures f;
    f.series = series;
    f.count = log.count(series);
    qsizetype minAt = -1;
    qsizetype maxAt = -1;
    long double sum = 0;
    qsizetype numbers = 0;
    for (qsizetype i = 0; i < f.count; ++i) {
        const double y = log.y(series, i);
        if (!std::isfinite(y))
            continue;
        ++numbers;
        sum += y;
        if (minAt < 0 || y < f.min) {
            f.min = y;
            minAt = i;
        }
        if (maxAt < 0 || y > f.max) {
            f.max = y;
            maxAt = i;
        }
    }
    if (minAt >= 0) {
        f.minTime = log.time(series, minAt);
        f.maxTime = log.time(series, maxAt);
        f.mean = RoundToTenth(static_cast<double>(sum / static_cast<long double>(numbers)));
    }
    for (const LogEvent& e : log.events().all()) {
        if (e.kind != LogEvent::Alarm || e.series != series)
            continue;
        ++f.alarms;
        f.alarmSeconds += EventTable::durationSeconds(e, lastPoll);
    }
    return f;
}

MeasurementReport MeasurementReport::build(const MeasurementLog& log, const ReportSource& source) {
    MeasurementReport r;
    QDateTime first;
    QDateTime last;
    std::vector<int> logged;
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
        if (log.isEmpty(s))
            continue;
        logged.push_back(s);
        const QDateTime a = log.time(s, 0);
        const QDateTime b = log.time(s, log.count(s) - 1);
        if (!first.isValid() || a < first)
            first = a;
        if (!last.isValid() || b > last)
            last = b;
    }
    if (logged.empty())
        return r;

    r.title = QStringLiteral("Отчёт об измерениях");
    const auto dash = [](const QString& s) {
        return s.trimmed().isEmpty() ? QStringLiteral("—") : s;
    };
    r.facts = {
        {QStringLiteral("Программа"), source.program},
        {QStringLiteral("Прибор"), dash(source.model)},
        {QStringLiteral("Измерительная головка"), dash(source.head)},
        {QStringLiteral("Период"), ReportTexts::dateTimeText(first) + QStringLiteral(" — ") +
                                       ReportTexts::dateTimeText(last)},
        {QStringLiteral("Интервал опроса"), secondsText(source.pollIntervalMs)},
        {QStringLiteral("Опросов"), QString::number(PollTable::countRows(log))},
        {QStringLiteral("Пропущено опросов"),
         QString::number(static_cast<qsizetype>(log.missedPolls().size()))},
    };

    r.quantityHeadings = {QStringLiteral("Величина"),     QStringLiteral("Точек"),
                          QStringLiteral("Минимум"),      QStringLiteral("Максимум"),
                          QStringLiteral("Среднее"),      QStringLiteral("Пределы"),
                          QStringLiteral("За пределами"), QStringLiteral("Тревог")};
    for (int s : logged) {
        const QuantityFigures f = QuantityFigures::of(log, s, last);
        const QString limits = limitsText(source.limits[static_cast<std::size_t>(s)], s);
        const bool alarmed = !limits.isEmpty() || f.alarms > 0;
        const auto valueAt = [s](double v, const QDateTime& t) {
            return ReportTexts::valueText(s, v) + u'\n' + ReportTexts::dateTimeText(t);
        };
        r.quantityRows.push_back({channelHeading(static_cast<Channel>(s)), QString::number(f.count),
                                  valueAt(f.min, f.minTime), valueAt(f.max, f.maxTime),
                                  ReportTexts::valueText(s, f.mean), limits,
                                  alarmed ? ReportTexts::durationText(f.alarmSeconds) : QString(),
                                  alarmed ? QString::number(f.alarms) : QString()});
    }

    r.eventHeadings = EventTable::headings();
    const MeasurementEvents& events = log.events();
    r.eventRows.reserve(static_cast<std::size_t>(events.count()));
    for (qsizetype i = 0; i < events.count(); ++i)
        r.eventRows.push_back(EventTable::cells(events.at(i), i + 1, last));
    r.madeText = QStringLiteral("Составлен ") + ReportTexts::dateTimeText(source.made);
    return r;
}
