#include "measurement/ChannelConfiguration.h"
#include "measurement/ChannelDecoding.h"
#include "measurement/Rounding.h"

#include <QTest>

#include <cstdint>

class MeasurementDecodingTest : public QObject {
    Q_OBJECT

private:
    static std::uint16_t word(int high, int low) {
        return static_cast<std::uint16_t>((high << 8) | low);
    }

private slots:
    void climatic_data() {
        QTest::addColumn<int>("tHigh");
        QTest::addColumn<int>("tLow");
        QTest::addColumn<int>("rhHigh");
        QTest::addColumn<int>("rhLow");
        QTest::addColumn<int>("vHigh");
        QTest::addColumn<int>("vLow");
        QTest::addColumn<double>("t");
        QTest::addColumn<double>("rh");
        QTest::addColumn<double>("v");
        QTest::addColumn<bool>("tPasses");
        QTest::addColumn<bool>("rhPasses");
        QTest::addColumn<bool>("vPasses");

        QTest::newRow("negative t, mid RH, V") << 0xFF << 0x9C << 0x01 << 0xF4 << 0x00 << 0x7B
                                               << -10.0 << 50.0 << 1.23 << true << true << true;
        QTest::newRow("t 35.0") << 0x01 << 0x5E << 0 << 0 << 0 << 0 << 35.0 << 0.0 << 0.0 << true
                                << true << true;
        QTest::newRow("t -35.0 fails")
            << 0xFE << 0xA2 << 0 << 0 << 0 << 0 << -35.0 << 0.0 << 0.0 << false << true << true;
        QTest::newRow("t -34.9") << 0xFE << 0xA3 << 0 << 0 << 0 << 0 << -34.9 << 0.0 << 0.0 << true
                                 << true << true;
        QTest::newRow("t 65.0") << 0x02 << 0x8A << 0 << 0 << 0 << 0 << 65.0 << 0.0 << 0.0 << true
                                << true << true;
        QTest::newRow("t 65.1 fails")
            << 0x02 << 0x8B << 0 << 0 << 0 << 0 << 65.1 << 0.0 << 0.0 << false << true << true;
        QTest::newRow("t most negative word")
            << 0x80 << 0x00 << 0 << 0 << 0 << 0 << -3276.8 << 0.0 << 0.0 << false << true << true;
        QTest::newRow("RH 110.0") << 0 << 0 << 0x04 << 0x4C << 0 << 0 << 0.0 << 110.0 << 0.0 << true
                                  << true << true;
        QTest::newRow("RH 110.1 fails")
            << 0 << 0 << 0x04 << 0x4D << 0 << 0 << 0.0 << 110.1 << 0.0 << true << false << true;
        QTest::newRow("RH unsigned top")
            << 0 << 0 << 0xFF << 0xFF << 0 << 0 << 0.0 << 6553.5 << 0.0 << true << false << true;
        QTest::newRow("V 30.00") << 0 << 0 << 0 << 0 << 0x0B << 0xB8 << 0.0 << 0.0 << 30.0 << true
                                 << true << true;
        QTest::newRow("V 30.01 rounds into range")
            << 0 << 0 << 0 << 0 << 0x0B << 0xB9 << 0.0 << 0.0 << 30.01 << true << true << true;
        QTest::newRow("V 30.05, held just below, rounds to 30.0")
            << 0 << 0 << 0 << 0 << 0x0B << 0xBD << 0.0 << 0.0 << 30.05 << true << true << true;
        QTest::newRow("V 30.06 fails")
            << 0 << 0 << 0 << 0 << 0x0B << 0xBE << 0.0 << 0.0 << 30.06 << true << true << false;
    }

    void climatic() {
        QFETCH(int, tHigh);
        QFETCH(int, tLow);
        QFETCH(int, rhHigh);
        QFETCH(int, rhLow);
        QFETCH(int, vHigh);
        QFETCH(int, vLow);
        QFETCH(double, t);
        QFETCH(double, rh);
        QFETCH(double, v);
        QFETCH(bool, tPasses);
        QFETCH(bool, rhPasses);
        QFETCH(bool, vPasses);

        PollReading r;
        decodeClimatic(r, word(tHigh, tLow), word(rhHigh, rhLow), word(vHigh, vLow));
        // Values are single precision: compare with the float nearest the decimal.
        QCOMPARE(r.RawT, static_cast<float>(t));
        QCOMPARE(r.RawRH, static_cast<float>(rh));
        QCOMPARE(r.RawV, static_cast<float>(v));

        applyValidityTests(r);
        // Accepted values are the decoded ones, unrounded, or 0.
        QCOMPARE(r.AcceptedT, tPasses ? r.RawT : 0.0f);
        QCOMPARE(r.AcceptedRH, rhPasses ? r.RawRH : 0.0f);
        QCOMPARE(r.AcceptedV, vPasses ? r.RawV : 0.0f);
    }

    void optical_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("head");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("e");
        QTest::addColumn<double>("eRange");
        QTest::addColumn<double>("l");
        QTest::addColumn<double>("lRange");
        QTest::addColumn<double>("uv");
        QTest::addColumn<double>("uvRange");

