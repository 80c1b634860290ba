#include "measurement/LimitAlarm.h"
#include "measurement/OpticalDisplay.h"
#include "measurement/RegionalSettings.h"

#include <QTest>

class MeasurementLimitsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { RegionalSettings::resetToSystem(); }

    void limits_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<float>("value");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("minText");
        QTest::addColumn<QString>("maxText");
        QTest::addColumn<bool>("alarm");
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        const QLocale en(QLocale::English, QLocale::UnitedStates);

        QTest::newRow("equal to max") << ru << 23.5f << true << "10"
                                      << "23,5" << true;
        QTest::newRow("below max") << ru << 23.5f << true << "10"
                                   << "23,6" << false;
        // 23.4 is held as 23.3999996 in single precision; the box shows 23,4.
        QTest::newRow("equal to max, inexact") << ru << 23.4f << true << "10"
                                               << "23,4" << true;
        QTest::newRow("equal to min, inexact") << ru << 10.1f << true << "10,1"
                                               << "50" << true;
        QTest::newRow("above max") << ru << 30.0f << true << "10"
                                   << "23,4" << true;
        QTest::newRow("below min") << ru << -5.0f << true << "-4,9"
                                   << "50" << true;
        QTest::newRow("between, numeric not textual") << ru << 9.5f << true << "0"
                                                      << "10" << false;
        QTest::newRow("just inside both") << ru << 23.3f << true << "23,2"
                                          << "23,4" << false;
        QTest::newRow("disabled") << ru << 99.0f << false << "0"
                                  << "10" << false;
        QTest::newRow("point under ru") << ru << 23.4f << true << "0"
                                        << "23.4" << true;
        QTest::newRow("comma under en") << en << 23.4f << true << "0"
                                        << "23,4" << true;
        QTest::newRow("point under en") << en << 23.3f << true << "0"
                                        << "23.4" << false;
        QTest::newRow("empty max, min still tested") << ru << -1.0f << true << "0"
                                                     << "" << true;
        QTest::newRow("letters in max, min tested") << ru << 5.0f << true << "5"
                                                    << "abc" << true;
        QTest::newRow("letters in max, inside min") << ru << 500.0f << true << "5"
                                                    << "abc" << false;
        QTest::newRow("empty min, max tested") << ru << 11.0f << true << ""
                                               << "10" << true;
        QTest::newRow("both empty") << ru << 1.0e6f << true << ""
                                    << "" << false;
        QTest::newRow("blanks around") << ru << 10.0f << true << " 0 "
                                       << " 10 " << true;
        QTest::newRow("zero meets zero") << ru << 0.0f << true << "0"
                                         << "100" << true;
    }

    void limits() {
        QFETCH(QLocale, locale);
        QFETCH(float, value);
        QFETCH(bool, enabled);
        QFETCH(QString, minText);
        QFETCH(QString, maxText);
        QFETCH(bool, alarm);
        RegionalSettings::setLocale(locale);
        QCOMPARE(LimitAlarm(value, enabled, minText, maxText), alarm);
    }

    void opticalLimitsSeeTheScaledValue_data() {
        QTest::addColumn<float>("mantissa");
        QTest::addColumn<float>("code");
        QTest::addColumn<QString>("maxText");
        QTest::addColumn<bool>("alarm");
        QTest::newRow("51200 meets 51200") << 512.0f << 2.0f << "51200" << true;
        QTest::newRow("51200 below 51201") << 512.0f << 2.0f << "51201" << false;
        QTest::newRow("code 1, 0.5 is 5") << 0.5f << 1.0f << "5" << true;
        QTest::newRow("code 0, 123.4 meets 123.4") << 123.4f << 0.0f << "123,4" << true;
        QTest::newRow("unknown code: the mantissa") << 512.0f << 7.0f << "600" << false;
    }

    void opticalLimitsSeeTheScaledValue() {
        QFETCH(float, mantissa);
        QFETCH(float, code);
        QFETCH(QString, maxText);
        QFETCH(bool, alarm);
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(
            LimitAlarm(scaledOpticalValue(mantissa, code), true, QStringLiteral("-1"), maxText),
            alarm);
    }
};

QTEST_GUILESS_MAIN(MeasurementLimitsTest)
#include "measurement_limits.moc"
