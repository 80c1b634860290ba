#include "export/WorkbookLayout.h"
#include "export/LogSnapshot.h"
#include "export/Uxls.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"

#include <QTest>

using namespace WorkbookLayout;

class WorkbookLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { RegionalSettings::resetToSystem(); }

    void sheetsSplitTheLog_data() {
        QTest::addColumn<qint64>("points");
        QTest::addColumn<qint64>("sheetRows");
        QTest::addColumn<int>("sheets");
        QTest::addColumn<qint64>("onLastSheet");

        QTest::newRow("empty log: one sheet, header only")
            << 0LL << qint64(XlsSheetRows) << 1 << 0LL;
        QTest::newRow("one point") << 1LL << qint64(XlsSheetRows) << 1 << 1LL;
        QTest::newRow("xls sheet exactly full") << 65535LL << qint64(XlsSheetRows) << 1 << 65535LL;
        QTest::newRow("xls one point over") << 65536LL << qint64(XlsSheetRows) << 2 << 1LL;
        QTest::newRow("xls 70,000") << 70000LL << qint64(XlsSheetRows) << 2 << 4465LL;
        QTest::newRow("xls 1e6") << 1000000LL << qint64(XlsSheetRows) << 16 << 16975LL;
        QTest::newRow("xlsx sheet exactly full")
            << 1048575LL << qint64(XlsxSheetRows) << 1 << 1048575LL;
        QTest::newRow("xlsx one point over") << 1048576LL << qint64(XlsxSheetRows) << 2 << 1LL;
    }

    void sheetsSplitTheLog() {
        QFETCH(qint64, points);
        QFETCH(qint64, sheetRows);
        QFETCH(int, sheets);
        QFETCH(qint64, onLastSheet);

        QCOMPARE(sheetCount(points, sheetRows), sheets);
        QCOMPARE(pointsOnSheet(sheets - 1, points, sheetRows), onLastSheet);
        // The sheets take every point once, in order.
        qint64 next = 0;
        for (int s = 0; s < sheets; ++s) {
            QCOMPARE(firstPointOfSheet(s, sheetRows), next);
            const qint64 n = pointsOnSheet(s, points, sheetRows);
            QVERIFY(n <= sheetRows - 1);
            next += n;
        }
        QCOMPARE(next, points);
    }

    // The export holds the log once more only in the log's own form, four bytes a cell
    // and no text per row, and gives back what it has written.
    void snapshotIsCompactAndReadsAsTheLog() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        MeasurementLog log;
        const qsizetype rows = 70000;
        const QDateTime start(QDate(2026, 12, 7), QTime(23, 0));
        for (qsizetype k = 0; k < rows; ++k) {
            const QDateTime when = start.addSecs(k);
            for (int series : {0, 1, 4, 7, 8, 9})
                log.append(series, static_cast<double>(k % 977) / 10.0 - series, when);
        }
        log.append(0, 1.5, start); // column B one row longer than the labels
        LogSnapshot snapshot = LogSnapshot::take(log, QDate(2026, 12, 7));
        QCOMPARE(snapshot.rowCount(), rows + 1);
        QCOMPARE(snapshot.labelCount(), rows);
        for (qsizetype k : {qsizetype(0), qsizetype(3599), rows - 1})
            QCOMPARE(snapshot.label(k), log.TimeLabel(4, k));
        QCOMPARE(snapshot.value(0, rows), 1.5);
        QCOMPARE(snapshot.value(5, rows - 1), log.y(9, rows - 1));

        // Seven cells of four bytes, and a part-filled chunk of 4096 rows at the end of
        // each column; half of it once the first half is written.
        const auto perRow = [&] { return double(snapshot.memoryUsage()) / double(rows); };
        QVERIFY2(perRow() < 30, qPrintable(QString::number(perRow())));
        snapshot.releaseRowsBefore(rows / 2);
        QVERIFY2(perRow() < 17, qPrintable(QString::number(perRow())));
        QCOMPARE(snapshot.value(1, rows - 1), log.y(1, rows - 1));
    }

    void dateNumberFormat_data() {
        QTest::addColumn<QString>("qtFormat");
        QTest::addColumn<QString>("numberFormat");
        QTest::newRow("Russian") << "dd.MM.yyyy"
                                 << "dd.mm.yyyy";
        QTest::newRow("US") << "M/d/yy"
                            << "m/d/yy";
        QTest::newRow("ISO") << "yyyy-MM-dd"
                             << "yyyy-mm-dd";
        QTest::newRow("month name") << "d MMM yyyy"
                                    << "d mmm yyyy";
        QTest::newRow("quoted letters") << "d 'de' MMMM"
                                        << "d \"de\" mmmm";
        QTest::newRow("quoted quote") << "d''MM"
                                      << "d\"'\"mm";
        QTest::newRow("bare letter") << "yyyy年M月d日"
                                     << "yyyy\"年\"m\"月\"d\"日\"";
    }

    void dateNumberFormat() {
        QFETCH(QString, qtFormat);
        QFETCH(QString, numberFormat);
        QCOMPARE(numberFormatForDate(qtFormat), numberFormat);
    }

    void regionalDateFormatFollowsTheSettings() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(regionalDateFormat(), QStringLiteral("dd.mm.yyyy"));
        RegionalSettings::setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(regionalDateFormat(), QStringLiteral("m/d/yy"));
    }

    void dateSerialCountsFromTheEpoch_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<double>("serial");
        // Day 1 is 1 Jan 1900; the 1900 system counts a 29 Feb 1900 that never was, so
        // from March 1900 on the days run from 30 Dec 1899.
        QTest::newRow("1 Mar 1900") << QDate(1900, 3, 1) << 61.0;
        QTest::newRow("1 Jan 2000") << QDate(2000, 1, 1) << 36526.0;
        QTest::newRow("7 Dec 2026") << QDate(2026, 12, 7) << 46363.0;
    }

    void dateSerialCountsFromTheEpoch() {
        QFETCH(QDate, date);
        QFETCH(double, serial);
        QCOMPARE(dateSerial(date), serial);
    }

    void defaultName_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("name");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia)
                                 << "07.12.2026XLS.xls";
        // The separators stay as the settings give them.
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates) << "12/7/26XLS.xls";
    }

    void defaultName() {
        QFETCH(QLocale, locale);
        QFETCH(QString, name);
        RegionalSettings::setLocale(locale);
        QCOMPARE(DefaultWorkbookName(QDate(2026, 12, 7)), name);
    }

    void formatFollowsTheName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("xlsx");
        QTest::newRow("xls") << "/tmp/a.xls" << false;
        QTest::newRow("xlsx") << "/tmp/a.xlsx" << true;
        QTest::newRow("capitals") << "/tmp/A.XlSx" << true;
        QTest::newRow("no suffix") << "/tmp/a" << false;
        QTest::newRow("other suffix") << "/tmp/a.csv" << false;
        QTest::newRow("xlsx inside") << "/tmp/a.xlsx.bak" << false;
    }

    void formatFollowsTheName() {
        QFETCH(QString, name);
        QFETCH(bool, xlsx);
        QCOMPARE(IsXlsxName(name), xlsx);
    }

    void headerTextsAreExact() {
        QCOMPARE(headerTexts(),
                 (QStringList{"T , *C", "RH, %", "V , м/с", "E , лк", "L , Кд/м", "UV, мВт/м"}));
        QCOMPARE(sheetName(0), QStringLiteral("Лист1"));
        QCOMPARE(sheetName(1), QStringLiteral("Лист2"));
    }
};

QTEST_GUILESS_MAIN(WorkbookLayoutTest)
#include "WorkbookLayoutTest.moc"
