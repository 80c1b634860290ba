#include "measurement/RegionalSettings.h"
#include "statistics/Histogram.h"

#include <QTest>

#include <vector>

using Counts = std::array<int, Histogram::ClassCount>;
Q_DECLARE_METATYPE(Counts)

class StatisticsHistogramTest : public QObject {
    Q_OBJECT

private slots:
    void init() { RegionalSettings::setLocale(QLocale(QLocale::English)); }
    void cleanupTestCase() { RegionalSettings::resetToSystem(); }

    void quantities() {
        QCOMPARE(Histogram::seriesIndex(0), 0);
        QCOMPARE(Histogram::seriesIndex(1), 1);
        QCOMPARE(Histogram::seriesIndex(2), 4);
        QCOMPARE(Histogram::seriesIndex(3), 7);
        QCOMPARE(Histogram::seriesIndex(4), 8);
        QCOMPARE(Histogram::seriesIndex(5), 9);
        QVERIFY(!Histogram::isQuantity(-1));
        QVERIFY(!Histogram::isQuantity(6));
    }

    void classes_data() {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<std::vector<double>>("values");
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");

        QTest::newRow("empty log") << 0 << std::vector<double>{} << Counts{} << 0.0 << 0.0;
        QTest::newRow("60 counted nowhere")
            << 0 << std::vector<double>{21, 22, 23, 60} << Counts{0, 0, 0, 0, 3} << 21.0 << 60.0;
        QTest::newRow("5.0 on the border")
            << 0 << std::vector<double>{5.0} << Counts{0, 1} << 5.0 << 5.0;
        QTest::newRow("outside both ends") << 0 << std::vector<double>{-0.1, 0.0, 49.9, 50.0}
                                           << Counts{1, 0, 0, 0, 0, 0, 0, 0, 0, 1} << -0.1 << 50.0;
        QTest::newRow("humidity") << 1 << std::vector<double>{9.9, 10, 99.9, 100}
                                  << Counts{1, 1, 0, 0, 0, 0, 0, 0, 0, 1} << 9.9 << 100.0;
        QTest::newRow("illuminance") << 3 << std::vector<double>{19999.9, 20000, 199999.9}
                                     << Counts{1, 1, 0, 0, 0, 0, 0, 0, 0, 1} << 19999.9 << 199999.9;
        QTest::newRow("air speed borders")
            << 2
            << std::vector<double>{2.2, 4.4, 6.6, 8.8, 11, 13.2, 15.4, 17.6, 19.8, 22}
            // above: 2.2 4.4 8.8 17.6; below: 6.6 11 13.2 15.4 19.8; 22 in the last class
            << Counts{0, 1, 2, 0, 2, 1, 1, 0, 2, 1} << 2.2 << 22.0;
        QTest::newRow("air speed 22.1 beyond")
            << 2 << std::vector<double>{0, 22.1} << Counts{1} << 0.0 << 22.1;
    }

    void classes() {
        QFETCH(int, quantity);
        QFETCH(std::vector<double>, values);
        QFETCH(Counts, counts);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        const Histogram h = Histogram::compute(quantity, values);
        QCOMPARE(h.counts(), counts);
        QCOMPARE(h.minimum(), minimum);
        QCOMPARE(h.maximum(), maximum);
    }

