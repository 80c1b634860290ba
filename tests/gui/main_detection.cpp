// Configuration detection as the main window runs it: status panels, the controls it
// switches on, and an instrument that stops answering.
#include "MainWindowFixture.h"
#include "ScriptedInstrument.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {
const QStringList AllValueFields{"StaticTextT", "StaticTextRH",  "StaticTextTvl", "StaticTextTtr",
                                 "StaticTextV", "StaticTextTHC", "StaticTextTcf", "StaticTextE",
                                 "StaticTextL", "StaticTextUV"};
const QStringList AllBoxes{
    "CheckBox1T", "CheckBox1RH", "CheckBox1Tvl", "CheckBox1Ttr", "CheckBox1V",  "CheckBox1VR",
    "CheckBox5",  "CheckBox2",   "CheckBox1E",   "CheckBox1L",   "CheckBox1UV", "CheckBoxT",
    "CheckBoxRH", "CheckBoxV",   "CheckBoxE",    "CheckBoxL",    "CheckBoxUV"};

// Records the text of a label each time it is painted.
class PaintedTexts : public QObject {
public:
    PaintedTexts(QLabel* label, QStringList& texts) : m_label(label), m_texts(texts) {
        label->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && event->type() == QEvent::Paint)
            m_texts << m_label->text();
        return false;
    }

private:
    QLabel* m_label;
    QStringList& m_texts;
};

QStringList enabledIn(QWidget* window, const QStringList& names) {
    QStringList on;
    for (const QString& name : names) {
        QWidget* w = window->findChild<QWidget*>(name);
        if (!w)
            return {QStringLiteral("missing ") + name};
        if (w->isEnabled())
            on << name;
    }
    return on;
}
} // namespace

class MainDetection : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;

