// The model and head tables: names and what each configuration switches on.
#include "link/ConfigurationDetection.h"

#include <QtTest>

namespace {
const QStringList Climatic{"StaticTextT", "StaticTextTvl", "StaticTextTtr", "StaticTextRH",
                           "StaticTextV"};
const QStringList ClimaticBoxes{"CheckBox1T",   "CheckBox1RH", "CheckBox1Tvl",
                                "CheckBox1Ttr", "CheckBox1V",  "CheckBox1VR"};
const QStringList ClimaticLimits{"CheckBoxT", "CheckBoxRH", "CheckBoxV"};

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}
} // namespace

class DetectionTables : public QObject {
    Q_OBJECT

private slots:
    void models_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("channels");
        QTest::addColumn<QStringList>("limits");
        QTest::newRow("0x32") << 0x32 << "ДАРЕН/10" << QStringList{"StaticTextV"}
                              << QStringList{"CheckBox1V", "CheckBox1VR"}
                              << QStringList{"CheckBoxV"};
        QTest::newRow("0x34") << 0x34 << "ДАРЕН/12" << QStringList{"StaticTextT", "StaticTextV"}
                              << QStringList{"CheckBox1T", "CheckBox1V", "CheckBox1VR"}
                              << QStringList{"CheckBoxT", "CheckBoxV"};
        QTest::newRow("0x3C") << 0x3C << "ДАРЕН/20" << Climatic << ClimaticBoxes << ClimaticLimits;
        QTest::newRow("0x3D") << 0x3D << "ДАРЕН/21"
                              << Climatic + QStringList{"StaticTextE", "StaticTextL"}
                              << ClimaticBoxes + QStringList{"CheckBox1E", "CheckBox1L"}
                              << ClimaticLimits + QStringList{"CheckBoxE", "CheckBoxL"};
        QTest::newRow("0x3E") << 0x3E << "ДАРЕН/22"
                              << Climatic + QStringList{"StaticTextE", "StaticTextUV"}
                              << ClimaticBoxes + QStringList{"CheckBox1E", "CheckBox1UV"}
                              << ClimaticLimits + QStringList{"CheckBoxE", "CheckBoxUV"};
        QTest::newRow("0x3F") << 0x3F << "ДАРЕН/23" << Climatic + QStringList{"StaticTextE"}
                              << ClimaticBoxes + QStringList{"CheckBox1E"}
                              << ClimaticLimits + QStringList{"CheckBoxE"};
        QTest::newRow("0x41 by head")
            << 0x41 << "ДАРЕН/25" << QStringList{} << QStringList{} << QStringList{};
    }
    void models() {
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, channels);
        QFETCH(QStringList, limits);
        const auto row = FindModel(static_cast<std::int8_t>(code));
        QVERIFY(row.has_value());
        QCOMPARE(row->name, name);
        QCOMPARE(sorted(row->enables.valueFields), sorted(fields));
        QCOMPARE(sorted(row->enables.channelBoxes), sorted(channels));
        QCOMPARE(sorted(row->enables.limitBoxes), sorted(limits));
    }

    void unknownModels_data() {
        QTest::addColumn<int>("code");
        for (int code : {0x00, 0x33, 0x40, 0x42, 0x7F, -1})
            QTest::newRow(QByteArray::number(code).constData()) << code;
    }
    void unknownModels() {
        QFETCH(int, code);
        QVERIFY(!FindModel(static_cast<std::int8_t>(code)).has_value());
    }

    void heads_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("none") << 0 << "нет" << QStringList{};
        // The labels are crossed: byte 1 is the head marked 2, byte 2 the head marked 1.
        QTest::newRow("byte 1") << 1 << "гол.2" << QStringList{"StaticTextL", "StaticTextUV"};
        QTest::newRow("byte 2") << 2 << "гол.1" << Climatic + QStringList{"StaticTextE"};
    }
    void heads() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        const auto row = FindHead(static_cast<std::int8_t>(code));
        QVERIFY(row.has_value());
        QCOMPARE(row->text, text);
        QCOMPARE(sorted(row->enables.valueFields), sorted(fields));
    }

    void headByteTwoEnablesIlluminanceNotLuminance() {
        const auto row = FindHead(2);
        QVERIFY(row->enables.channelBoxes.contains("CheckBox1E"));
        QVERIFY(!row->enables.channelBoxes.contains("CheckBox1L"));
        QVERIFY(!row->enables.channelBoxes.contains("CheckBox1UV"));
        QVERIFY(row->enables.limitBoxes.contains("CheckBoxE"));
    }

    void unknownHead() { QVERIFY(!FindHead(3).has_value()); }

    void neverEnabled() {
        QStringList all;
        for (int code = -128; code < 128; ++code) {
            if (const auto m = FindModel(static_cast<std::int8_t>(code)))
                all += m->enables.valueFields + m->enables.channelBoxes + m->enables.limitBoxes;
            if (const auto h = FindHead(static_cast<std::int8_t>(code)))
                all += h->enables.valueFields + h->enables.channelBoxes + h->enables.limitBoxes;
        }
        QVERIFY(!all.isEmpty());
        for (const char* never : {"StaticTextTHC", "StaticTextTcf", "CheckBox2", "CheckBox5"})
            QVERIFY2(!all.contains(QLatin1String(never)), never);
    }
};

QTEST_GUILESS_MAIN(DetectionTables)
#include "detection_tables.moc"
