#include "MeasurementProtocol.h"

#include "MeasuringPoints.h"
#include "ProtocolDetails.h"
#include "ReportTexts.h"
#include "export/FileFailureReason.h"
#include "export/ReplacingFile.h"
#include "measurement/ChannelCaption.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"
#include "norms/NormLibrary.h"
#include "norms/PointJudgement.h"

#include <QFile>

#include <cmath>
#include <map>

namespace {

constexpr Channel Channels[NormQuantityCount] = {Channel::T, Channel::RH, Channel::V};

struct PointPolls {
    QString name;
    QDateTime first;
    QDateTime last;
    std::vector<PollValues> polls;
};

// Each measuring point's polls, the values of one poll side by side: a poll logs its
// channels at one second, so the second pairs them.
std::vector<PointPolls> pointPolls(const MeasurementLog& log, const QDateTime& from,
                                   const QDateTime& to) {
    std::vector<PointPolls> result;
    for (const MeasuringPoint& point : measuringPoints(log, from, to)) {
        std::map<qint32, PollValues> bySecond;
        for (int q = 0; q < NormQuantityCount; ++q) {
            const int s = seriesIndex(Channels[q]);
            const LogSeries& series = log.series(s);
            const auto& [begin, end] = point.points[static_cast<std::size_t>(s)];
            for (qsizetype i = begin; i < end; ++i) {
                const double y = series.y(i);
                if (!std::isfinite(y))
                    continue;
                PollValues& p = bySecond[series.seconds(i)];
                (q == 0 ? p.t : q == 1 ? p.rh : p.v) = y;
            }
        }
        PointPolls polls{point.name, point.first, point.last, {}};
        for (const auto& [second, values] : bySecond)
            polls.polls.push_back(values);
        // A point whose polls logged none of the three is listed as not measured.
        result.push_back(std::move(polls));
    }
    return result;
}

// Bounds to the tenth, as the norm's permissible temperatures are written.
QString boundText(double v) {
    return RegionalSettings::locale().toString(v, 'f', 1);
}

QString rangeText(const NormRange& r) {
    return boundText(r.low) + QStringLiteral("–") + boundText(r.high);
}

QString atMostText(double v) {
    return QStringLiteral("≤ ") + boundText(v);
}

QString optimalText(const NormRow& row, NormQuantity q, std::optional<double> t) {
    switch (q) {
    case NormQuantity::T:
        return rangeText(row.optimalT);
    case NormQuantity::RH: {
        NormRange r = row.optimalRh;
        if (const std::optional<double> cap = humidityCap(row, t))
            r.high = std::min(r.high, *cap);
        return rangeText(r);
    }
    case NormQuantity::V:
        return atMostText(row.optimalV);
    }
    return {};
}

QString permissibleText(const NormRow& row, NormQuantity q, std::optional<double> t) {
    switch (q) {
    case NormQuantity::T:
        return rangeText(row.permissibleTBelow) + QStringLiteral("; ") +
               rangeText(row.permissibleTAbove);
    case NormQuantity::RH: {
        NormRange r = row.permissibleRh;
        if (const std::optional<double> cap = humidityCap(row, t))
            r.high = std::min(r.high, *cap);
        return rangeText(r);
    }
    case NormQuantity::V:
        return atMostText(permissibleSpeed(row, t));
    }
    return {};
}

} // namespace

