#include "measurement/RegionalSettings.h"
#include "measurement/ScheduleTime.h"

#include <QTest>

class MeasurementScheduleTest : public QObject {
    Q_OBJECT

private slots:
    void field_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("normal"); // "-" for no time
        QTest::newRow("two-digit hour") << "08:30"
                                        << "08:30";
        QTest::newRow("blank for the hour's first digit") << " 8:30"
                                                          << "08:30";
        QTest::newRow("one-digit hour") << "8:30"
                                        << "08:30";
        QTest::newRow("mask blanks") << "_8:30"
                                     << "08:30";
        QTest::newRow("afternoon") << "17:05"
                                   << "17:05";
        QTest::newRow("midnight") << "00:00"
                                  << "00:00";
        QTest::newRow("blank field") << "  :  "
                                     << "-";
        QTest::newRow("empty") << ""
                               << "-";
        QTest::newRow("partial minutes") << "08:3 "
                                         << "-";
        QTest::newRow("hour 24") << "24:00"
                                 << "-";
        QTest::newRow("minute 60") << "10:60"
                                   << "-";
        QTest::newRow("letters") << "ab:cd"
                                 << "-";
    }

    void field() {
        QFETCH(QString, field);
        QFETCH(QString, normal);
        const auto time = scheduleFieldTime(field);
        QCOMPARE(time ? time->toString(QStringLiteral("HH:mm")) : QStringLiteral("-"), normal);
    }

    void tick_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("startPolling");
        QTest::addColumn<bool>("endRun");

        QTest::newRow("start before ten, blank hour") << QTime(8, 30, 15) << " 8:30"
                                                      << "09:00" << true << false;
        QTest::newRow("start before ten, no padding") << QTime(9, 30, 59) << "9:30"
                                                      << "10:00" << true << false;
        QTest::newRow("end before ten") << QTime(9, 0, 0) << "08:30"
                                        << "09:00" << false << true;
        QTest::newRow("seconds do not matter") << QTime(14, 5, 40) << "14:05"
                                               << "15:00" << true << false;
        QTest::newRow("next minute no longer matches") << QTime(14, 6, 0) << "14:05"
                                                       << "15:00" << false << false;
        QTest::newRow("start equals end") << QTime(12, 0, 20) << "12:00"
                                          << "12:00" << true << true;
        QTest::newRow("afternoon is not the morning") << QTime(20, 30) << "08:30"
                                                      << " 8:30" << false << false;
        QTest::newRow("blank fields never fire") << QTime(0, 0) << "  :  "
                                                 << "  :  " << false << false;
    }

    void tick() {
        QFETCH(QTime, now);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(bool, startPolling);
        QFETCH(bool, endRun);
        const ScheduleAction a = scheduleTick(now, scheduleFieldTime(start).value_or(QTime()),
                                              scheduleFieldTime(end).value_or(QTime()));
        QCOMPARE(a.startPolling, startPolling);
        QCOMPARE(a.endRun, endRun);
    }

    void windowBeforeTenUnderEveryClock_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("ru, 24-hour with leading zero")
            << QLocale(QLocale::Russian, QLocale::Russia);
        QTest::newRow("en-US, 12-hour without leading zero")
            << QLocale(QLocale::English, QLocale::UnitedStates);
    }

    void windowBeforeTenUnderEveryClock() {
        QFETCH(QLocale, locale);
        RegionalSettings::setLocale(locale);
        const QTime start = scheduleFieldTime(QStringLiteral("9:30")).value_or(QTime());
        QVERIFY(scheduleTick(QTime(9, 30, 15), start, QTime()).startPolling);
        QVERIFY(!scheduleTick(QTime(21, 30, 15), start, QTime()).startPolling);
        RegionalSettings::resetToSystem();
    }
};

QTEST_GUILESS_MAIN(MeasurementScheduleTest)
#include "measurement_schedule.moc"
