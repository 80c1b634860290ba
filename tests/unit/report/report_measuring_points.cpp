// The stretches between the user's marks, as the report and the protocol take them.
#include "measurement/MeasurementLog.h"
#include "report/MeasuringPoints.h"

#include <QTest>

namespace {
const QDateTime start(QDate(2026, 12, 7), QTime(10, 0, 0));
}

class MeasuringPointsTest : public QObject {
    Q_OBJECT

private slots:
    // A script of steps 3 s apart: "p" a poll of t and RH, "t" of t alone, "x" a missed
    // poll; then "@i:TEXT" marks at step i, in the order the user set them. The period
    // runs from step `from` to step `to` (-1: open). Each expected line: name, polls,
    // seconds of the first and last poll, and the points of t and RH.
    void stretchesBetweenMarks_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no marks: the whole log")
            << "p p x p" << -1 << -1 << QStringList{"Без метки 3 0-9 t0-3 RH0-3"};
        QTest::newRow("marked from the first poll")
            << "p p p @0:A @2:B" << -1 << -1
            << QStringList{"A 2 0-3 t0-2 RH0-2", "B 1 6-6 t2-3 RH2-3"};
        QTest::newRow("polls before the first mark")
            << "p t x t p @3:Точка 1, высота 1,1 м" << -1 << -1
            << QStringList{"Без метки 2 0-3 t0-2 RH0-1", "Точка 1, высота 1,1 м 2 9-12 t2-4 RH1-2"};
        QTest::newRow("marks on one poll, set out of order")
            << "p p p @2:C @1:A @1:B" << -1 << -1
            << QStringList{"Без метки 1 0-0 t0-1 RH0-1", "A; B 1 3-3 t1-2 RH1-2",
                           "C 1 6-6 t2-3 RH2-3"};
        QTest::newRow("held view cuts stretches")
            << "p p p p p @1:A @3:B" << 2 << 3
            << QStringList{"A 1 6-6 t2-3 RH2-3", "B 1 9-9 t3-4 RH3-4"};
    }
    void stretchesBetweenMarks() {
        QFETCH(QString, script);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, expected);
        MeasurementLog log;
        int step = 0;
        for (const QString& word : script.split(u' ', Qt::SkipEmptyParts)) {
            const QDateTime when = start.addSecs(3 * step);
            if (word.startsWith(u'@'))
                break;
            ++step;
            if (word == u"x") {
                log.markGap(when);
                continue;
            }
            log.append(Channel::T, 20 + step, when);
            if (word == u"p")
                log.append(Channel::RH, 50 + step, when);
        }
        for (const QString& mark :
             script.section(u'@', 1).split(QStringLiteral(" @"), Qt::SkipEmptyParts)) {
            LogEvent e;
            e.kind = LogEvent::Mark;
            e.text = mark.section(u':', 1);
            e.start = e.end = start.addSecs(3 * mark.section(u':', 0, 0).toInt());
            log.events().append(e);
        }
        const auto at = [](int i) { return i < 0 ? QDateTime() : start.addSecs(3 * i); };
        QStringList lines;
        for (const MeasuringPoint& p : measuringPoints(log, at(from), at(to))) {
            const auto range = [&p](Channel c) {
                const auto& [b, e] = p.points[static_cast<std::size_t>(seriesIndex(c))];
                return QStringLiteral("%1-%2").arg(b).arg(e);
            };
            lines << QStringLiteral("%1 %2 %3-%4 t%5 RH%6")
                         .arg(p.name)
                         .arg(p.polls)
                         .arg(start.secsTo(p.first))
                         .arg(start.secsTo(p.last))
                         .arg(range(Channel::T), range(Channel::RH));
        }
        QCOMPARE(lines, expected);
    }
};

QTEST_GUILESS_MAIN(MeasuringPointsTest)
#include "report_measuring_points.moc"