private slots:
    void init() { m_forms = std::make_unique<MainWindowFixture>(); }
    void cleanup() { m_forms.reset(); }

    void notFoundYet() {
        FMain->TimerDetektTimer();
        settleLink();
        QCOMPARE(FMain->panelText(3), QStringLiteral("Прибор не найден"));
        QVERIFY(!FMain->ButtonStartStop->isEnabled());
    }

    void rows_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("head");
        QTest::addColumn<QString>("modelText");
        QTest::addColumn<QString>("headText");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("start");
        QTest::newRow("10") << 0x32 << 0 << "ДАРЕН/10"
                            << "" << QStringList{"StaticTextV"}
                            << QStringList{"CheckBox1V", "CheckBox1VR", "CheckBoxV"} << true;
        QTest::newRow("12") << 0x34 << 0 << "ДАРЕН/12"
                            << "" << QStringList{"StaticTextT", "StaticTextV"}
                            << QStringList{"CheckBox1T", "CheckBox1V", "CheckBox1VR", "CheckBoxT",
                                           "CheckBoxV"}
                            << true;
        const QStringList climatic{"StaticTextT", "StaticTextRH", "StaticTextTvl", "StaticTextTtr",
                                   "StaticTextV"};
        const QStringList climaticBoxes{"CheckBox1T",   "CheckBox1RH", "CheckBox1Tvl",
                                        "CheckBox1Ttr", "CheckBox1V",  "CheckBox1VR"};
        const QStringList climaticLimits{"CheckBoxT", "CheckBoxRH", "CheckBoxV"};
        QTest::newRow("20") << 0x3C << 0 << "ДАРЕН/20"
                            << "" << climatic << climaticBoxes + climaticLimits << true;
        QTest::newRow("21") << 0x3D << 0 << "ДАРЕН/21"
                            << "" << climatic + QStringList{"StaticTextE", "StaticTextL"}
                            << climaticBoxes + QStringList{"CheckBox1E", "CheckBox1L"} +
                                   climaticLimits + QStringList{"CheckBoxE", "CheckBoxL"}
                            << true;
        QTest::newRow("22") << 0x3E << 0 << "ДАРЕН/22"
                            << "" << climatic + QStringList{"StaticTextE", "StaticTextUV"}
                            << climaticBoxes + QStringList{"CheckBox1E", "CheckBox1UV"} +
                                   climaticLimits + QStringList{"CheckBoxE", "CheckBoxUV"}
                            << true;
        QTest::newRow("23") << 0x3F << 0 << "ДАРЕН/23"
                            << "" << climatic + QStringList{"StaticTextE"}
                            << climaticBoxes + QStringList{"CheckBox1E"} + climaticLimits +
                                   QStringList{"CheckBoxE"}
                            << true;
        QTest::newRow("25 head 0") << 0x41 << 0 << "ДАРЕН/25"
                                   << "нет" << QStringList{} << QStringList{} << true;
        QTest::newRow("25 head 1")
            << 0x41 << 1 << "ДАРЕН/25"
            << "гол.2" << QStringList{"StaticTextL", "StaticTextUV"}
            << QStringList{"CheckBox1L", "CheckBox1UV", "CheckBoxL", "CheckBoxUV"} << true;
        QTest::newRow("25 head 2")
            << 0x41 << 2 << "ДАРЕН/25"
            << "гол.1" << climatic + QStringList{"StaticTextE"}
            << climaticBoxes + QStringList{"CheckBox1E"} + climaticLimits + QStringList{"CheckBoxE"}
            << true;
        QTest::newRow("25 head 7") << 0x41 << 7 << "ДАРЕН/25"
                                   << "" << QStringList{} << QStringList{} << true;
        QTest::newRow("0x33") << 0x33 << 0 << ""
                              << "" << QStringList{} << QStringList{} << false;
        QTest::newRow("0x40") << 0x40 << 0 << ""
                              << "" << QStringList{} << QStringList{} << false;
    }
    void rows() {
        QFETCH(int, model);
        QFETCH(int, head);
        QFETCH(QString, modelText);
        QFETCH(QString, headText);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, boxes);
        QFETCH(bool, start);

        ScriptedInstrument instrument;
        ScriptedInstrument::Replies replies;
        replies.model = static_cast<std::uint8_t>(model);
        replies.head = static_cast<std::uint8_t>(head);
        instrument.answerLikeInstrument(replies);
        ComPort.PortNumber = 3;
        ComPort.InstrumentFound.store(1);

        FMain->TimerDetektTimer();
        settleLink();

        QCOMPARE(FMain->panelText(0), QStringLiteral("COM3"));
        QCOMPARE(FMain->panelText(1), modelText);
        QCOMPARE(FMain->panelText(2), headText);
        QCOMPARE(FMain->panelText(3), QStringLiteral("Для начала работы нажмите старт"));
        QCOMPARE(FMain->ButtonStartStop->isEnabled(), start);
        QVERIFY(!FMain->TimerDetekt->isActive());
        QStringList wantFields = fields;
        wantFields.sort();
        QStringList gotFields = enabledIn(FMain, AllValueFields);
        gotFields.sort();
        QCOMPARE(gotFields, wantFields);
        QStringList wantBoxes = boxes;
        wantBoxes.sort();
        QStringList gotBoxes = enabledIn(FOptions, AllBoxes);
        gotBoxes.sort();
        QCOMPARE(gotBoxes, wantBoxes);
        QCOMPARE(instrument.openCount(), 1);
        QCOMPARE(instrument.closeCount(), 1);
    }

    // Nothing is enabled, and the search is to find the instrument again: detection
    // runs anew at the next tick that sees it found.
    void instrumentStopsAnswering() {
        ScriptedInstrument instrument;
        instrument.bytes({0xA7}); // acknowledges, then nothing
        ComPort.PortNumber = 2;
        ComPort.InstrumentFound.store(1);
        FMain->TimerDetektTimer();
        settleLink();
        QCOMPARE(FMain->panelText(0), QStringLiteral("COM2"));
        QCOMPARE(FMain->panelText(3), QStringLiteral("Нет отклика от прибора"));
        QVERIFY(!FMain->ButtonStartStop->isEnabled());
        QVERIFY(enabledIn(FMain, AllValueFields).isEmpty());
        QVERIFY(enabledIn(FOptions, AllBoxes).isEmpty());
        QCOMPARE(instrument.closeCount(), 1);
        QCOMPARE(int(ComPort.InstrumentFound.load()), 0);
        QVERIFY(FMain->TimerDetekt->isActive());
        FMain->TimerDetektTimer(); // not found again yet: the text stays
        settleLink();
        QCOMPARE(FMain->panelText(3), QStringLiteral("Нет отклика от прибора"));
    }

    // The queries run on the link thread: the tick returns at once with the text shown,
    // and the queries' outcome arrives through the window's event loop.
    void configurationTextStandsWhileQueriesRun() {
        ScriptedInstrument instrument;
        instrument.answerLikeInstrument({});
        ComPort.PortNumber = 1;
        ComPort.InstrumentFound.store(1);
        FMain->TimerDetektTimer();
        QCOMPARE(FMain->panelText(3), QStringLiteral("Определение конфигурации"));
        QVERIFY(FMain->session()->isExchanging());
        settleLink();
        QCOMPARE(FMain->panelText(3), QStringLiteral("Для начала работы нажмите старт"));
    }
};

QTEST_MAIN(MainDetection)
#include "main_detection.moc"
