#include "measurement/RegionalSettings.h"
#include "statistics/Flow.h"

#include <QTest>

Q_DECLARE_METATYPE(FlowSection)

class StatisticsFlowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { RegionalSettings::resetToSystem(); }

    void flow_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<FlowSection>("section");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<QString>("d");
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("flowText");
        QTest::addColumn<QString>("areaText");
        const QLocale ru(QLocale::Russian);
        const QLocale en(QLocale::English);
        const auto rect = FlowSection::Rectangular;
        const auto round = FlowSection::Round;
        const auto any = FlowSection::Arbitrary;
        const auto row = [](const char* name, const QLocale& locale, FlowSection section,
                            const char* x, const char* y, const char* d, const char* s,
                            const char* speed, const char* flow, const char* area) {
            QTest::newRow(name) << locale << section << QString(x) << QString(y) << QString(d)
                                << QString(s) << QString(speed) << QString(flow) << QString(area);
        };

        // Start state: every field 1, so the flow is the speed in cubic metres per hour.
        row("start state", ru, rect, "1", "1", "1", "1", "2,5", "9000", "1");
        row("rectangle ru", ru, rect, "0,5", "0,4", "1", "1", "1,5", "1080", "0,2");
        row("rectangle dots under ru", ru, rect, "0.5", "0.4", "1", "1", "1.5", "1080", "0,2");
        row("rectangle commas under en", en, rect, "0,5", "0,4", "1", "1", "1,5", "1080", "0.2");
        row("round D 0.5 V 2", ru, round, "x", "x", "0,5", "1", "2", "1413", "0,19625");
        row("round rounds to 5 decimals", en, round, "", "", "0.013", "", "0.3", "0.14328",
            "0.000132665");
        row("arbitrary keeps area field", en, any, "x", "x", "x", "0.25", "0.1", "90", "");
        // No result: the area field is emptied with it, never left with an unused value.
        row("speed not a number", ru, rect, "2", "3", "1", "1", "--", "", "");
        row("speed empty", ru, round, "1", "1", "2", "1", "", "", "");
        row("width not a number", ru, rect, "abc", "1", "1", "1", "2", "", "");
        row("diameter empty", ru, round, "1", "1", "", "1", "2", "", "");
        row("area not a number", ru, any, "1", "1", "1", "1,2,3", "2", "", "");
        row("overflow", en, rect, "1e200", "1e200", "1", "1", "2", "", "");
        row("flow overflows, area does not", en, rect, "1e305", "1", "1", "1", "2", "", "");
        // A dimension must be above 0: neither its sign nor its square may turn it
        // into a flow.
        row("negative diameter", ru, round, "1", "1", "-1", "1", "2", "", "");
        row("negative width", ru, rect, "-2", "1", "1", "1", "0,5", "", "");
        row("two negative sides", ru, rect, "-2", "-1", "1", "1", "1", "", "");
        row("zero height", ru, rect, "2", "0", "1", "1", "1", "", "");
        row("zero area", ru, any, "1", "1", "1", "0", "1", "", "");
        row("negative area", ru, any, "1", "1", "1", "-0,5", "1", "", "");
        row("negative speed", ru, rect, "1", "1", "1", "1", "-1", "", "");
        row("still air", ru, rect, "0,5", "1", "1", "1", "0", "0", "0,5");
        row("negative zero speed", en, any, "", "", "", "3", "-0", "0", "");
    }

    void flow() {
        QFETCH(QLocale, locale);
        QFETCH(FlowSection, section);
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(QString, d);
        QFETCH(QString, s);
        QFETCH(QString, speed);
        QFETCH(QString, flowText);
        QFETCH(QString, areaText);
        RegionalSettings::setLocale(locale);
        const FlowResult r = computeFlow({section, x, y, d, s, speed});
        QCOMPARE(r.flowText, flowText);
        QCOMPARE(r.areaText, areaText);
    }
};

QTEST_GUILESS_MAIN(StatisticsFlowTest)
#include "statistics_flow.moc"
