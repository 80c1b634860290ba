#include "MeasurementReport.h"

#include "EventTable.h"
#include "MeasuringPoints.h"
#include "ReportTexts.h"
#include "export/PollTable.h"
#include "measurement/ChannelCaption.h"
#include "measurement/LimitAlarm.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"
#include "measurement/Rounding.h"
#include "measurement/ValueText.h"

#include <algorithm>
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
    return of(log, series, 0, log.count(series), lastPoll);
}

QuantityFigures QuantityFigures::of(const MeasurementLog& log, int series, qsizetype begin,
                                    qsizetype end, const QDateTime& lastPoll) {
    QuantityFigures f;
    f.series = series;
    f.count = std::max<qsizetype>(end - begin, 0);
    if (f.count == 0)
        return f;
    qsizetype minAt = -1;
    qsizetype maxAt = -1;
    long double sum = 0;
    qsizetype numbers = 0;
    for (qsizetype i = begin; i < end; ++i) {
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
    const QDateTime first = log.time(series, begin);
    const QDateTime last = log.time(series, end - 1);
    for (const LogEvent& e : log.events().all()) {
        if (e.kind != LogEvent::Alarm || e.series != series || e.start < first || e.start > last)
            continue;
        ++f.alarms;
        f.alarmSeconds += EventTable::durationSeconds(e, lastPoll);
    }
    return f;
}

MeasurementReport MeasurementReport::build(const MeasurementLog& log, const ReportSource& source,
                                           const QDateTime& from, const QDateTime& to) {
    MeasurementReport r;
    const bool part = from.isValid() || to.isValid();
    const auto valueAt = [](int s, double v, const QDateTime& t) {
        return ReportTexts::valueText(s, v) + u'\n' + ReportTexts::dateTimeText(t);
    };
    const auto periodText = [](const QDateTime& a, const QDateTime& b) {
        return ReportTexts::dateTimeText(a) + QStringLiteral(" — ") + ReportTexts::dateTimeText(b);
    };
    // The points of each series within the period.
    PollTable::SeriesRanges ranges{};
    QDateTime first;
    QDateTime last;
    std::vector<int> logged;
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
        const qsizetype b = from.isValid() ? log.firstPointFrom(s, log.secondsFromBase(from)) : 0;
        const qsizetype e =
            to.isValid() ? log.firstPointFrom(s, log.secondsFromBase(to) + 1) : log.count(s);
        ranges[static_cast<std::size_t>(s)] = {b, std::max(b, e)};
        if (b >= e)
            continue;
        logged.push_back(s);
        const QDateTime a = log.time(s, b);
        const QDateTime z = log.time(s, e - 1);
        if (!first.isValid() || a < first)
            first = a;
        if (!last.isValid() || z > last)
            last = z;
    }
    if (logged.empty())
        return r;

    r.title = part ? QStringLiteral("Отчёт об измерениях: видимый участок")
                   : QStringLiteral("Отчёт об измерениях");
    const auto dash = [](const QString& s) {
        return s.trimmed().isEmpty() ? QStringLiteral("—") : s;
    };
    const auto missed =
        std::count_if(log.missedPolls().begin(), log.missedPolls().end(),
                      [&](const QDateTime& t) { return !part || (t >= first && t <= last); });
    r.facts = {
        {QStringLiteral("Программа"), source.program},
        {QStringLiteral("Прибор"), dash(source.model)},
        {QStringLiteral("Измерительная головка"), dash(source.head)},
        {QStringLiteral("Период"), periodText(first, last)},
        {QStringLiteral("Интервал опроса"), secondsText(source.pollIntervalMs)},
        {QStringLiteral("Опросов"), QString::number(PollTable::countRows(log, ranges))},
        {QStringLiteral("Пропущено опросов"), QString::number(missed)},
    };
    if (part) {
        QDateTime logFirst;
        QDateTime logLast;
        for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
            if (log.isEmpty(s))
                continue;
            if (!logFirst.isValid() || log.time(s, 0) < logFirst)
                logFirst = log.time(s, 0);
            if (!logLast.isValid() || log.time(s, log.count(s) - 1) > logLast)
                logLast = log.time(s, log.count(s) - 1);
        }
        r.facts.insert(
            r.facts.begin() + 4,
            {QStringLiteral("Участок"), QStringLiteral("видимый участок графика; весь журнал: ") +
                                            periodText(logFirst, logLast)});
    }

    r.quantityHeadings = {QStringLiteral("Величина"),     QStringLiteral("Точек"),
                          QStringLiteral("Минимум"),      QStringLiteral("Максимум"),
                          QStringLiteral("Среднее"),      QStringLiteral("Пределы"),
                          QStringLiteral("За пределами"), QStringLiteral("Тревог")};
    for (int s : logged) {
        const auto& [b, e] = ranges[static_cast<std::size_t>(s)];
        const QuantityFigures f = QuantityFigures::of(log, s, b, e, last);
        const QString limits = limitsText(source.limits[static_cast<std::size_t>(s)], s);
        const bool alarmed = !limits.isEmpty() || f.alarms > 0;
        r.quantityRows.push_back({channelHeading(static_cast<Channel>(s)), QString::number(f.count),
                                  valueAt(s, f.min, f.minTime), valueAt(s, f.max, f.maxTime),
                                  ReportTexts::valueText(s, f.mean), limits,
                                  alarmed ? ReportTexts::durationText(f.alarmSeconds) : QString(),
                                  alarmed ? QString::number(f.alarms) : QString()});
    }

    r.eventHeadings = EventTable::headings();
    const MeasurementEvents& events = log.events();
    bool marked = false;
    for (qsizetype i = 0; i < events.count(); ++i) {
        const LogEvent& e = events.at(i);
        marked = marked || e.kind == LogEvent::Mark;
        // A part keeps the events that touch it, numbered as in the whole log.
        if (part && (e.start > last || (!e.isOpen() && e.end < first)))
            continue;
        r.eventRows.push_back(EventTable::cells(e, i + 1, last));
    }

    if (marked) {
        r.pointHeadings = r.quantityHeadings.mid(0, 5);
        for (const MeasuringPoint& p : measuringPoints(log, from, to)) {
            PointSection section{p.name, periodText(p.first, p.last), p.polls, {}};
            for (int s : logged) {
                const auto& [b, e] = p.points[static_cast<std::size_t>(s)];
                if (b >= e)
                    continue;
                const QuantityFigures f = QuantityFigures::of(log, s, b, e, last);
                section.rows.push_back({channelHeading(static_cast<Channel>(s)),
                                        QString::number(f.count), valueAt(s, f.min, f.minTime),
                                        valueAt(s, f.max, f.maxTime),
                                        ReportTexts::valueText(s, f.mean)});
            }
            r.points.push_back(std::move(section));
        }
    }
    r.madeText = QStringLiteral("Составлен ") + ReportTexts::dateTimeText(source.made);
    return r;
}