        const QByteArray sample = QByteArray::fromHex("04D20000007B0001");
        QTest::newRow("model 61") << 61 << 0 << sample << 123.4 << 0.0 << 12.3 << 1.0 << 12.3
                                  << 1.0;
        QTest::newRow("model 65 head 0 keeps block order")
            << 65 << 0 << sample << 123.4 << 0.0 << 12.3 << 1.0 << 12.3 << 1.0;
        QTest::newRow("model 65 head 1: first pair is L, second UV")
            << 65 << 1 << sample << 123.4 << 0.0 << 123.4 << 0.0 << 12.3 << 1.0;
        QTest::newRow("model 65 head 2: first pair is E")
            << 65 << 2 << sample << 123.4 << 0.0 << 12.3 << 1.0 << 12.3 << 1.0;
        QTest::newRow("head ignored for model 62")
            << 62 << 1 << sample << 123.4 << 0.0 << 12.3 << 1.0 << 12.3 << 1.0;
    }

    void optical() {
        QFETCH(int, model);
        QFETCH(int, head);
        QFETCH(QByteArray, bytes);
        QFETCH(double, e);
        QFETCH(double, eRange);
        QFETCH(double, l);
        QFETCH(double, lRange);
        QFETCH(double, uv);
        QFETCH(double, uvRange);

        const auto b = [&](int i) { return static_cast<std::uint8_t>(bytes[i]); };
        PollReading r;
        decodeOptical(r, word(b(0), b(1)), word(b(2), b(3)), word(b(4), b(5)), word(b(6), b(7)));
        applyHeadRules(r, model, head);
        QCOMPARE(r.EValue, static_cast<float>(e));
        QCOMPARE(r.ERange, static_cast<float>(eRange));
        QCOMPARE(r.LValue, static_cast<float>(l));
        QCOMPARE(r.LRange, static_cast<float>(lRange));
        QCOMPARE(r.UVValue, static_cast<float>(uv));
        QCOMPARE(r.UVRange, static_cast<float>(uvRange));
    }

    void opticalValidity_data() {
        QTest::addColumn<int>("mantissaWord");
        QTest::addColumn<int>("rangeWord");
        QTest::addColumn<bool>("passes");
        QTest::newRow("zero") << 0 << 0 << true;
        QTest::newRow("top word, range code not tested") << 0xFFFF << 9 << true;
    }

    void opticalValidity() {
        QFETCH(int, mantissaWord);
        QFETCH(int, rangeWord);
        QFETCH(bool, passes);
        PollReading r;
        const auto w = static_cast<std::uint16_t>(mantissaWord);
        const auto c = static_cast<std::uint16_t>(rangeWord);
        decodeOptical(r, w, c, w, c);
        applyValidityTests(r);
        QCOMPARE(r.AcceptedE, passes ? r.EValue : 0.0f);
        QCOMPARE(r.AcceptedL, passes ? r.LValue : 0.0f);
        QCOMPARE(r.AcceptedUV, passes ? r.UVValue : 0.0f);
    }

    void opticalBounds_data() {
        QTest::addColumn<float>("mantissa");
        QTest::addColumn<bool>("passes");
        QTest::newRow("200000") << 200000.0f << true;
        QTest::newRow("200000.04 rounds to 200000") << 200000.04f << true;
        QTest::newRow("200000.2") << 200000.2f << false;
        QTest::newRow("-0.04 rounds to 0") << -0.04f << true;
        QTest::newRow("-0.1") << -0.1f << false;
    }

    void opticalBounds() {
        QFETCH(float, mantissa);
        QFETCH(bool, passes);
        QCOMPARE(opticalMantissaValid(mantissa), passes);
    }

    void configuration_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("head");
        QTest::addColumn<QString>("channels");
        QTest::addColumn<int>("reference");
        QTest::newRow("50") << 50 << 0 << "V" << 4;
        QTest::newRow("52") << 52 << 0 << "t V" << 4;
        QTest::newRow("60") << 60 << 0 << "t RH V" << 4;
        QTest::newRow("61") << 61 << 0 << "t RH V E L" << 4;
        QTest::newRow("62") << 62 << 0 << "t RH V E UV" << 4;
        QTest::newRow("63") << 63 << 0 << "t RH V E" << 4;
        QTest::newRow("65 head 2") << 65 << 2 << "t RH V E" << 4;
        QTest::newRow("65 head 1") << 65 << 1 << "L UV" << 9;
        QTest::newRow("65 head 0") << 65 << 0 << "" << 9;
    }

    void configuration() {
        QFETCH(int, model);
        QFETCH(int, head);
        QFETCH(QString, channels);
        QFETCH(int, reference);
        const ChannelSet s = processedChannels(model, head);
        QStringList names;
        const std::pair<Channel, const char*> all[] = {{Channel::T, "t"}, {Channel::RH, "RH"},
                                                       {Channel::V, "V"}, {Channel::E, "E"},
                                                       {Channel::L, "L"}, {Channel::UV, "UV"}};
        for (const auto& [c, name] : all)
            if (s.contains(c))
                names << QString::fromLatin1(name);
        QCOMPARE(names.join(u' '), channels);
        QCOMPARE(s.contains(Channel::WetBulb), s.rh);
        QCOMPARE(s.contains(Channel::DewPoint), s.rh);
        QVERIFY(!s.contains(Channel::HeatStress));
        QVERIFY(!s.contains(Channel::BlackGlobe));
        QCOMPARE(AxisReferenceSeries(model, head), reference);
    }
};

QTEST_GUILESS_MAIN(MeasurementDecodingTest)
#include "measurement_decoding.moc"