    // Each air-speed border on its own, so a failure names the value.
    void airSpeedBorder_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expectedClass");
        QTest::newRow("2.2") << 2.2 << 1;
        QTest::newRow("4.4") << 4.4 << 2;
        QTest::newRow("6.6") << 6.6 << 2;
        QTest::newRow("8.8") << 8.8 << 4;
        QTest::newRow("11") << 11.0 << 4;
        QTest::newRow("13.2") << 13.2 << 5;
        QTest::newRow("15.4") << 15.4 << 6;
        QTest::newRow("17.6") << 17.6 << 8;
        QTest::newRow("19.8") << 19.8 << 8;
        QTest::newRow("22") << 22.0 << 9;
    }

    void airSpeedBorder() {
        QFETCH(double, value);
        QFETCH(int, expectedClass);
        const std::vector<double> v{value};
        const Histogram h = Histogram::compute(2, v);
        Counts expected{};
        expected[static_cast<std::size_t>(expectedClass)] = 1;
        QCOMPARE(h.counts(), expected);
    }

    void accessorSeries() {
        StatSeries s;
        s.count = 3;
        s.y = [](qsizetype i) { return 10.0 * static_cast<double>(i + 1); };
        const Histogram h = Histogram::compute(1, s);
        QCOMPARE(h.counts(), (Counts{0, 1, 1, 1}));
        QCOMPARE(h.minimum(), 10.0);
        QCOMPARE(h.maximum(), 30.0);
        QCOMPARE(Histogram::compute(1, StatSeries{}).counts(), Counts{});
    }

    void labels_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<QStringList>("labels");
        const QLocale ru(QLocale::Russian);
        const QLocale en(QLocale::English);
        QTest::newRow("t") << ru << 0 << QStringList{"5",  "10", "15", "20", "25",
                                                     "30", "35", "40", "45", "50"};
        QTest::newRow("RH") << ru << 1 << QStringList{"10", "20", "30", "40", "50",
                                                      "60", "70", "80", "90", "100"};
        QTest::newRow("V ru") << ru << 2 << QStringList{"2,2",  "4,4",  "6,6",  "8,8",  "11",
                                                        "13,2", "15,4", "17,6", "19,8", "22"};
        QTest::newRow("V en") << en << 2 << QStringList{"2.2",  "4.4",  "6.6",  "8.8",  "11",
                                                        "13.2", "15.4", "17.6", "19.8", "22"};
        QTest::newRow("UV") << ru << 5
                            << QStringList{"20000",  "40000",  "60000",  "80000",  "100000",
                                           "120000", "140000", "160000", "180000", "200000"};
    }

    void labels() {
        QFETCH(QLocale, locale);
        QFETCH(int, quantity);
        QFETCH(QStringList, labels);
        RegionalSettings::setLocale(locale);
        QCOMPARE(Histogram::compute(quantity, std::span<const double>{}).labels(), labels);
    }

    void shares_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<std::vector<double>>("values");
        QTest::addColumn<QStringList>("marks");
        const QLocale ru(QLocale::Russian);
        QStringList all100;
        for (int i = 0; i < Histogram::ClassCount; ++i)
            all100 << "100 %";
        QTest::newRow("nothing counted") << ru << std::vector<double>{60} << all100;
        QTest::newRow("one class")
            << ru << std::vector<double>{21, 22, 23, 60}
            << QStringList{"0 %", "0 %", "0 %", "0 %", "100 %", "0 %", "0 %", "0 %", "0 %", "0 %"};
        QTest::newRow("thirds ru") << ru << std::vector<double>{1, 6, 11}
                                   << QStringList{"33,33 %", "33,33 %", "33,33 %", "0 %", "0 %",
                                                  "0 %",     "0 %",     "0 %",     "0 %", "0 %"};
        QTest::newRow("two thirds en")
            << QLocale(QLocale::English) << std::vector<double>{1, 2, 6, 20, 21, 22, 23, 24}
            << QStringList{"25 %", "12.5 %", "0 %", "0 %", "62.5 %",
                           "0 %",  "0 %",    "0 %", "0 %", "0 %"};
    }

    void shares() {
        QFETCH(QLocale, locale);
        QFETCH(std::vector<double>, values);
        QFETCH(QStringList, marks);
        RegionalSettings::setLocale(locale);
        QStringList texts;
        for (double share : Histogram::compute(0, values).shares())
            texts << Histogram::shareText(share);
        QCOMPARE(texts, marks);
        QCOMPARE(Histogram::shareText(200.0 / 3.0),
                 locale.decimalPoint() == "," ? QString("66,67 %") : QString("66.67 %"));
    }
};

QTEST_GUILESS_MAIN(StatisticsHistogramTest)
#include "statistics_histogram.moc"
