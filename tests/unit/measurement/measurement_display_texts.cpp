#include "measurement/OpticalDisplay.h"
#include "measurement/RegionalSettings.h"
#include "measurement/Rounding.h"
#include "measurement/ValueText.h"

#include <QTest>

class MeasurementDisplayTextsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { RegionalSettings::resetToSystem(); }

    void valueText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("ru tenths") << ru << RoundToTenth(23.4f) << "23,4";
        QTest::newRow("ru whole") << ru << 20.0 << "20";
        QTest::newRow("ru zero") << ru << 0.0 << "0";
        QTest::newRow("ru negative zero") << ru << -0.0 << "0";
        QTest::newRow("ru negative") << ru << -18.5 << "-18,5";
        QTest::newRow("ru no group separator") << ru << 200000.0 << "200000";
        QTest::newRow("en tenths") << en << RoundToTenth(23.4f) << "23.4";
        QTest::newRow("en whole") << en << 20.0 << "20";
        QTest::newRow("en zero") << en << 0.0 << "0";
        QTest::newRow("en no group separator") << en << 1234567.0 << "1234567";
    }

    void valueText() {
        QFETCH(QLocale, locale);
        QFETCH(double, value);
        QFETCH(QString, text);
        RegionalSettings::setLocale(locale);
        QCOMPARE(ValueText(value), text);
    }

    void optical_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<float>("mantissa");
        QTest::addColumn<float>("code");
        QTest::addColumn<QString>("boxText"); // "-" for none
        QTest::addColumn<double>("scaled");
        QTest::addColumn<double>("logged");   // NaN for no point
        QTest::addColumn<QString>("readout"); // the chart's text for the logged value
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        const double none = qQNaN();

        QTest::newRow("code 0") << ru << 123.4f << 0.0f << "123,4" << 123.4 << 123.4 << "123,4";
        QTest::newRow("code 1") << ru << 123.4f << 1.0f << "1234" << 1234.0 << 1234.0 << "1234";
        QTest::newRow("code 2") << ru << 123.4f << 2.0f << "12,34k" << 12340.0 << 12340.0
                                << "12,34k";
        QTest::newRow("code 3") << ru << 123.4f << 3.0f << "123,4k" << 123400.0 << 123400.0
                                << "123,4k";
        QTest::newRow("code 2, 512.0")
            << ru << 512.0f << 2.0f << "51,2k" << 51200.0 << 51200.0 << "51,2k";
        QTest::newRow("code 2, 512.0 en")
            << en << 512.0f << 2.0f << "51.2k" << 51200.0 << 51200.0 << "51.2k";
        QTest::newRow("code 1, 0.5") << ru << 0.5f << 1.0f << "5" << 5.0 << 5.0 << "5";
        QTest::newRow("code 1, L 12.3") << ru << 12.3f << 1.0f << "123" << 123.0 << 123.0 << "123";
        QTest::newRow("code 0, zero") << ru << 0.0f << 0.0f << "0" << 0.0 << 0.0 << "0";
        QTest::newRow("code 3, top mantissa")
            << en << 200000.0f << 3.0f << "200000k" << 2.0e8 << 2.0e8 << "200000k";
        QTest::newRow("code 4") << ru << 123.4f << 4.0f << "-" << double(123.4f) << none << "-";
        QTest::newRow("code 7") << ru << 512.0f << 7.0f << "-" << 512.0 << none << "-";
        QTest::newRow("code 65535") << ru << 1.0f << 65535.0f << "-" << 1.0 << none << "-";
        // A low value on a high range: the log no longer knows the range.
        QTest::newRow("code 2, 51.2")
            << ru << 51.2f << 2.0f << "5,12k" << 5120.0 << 5120.0 << "5120";
    }

    void optical() {
        QFETCH(QLocale, locale);
        QFETCH(float, mantissa);
        QFETCH(float, code);
        QFETCH(QString, boxText);
        QFETCH(double, scaled);
        QFETCH(double, logged);
        QFETCH(QString, readout);
        RegionalSettings::setLocale(locale);

        const std::optional<QString> text = opticalBoxText(mantissa, code);
        QCOMPARE(text.value_or(QStringLiteral("-")), boxText);
        QCOMPARE(isKnownRangeCode(code), !qIsNaN(logged));
        // The limit test sees the scaled value in single precision.
        QCOMPARE(scaledOpticalValue(mantissa, code), static_cast<float>(scaled));
        if (!qIsNaN(logged)) {
            QCOMPARE(opticalLogValue(mantissa, code), logged);
            QCOMPARE(opticalLogText(logged), readout);
        }
    }

    void loggedValueKeepsTenthsBeyondSinglePrecision() {
        // The mantissa 12345.6 arrives as 12345.599609375; times 1000 it needs more digits
        // than single precision has. The log keeps them, the limit value cannot.
        QCOMPARE(opticalLogValue(12345.6f, 3.0f), 12345599.6);
        QCOMPARE(scaledOpticalValue(12345.6f, 3.0f), 12345600.0f);
    }
};

QTEST_GUILESS_MAIN(MeasurementDisplayTextsTest)
#include "measurement_display_texts.moc"
