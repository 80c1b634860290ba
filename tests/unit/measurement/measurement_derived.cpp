#include "measurement/ChannelDecoding.h"
#include "measurement/DerivedQuantities.h"
#include "measurement/Rounding.h"

#include <QTest>

#include <cmath>

class MeasurementDerivedTest : public QObject {
    Q_OBJECT

private slots:
    void derived_data() {
        QTest::addColumn<float>("t");
        QTest::addColumn<float>("rh");
        QTest::addColumn<double>("wetBulbShown");
        QTest::addColumn<double>("dewPoint");
        QTest::addColumn<double>("dewPointShown");

        QTest::newRow("20 / 50") << 20.0f << 50.0f << 14.3 << 9.2597 << 9.3;
        QTest::newRow("25 / 80") << 25.0f << 80.0f << 22.6 << 21.3067 << 21.3;
        QTest::newRow("0 / 100, saturated") << 0.0f << 100.0f << -0.5 << 0.0 << 0.0;
        QTest::newRow("-10 / 50") << -10.0f << 50.0f << -10.5 << -18.4547 << -18.5;
    }

    void derived() {
        QFETCH(float, t);
        QFETCH(float, rh);
        QFETCH(double, wetBulbShown);
        QFETCH(double, dewPoint);
        QFETCH(double, dewPointShown);

        const float wet = wetBulbTemperature(t, rh);
        QCOMPARE(RoundToTenth(wet), wetBulbShown);

        const std::optional<float> dew = dewPointTemperature(t, rh);
        QVERIFY(dew.has_value());
        QVERIFY2(std::fabs(*dew - dewPoint) < 5e-4, qPrintable(QString::number(*dew, 'g', 10)));
        QCOMPARE(RoundToTenth(*dew), dewPointShown);
    }

    void wetBulbIsStoredRounded() {
        // 14.32 is rounded once when computed and once more for the display.
        QCOMPARE(wetBulbTemperature(20.0f, 50.0f), 14.3f);
        QCOMPARE(wetBulbTemperature(-10.0f, 50.0f), -10.5f);
    }

    void dryAirHasNoDewPoint() {
        QVERIFY(!dewPointTemperature(20.0f, 0.0f).has_value());

        PollReading r;
        r.RawT = 20.0f;
        r.RawRH = 0.0f;
        r.DewPointT = 7.5f; // left from nothing: the record is fresh each poll
        QVERIFY(!computeDerivedQuantities(r));
        QCOMPARE(r.DewPointT, 7.5f);
        QCOMPARE(r.WetBulbT, wetBulbTemperature(20.0f, 0.0f));
    }

    void rawValuesEnterEvenWhenRejected() {
        // t = -40.0 fails its plausibility test and is shown as 0, yet the derived
        // quantities take the received -40.0.
        PollReading r;
        decodeClimatic(r, static_cast<std::uint16_t>(-400), 500, 0);
        applyValidityTests(r);
        QCOMPARE(r.AcceptedT, 0.0f);
        QVERIFY(computeDerivedQuantities(r));
        // (0.00381*50 + 0.636)*(-40) + 0.0546*50 - 4.94 = -35.27
        QCOMPARE(RoundToTenth(r.WetBulbT), -35.3);
        // 241.2*g/(1-g), g = ln 0.5/17.5043 - 40/201.2
        QCOMPARE(RoundToTenth(r.DewPointT), -46.4);
    }
};

QTEST_GUILESS_MAIN(MeasurementDerivedTest)
#include "measurement_derived.moc"