MeasurementProtocol MeasurementProtocol::build(const MeasurementLog& log,
                                               const ReportSource& source, const NormLibrary& norms,
                                               const QDateTime& from, const QDateTime& to) {
    MeasurementProtocol p;
    const ProtocolDetails details = ProtocolDetails::fromLog(log);
    if (!details.isFilled())
        return p;
    const std::vector<PointPolls> points = pointPolls(log, from, to);
    const NormDocument* document = norms.document(details.document);
    const YearPeriod period =
        details.period == yearPeriodText(YearPeriod::Warm) ? YearPeriod::Warm : YearPeriod::Cold;
    const NormRow* row = document ? document->row(details.category, period) : nullptr;

    p.title = QStringLiteral("Протокол измерений параметров микроклимата");
    const auto dash = [](const QString& s) {
        return s.trimmed().isEmpty() ? QStringLiteral("—") : s;
    };
    QString category = details.category;
    if (row && !row->energy.isEmpty())
        category += QStringLiteral(" (%1)").arg(row->energy);
    p.facts = {
        {QStringLiteral("Организация"), dash(details.organisation)},
        {QStringLiteral("Подразделение"), dash(details.department)},
        {QStringLiteral("Рабочее место"), dash(details.workplace)},
        {QStringLiteral("Прибор"), dash(source.model)},
        {QStringLiteral("Измерительная головка"), dash(source.head)},
        {QStringLiteral("Период измерений"),
         points.empty() ? QStringLiteral("—")
                        : ReportTexts::dateTimeText(points.front().first) + QStringLiteral(" — ") +
                              ReportTexts::dateTimeText(points.back().last)},
        {QStringLiteral("Нормы"),
         document ? details.document : details.document + QStringLiteral(" (не загружены)")},
        {QStringLiteral("Категория работ"), category},
        {QStringLiteral("Период года"), details.period},
        {QStringLiteral("Измерения провёл"), dash(details.measuredBy)},
        {QStringLiteral("Примечание"), dash(details.remark)},
    };
    p.headings = {QStringLiteral("Точка"),       QStringLiteral("Величина"),
                  QStringLiteral("Среднее"),     QStringLiteral("Мин. – макс."),
                  QStringLiteral("Оптимальные"), QStringLiteral("Допустимые"),
                  QStringLiteral("Оценка"),      QStringLiteral("Опросов вне допустимых")};
    for (const PointPolls& point : points) {
        // Without the norm row the figures are still shown, with no verdict.
        const NormRow none;
        const PointJudgement j = PointJudgement::judge(row ? *row : none, point.polls);
        const std::array<QuantityJudgement, NormQuantityCount>& figures = j.quantities;
        std::optional<double> meanT;
        if (figures[0].count > 0)
            meanT = figures[0].mean;
        for (int q = 0; q < NormQuantityCount; ++q) {
            const QuantityJudgement& f = figures[static_cast<std::size_t>(q)];
            const int s = seriesIndex(Channels[q]);
            const bool measured = f.count > 0;
            const auto quantity = static_cast<NormQuantity>(q);
            p.rows.push_back({point.name, channelHeading(Channels[q]),
                              measured ? ReportTexts::valueText(s, f.mean) : QStringLiteral("—"),
                              measured ? ReportTexts::valueText(s, f.min) + QStringLiteral(" – ") +
                                             ReportTexts::valueText(s, f.max)
                                       : QStringLiteral("—"),
                              row ? optimalText(*row, quantity, meanT) : QStringLiteral("—"),
                              row ? permissibleText(*row, quantity, meanT) : QStringLiteral("—"),
                              row        ? verdictText(f.verdict)
                              : measured ? QStringLiteral("—")
                                         : verdictText(Verdict::NotMeasured),
                              row && measured
                                  ? QStringLiteral("%1 из %2").arg(f.pollsOutside).arg(f.count)
                                  : QStringLiteral("—")});
        }
        p.summary << QStringLiteral("%1: %2").arg(point.name, row ? verdictText(j.verdict)
                                                                  : QStringLiteral("оценки нет"));
    }
    return p;
}

QString DefaultProtocolCsvName(const QDate& date) {
    return RegionalSettings::shortDate(date) + QStringLiteral("Protocol.csv");
}

bool WriteProtocolCsv(const MeasurementProtocol& protocol, const QString& fileName,
                      QString* reason) {
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const auto line = [](const QStringList& cells) {
        QStringList quoted;
        for (QString c : cells) {
            c.replace(u'\n', u' ');
            if (c.contains(u';') || c.contains(u'"'))
                c = u'"' + c.replace(u'"', QStringLiteral("\"\"")) + u'"';
            quoted << c;
        }
        return quoted.join(u';').toUtf8() + "\r\n";
    };
    QByteArray out("\xEF\xBB\xBF");
    out += line(protocol.headings);
    for (const QStringList& row : protocol.rows)
        out += line(row);
    ReplacingFile target(fileName);
    if (!target.create())
        return fail(target.errorString());
    QFile file(target.temporaryName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size() ||
        !file.flush())
        return fail(FileFailureReason(file.errorString()));
    file.close();
    if (!target.commit())
        return fail(target.errorString());
    return true;
}
