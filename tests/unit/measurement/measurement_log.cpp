#include "measurement/ChannelConfiguration.h"
#include "measurement/LimitAlarm.h"
#include "measurement/MeasurementLog.h"
#include "measurement/OpticalDisplay.h"
#include "measurement/RegionalSettings.h"
#include "measurement/Rounding.h"
#include "measurement/TimeAxis.h"

#include <QRandomGenerator>
#include <QTest>

#include <limits>

namespace {
// Logs one answered poll the way the channel steps do: one point per processed channel,
// optical points only for known range codes.
void logPoll(MeasurementLog& log, int model, int head, const QDateTime& when, float eRange = 0) {
    const ChannelSet s = processedChannels(model, head);
    const Channel order[] = {Channel::T, Channel::RH, Channel::WetBulb, Channel::DewPoint,
                             Channel::V, Channel::E,  Channel::L,       Channel::UV};
    for (Channel c : order) {
        if (!s.contains(c))
            continue;
        if (c == Channel::E && !isKnownRangeCode(eRange))
            continue;
        log.append(c, 1.0 + seriesIndex(c), when);
    }
}

const QDateTime noon(QDate(2024, 3, 1), QTime(12, 0, 0));

// An event in a line: kind, channel, limit, extreme, start and end in seconds from noon.
QString eventLine(const LogEvent& e) {
    const auto at = [](const QDateTime& t) {
        return t.isValid() ? QString::number(noon.secsTo(t)) : QString();
    };
    const QString span = at(e.start) + u'-' + at(e.end);
    switch (e.kind) {
    case LogEvent::Alarm:
        return QStringLiteral("%1 %2 %3 extreme %4 %5")
            .arg(e.series)
            .arg(e.side == LimitCrossing::Max ? "max" : "min")
            .arg(e.limit)
            .arg(e.extreme)
            .arg(span);
    case LogEvent::MissedPolls:
        return QStringLiteral("missed %1 %2").arg(e.missedPolls).arg(span);
    case LogEvent::PollingStopped:
        return QStringLiteral("stop ") + span;
    case LogEvent::Mark:
        return QStringLiteral("mark %1 %2").arg(e.text, span);
    }
    return {};
}
} // namespace

class MeasurementLogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { RegionalSettings::resetToSystem(); }

    // A scripted run of air temperature: a number is a poll with that value, "lim MIN MAX"
    // sets the limit fields, "off" clears the channel's limit box, "miss" a poll without
    // an answer, "stop" the end of the run, "clear" the clear button. Polls and misses
    // come 3 s apart; the end of a run comes 3 s after the last poll. "mark TEXT" sets a
    // mark, "markat S TEXT" one at the poll S seconds from the start, "rename I TEXT" and
    // "remove I" change event I.
    void eventsFollowThePolls_data() {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("expected");
        const auto steps = [](const char* text) { return QString::fromUtf8(text).split(u'|'); };
        QTest::newRow("max crossed and left")
            << steps("lim 10 30|25|31|35|33|29|30")
            << steps("0 max 30 extreme 35 3-12|0 max 30 extreme 30 15-");
        QTest::newRow("limits touched exactly")
            << steps("lim 10 30|30|20|10|20")
            << steps("0 max 30 extreme 30 0-3|0 min 10 extreme 10 6-9");
        QTest::newRow("max straight to min: two events")
            << steps("lim 10 30|35|5|4|20")
            << steps("0 max 30 extreme 35 0-3|0 min 10 extreme 4 3-9");
        QTest::newRow("limits changed mid-run")
            << steps("lim 10 30|25|32|lim 10 40|32|lim 10 31|32|20")
            << steps("0 max 30 extreme 32 3-6|0 max 31 extreme 32 9-12");
        QTest::newRow("alarm through a stop and restart")
            << steps("lim 10 30|35|stop|35|20")
            << steps("0 max 30 extreme 35 0-3|stop 3-6|0 max 30 extreme 35 6-9");
        QTest::newRow("missed polls in a row")
            << steps("20|miss|miss|20|miss|20") << steps("missed 2 3-9|missed 1 12-15");
        QTest::newRow("missed polls up to the end of the run")
            << steps("20|miss|stop|20") << steps("missed 1 3-6|stop 6-9");
        QTest::newRow("stop before any poll, or twice")
            << steps("stop|20|stop|stop|20") << steps("stop 6-12");
        QTest::newRow("clear empties, a red box starts anew")
            << steps("lim 10 30|35|miss|clear|36") << steps("0 max 30 extreme 36 6-");
        QTest::newRow("limit box cleared ends the alarm")
            << steps("lim 10 30|35|off|35") << steps("0 max 30 extreme 35 0-3");
        QTest::newRow("a mark waits for the next poll, through a stop")
            << steps("20|mark Точка 1|20|stop|mark|20")
            << steps("mark Точка 1 3-3|stop 6-9|mark Метка 2 9-9");
        QTest::newRow("a missed poll does not take a mark")
            << steps("20|mark A|miss|20") << steps("missed 1 3-6|mark A 6-6");
        QTest::newRow("a mark set before an open alarm keeps it open")
            << steps("lim 10 30|20|35|36|markat 0 A|37|20")
            << steps("mark A 0-0|0 max 30 extreme 37 3-12");
        QTest::newRow("renamed and removed, only marks")
            << steps("20|mark A|20|miss|mark|20|rename 2 Б|rename 1 X|remove 0|remove 0")
            << steps("missed 1 6-9|mark Б 9-9");
        QTest::newRow("no limits, no alarm") << steps("lim x |-50|500") << QStringList();
    }
    void eventsFollowThePolls() {
        QFETCH(QStringList, script);
        QFETCH(QStringList, expected);
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        MeasurementLog log;
        QDateTime when = noon;
        QString minText, maxText;
        bool enabled = true;
        for (const QString& step : script) {
            const QStringList words = step.split(u' ');
            if (words.first() == u"lim") {
                minText = words.value(1);
                maxText = words.value(2);
                continue;
            }
            if (words.first().startsWith(u"mark") || words.first().startsWith(u"re")) {
                const QString text = words.mid(words.first() == u"mark" ? 1 : 2).join(u' ');
                const int n = words.value(1).toInt();
                if (words.first() == u"mark")
                    log.events().setMark(text);
                else if (words.first() == u"markat")
                    log.events().setMarkAt(noon.addSecs(n), text);
                else if (words.first() == u"rename")
                    log.events().renameMark(n, text);
                else
                    log.events().removeMark(n);
                continue;
            }
            if (step == u"off")
                enabled = false;
            else if (step == u"clear")
                log.clear();
            else if (step == u"stop")
                log.events().runEnded(when);
            else if (step == u"miss")
                log.markGap(when);
            else {
                // A poll as the t step makes it: the point, then the limit test.
                const float v = step.toFloat();
                log.append(Channel::T, v, when);
                const LimitCrossing crossing =
                    enabled ? LimitTest(v, minText, maxText) : LimitCrossing{};
                log.events().limitTested(0, crossing, limitTestValue(v), when);
            }
            if (step != u"off" && step != u"clear")
                when = when.addSecs(3);
        }
        QStringList lines;
        for (const LogEvent& e : log.events().all())
            lines << eventLine(e);
        QCOMPARE(lines, expected);
    }

    void threePollsOfModel60() {
        MeasurementLog log;
        for (int i = 0; i < 3; ++i)
            logPoll(log, 60, 0, noon.addSecs(3 * i));
        for (Channel c : {Channel::T, Channel::RH, Channel::WetBulb, Channel::DewPoint, Channel::V})
            QCOMPARE(log.count(seriesIndex(c)), 3);
        for (Channel c :
             {Channel::HeatStress, Channel::BlackGlobe, Channel::E, Channel::L, Channel::UV})
            QVERIFY(log.isEmpty(seriesIndex(c)));
        const auto axis = timeAxisStep(log, 60, 0, 100);
        QVERIFY(axis.has_value());
        QCOMPARE(axis->min, -98.0);
        QCOMPARE(axis->max, 2.0);
    }

    void axisFollowsTheNewestPoint_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("head");
        QTest::addColumn<int>("polls");
        QTest::addColumn<int>("visible");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::newRow("150 polls, 100 visible") << 60 << 0 << 150 << 100 << 49.0 << 149.0;
        QTest::newRow("150 polls, 500 visible") << 60 << 0 << 150 << 500 << -351.0 << 149.0;
        QTest::newRow("one poll") << 50 << 0 << 1 << 100 << -100.0 << 0.0;
        QTest::newRow("head 1 follows UV") << 65 << 1 << 7 << 100 << -94.0 << 6.0;
        QTest::newRow("head 2 follows V") << 65 << 2 << 7 << 300 << -294.0 << 6.0;
    }

    void axisFollowsTheNewestPoint() {
        QFETCH(int, model);
        QFETCH(int, head);
        QFETCH(int, polls);
        QFETCH(int, visible);
        QFETCH(double, min);
        QFETCH(double, max);
        MeasurementLog log;
        for (int i = 0; i < polls; ++i)
            logPoll(log, model, head, noon.addSecs(i));
        const auto axis = timeAxisStep(log, model, head, visible);
        QVERIFY(axis.has_value());
        QCOMPARE(axis->min, min);
        QCOMPARE(axis->max, max);
    }

    void emptyReferenceSeriesLeavesTheAxis() {
        MeasurementLog log;
        logPoll(log, 65, 0, noon); // head 0 processes nothing
        QVERIFY(!timeAxisStep(log, 65, 0, 100).has_value());
        log.append(Channel::L, 5, noon); // head 1 before its first UV point
        QVERIFY(!timeAxisStep(log, 65, 1, 100).has_value());
    }

    void unknownRangeCodeLagsItsSeries() {
        MeasurementLog log;
        logPoll(log, 61, 0, noon);
        logPoll(log, 61, 0, noon.addSecs(3), 7);
        logPoll(log, 61, 0, noon.addSecs(6));
        QCOMPARE(log.count(seriesIndex(Channel::V)), 3);
        QCOMPARE(log.count(seriesIndex(Channel::L)), 3);
        QCOMPARE(log.count(seriesIndex(Channel::E)), 2);
        // E's second point belongs to the third poll.
        QCOMPARE(log.time(seriesIndex(Channel::E), 1), noon.addSecs(6));
        QCOMPARE(log.time(seriesIndex(Channel::V), 1), noon.addSecs(3));
    }

    void clearStartsAgainAtZero() {
        MeasurementLog log;
        for (int i = 0; i < 5; ++i)
            logPoll(log, 61, 0, noon.addSecs(i));
        log.clear();
        for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
            QVERIFY(log.isEmpty(s));
            QCOMPARE(log.minY(s), 0.0);
            QCOMPARE(log.maxY(s), 0.0);
        }
        QVERIFY(!timeAxisStep(log, 61, 0, 100).has_value());
        // A poll a day later: its label is its own time, not offset from the old base.
        const QDateTime later = noon.addDays(1).addSecs(3725);
        logPoll(log, 61, 0, later);
        QCOMPARE(log.count(seriesIndex(Channel::V)), 1);
        QCOMPARE(log.time(seriesIndex(Channel::V), 0), later);
        QCOMPARE(timeAxisStep(log, 61, 0, 100)->max, 0.0);
    }

    void yIsRoundedToTenthsExactly() {
        // Whatever the storage, a point's Y is exactly the double RoundToTenth gives.
        MeasurementLog log;
        QRandomGenerator rng(1234);
        QVector<double> given;
        for (int i = 0; i < 20000; ++i) {
            const double v = (rng.generateDouble() - 0.5) * std::pow(10.0, rng.bounded(-2, 9));
            given << v;
            log.append(0, v, noon);
        }
        const double special[] = {0.05,   0.15,    -0.05,
                                  2.0e8,  -2.0e8,  3.0e9,
                                  -3.0e9, 1.0e300, std::numeric_limits<double>::infinity(),
                                  -0.0};
        for (double v : special) {
            given << v;
            log.append(0, v, noon);
        }
        QCOMPARE(log.count(0), given.size());
        for (qsizetype i = 0; i < given.size(); ++i)
            QCOMPARE(log.y(0, i), RoundToTenth(given[i]));
    }

    void minMaxAsPointsArrive_data() {
        QTest::addColumn<QVector<double>>("values");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::newRow("one") << QVector<double>{3.3} << 3.3 << 3.3;
        QTest::newRow("all negative") << QVector<double>{-5.0, -1.2, -30.04} << -30.0 << -1.2;
        QTest::newRow("mixed") << QVector<double>{0.0, 7.25, -0.06, 4.0} << -0.1 << 7.2;
        QTest::newRow("beyond 32-bit tenths")
            << QVector<double>{1.0, 5.0e9, -2.5e9} << -2.5e9 << 5.0e9;
        QTest::newRow("not a number skipped")
            << QVector<double>{qQNaN(), 2.0, qQNaN(), -1.0} << -1.0 << 2.0;
    }

    void minMaxAsPointsArrive() {
        QFETCH(QVector<double>, values);
        QFETCH(double, min);
        QFETCH(double, max);
        MeasurementLog log;
        for (double v : values)
            log.append(Channel::E, v, noon);
        QCOMPARE(log.minY(seriesIndex(Channel::E)), min);
        QCOMPARE(log.maxY(seriesIndex(Channel::E)), max);
        double lo = 0;
        double hi = 0;
        log.series(seriesIndex(Channel::E)).rangeMinMax(0, values.size(), lo, hi);
        QCOMPARE(lo, min);
        QCOMPARE(hi, max);
    }

    void rangeMinMaxAcrossChunks() {
        MeasurementLog log;
        const qsizetype n = 3 * LogSeries::ChunkSize + 17;
        for (qsizetype i = 0; i < n; ++i)
            log.append(1, static_cast<double>((i * 7919) % 1000) / 10.0 - 50.0, noon);
        const LogSeries& s = log.series(1);
        const std::pair<qsizetype, qsizetype> ranges[] = {
            {0, 1}, {5, 6000}, {4095, 4097}, {100, n}, {n - 3, n}, {0, n}, {64, 4160}, {63, 129}};
        for (const auto& [from, to] : ranges) {
            double lo = 0;
            double hi = 0;
            s.rangeMinMax(from, to, lo, hi);
            double elo = s.y(from);
            double ehi = s.y(from);
            for (qsizetype i = from; i < to; ++i) {
                elo = std::min(elo, s.y(i));
                ehi = std::max(ehi, s.y(i));
            }
            QCOMPARE(lo, elo);
            QCOMPARE(hi, ehi);
        }
    }

    void labels_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("label");
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("ru afternoon") << ru << QTime(14, 5, 9) << "14:05:09";
        QTest::newRow("ru morning") << ru << QTime(9, 0, 5) << "09:00:05";
        QTest::newRow("en afternoon") << en << QTime(14, 5, 9) << "2:05:09 PM";
        QTest::newRow("en morning") << en << QTime(9, 0, 5) << "9:00:05 AM";
    }

    void labels() {
        QFETCH(QLocale, locale);
        QFETCH(QTime, time);
        QFETCH(QString, label);
        MeasurementLog log;
        log.append(Channel::V, 1.0, QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
        log.append(Channel::V, 1.0, QDateTime(QDate(2024, 3, 1), time));
        // Formatted when asked, so a change of regional settings shows at once.
        RegionalSettings::setLocale(locale);
        QCOMPARE(log.TimeLabel(seriesIndex(Channel::V), 1), label);
    }

    void timesAcrossMidnightAndClockSetBack() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        MeasurementLog log;
        const QDateTime lateEvening(QDate(2024, 3, 1), QTime(23, 59, 58));
        const QDateTime pastMidnight(QDate(2024, 3, 2), QTime(0, 0, 1));
        const QDateTime setBack(QDate(2024, 2, 29), QTime(22, 0, 0));
        for (const QDateTime& t : {lateEvening, pastMidnight, setBack})
            log.append(Channel::T, 20, t);
        QCOMPARE(log.TimeLabel(0, 0), QStringLiteral("23:59:58"));
        QCOMPARE(log.TimeLabel(0, 1), QStringLiteral("00:00:01"));
        QCOMPARE(log.TimeLabel(0, 2), QStringLiteral("22:00:00"));
        QCOMPARE(log.time(0, 1), pastMidnight);
        QCOMPARE(log.time(0, 2), setBack);
    }

    void memoryStaysCompact() {
        MeasurementLog log;
        const int n = 100000;
        for (int i = 0; i < n; ++i)
            for (int s : {0, 1, 2, 3, 4, 7, 8, 9})
                log.append(s, i * 0.1, noon);
        const double perPoint = static_cast<double>(log.memoryUsage()) / (8.0 * n);
        QVERIFY2(perPoint <= 9.0, qPrintable(QString::number(perPoint)));
    }
};

QTEST_GUILESS_MAIN(MeasurementLogTest)
#include "measurement_log.moc"
