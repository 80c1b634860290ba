// The model and head queries, byte by byte, and what a broken-off reply gives.
#include "ScriptedInstrument.h"
#include "link/ConfigurationDetection.h"
#include "link/Unitcomport.h"

#include <QtTest>

class DetectionDialogue : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetComPortState(); }

    void dialogue_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("head");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("0x3C") << 0x3C << 0
                              << QStringList{"open", "W A7", "R A7", "R 3C", "W 3C", "close"};
        // The model byte is echoed before the head query goes out.
        QTest::newRow("0x41 head 2")
            << 0x41 << 2 << QStringList{"open", "W A7", "R A7", "R 41", "W 41",
                                        "W AB", "R AB", "R 02", "W 02", "close"};
        QTest::newRow("0x41 head 0")
            << 0x41 << 0 << QStringList{"open", "W A7", "R A7", "R 41", "W 41",
                                        "W AB", "R AB", "R 00", "W 00", "close"};
        QTest::newRow("0xFF unknown")
            << 0xFF << 0 << QStringList{"open", "W A7", "R A7", "R FF", "W FF", "close"};
    }
    void dialogue() {
        QFETCH(int, model);
        QFETCH(int, head);
        QFETCH(QStringList, expected);
        ScriptedInstrument instrument;
        ScriptedInstrument::Replies replies;
        replies.model = static_cast<std::uint8_t>(model);
        replies.head = static_cast<std::uint8_t>(head);
        instrument.answerLikeInstrument(replies);

        const DetectionReply reply = QueryConfiguration(3);
        QVERIFY(reply.answered);
        QCOMPARE(reply.model, static_cast<std::int8_t>(model));
        QCOMPARE(reply.headAsked, model == 0x41);
        QCOMPARE(reply.head, static_cast<std::int8_t>(model == 0x41 ? head : 0));
        QCOMPARE(instrument.log(), expected);
    }

    // An instrument that breaks off: the query gives up after the bounded wait, reports
    // no answer, and the port is closed.
    void brokenOff_data() {
        QTest::addColumn<QList<int>>("script");
        QTest::addColumn<int>("reads");
        QTest::newRow("nothing at all") << QList<int>{} << WaitByteReadLimit;
        QTest::newRow("acknowledgement only") << QList<int>{0xA7} << 1 + WaitByteReadLimit;
        QTest::newRow("no head byte") << QList<int>{0xA7, 0x41, 0xAB} << 3 + WaitByteReadLimit;
    }
    void brokenOff() {
        QFETCH(QList<int>, script);
        QFETCH(int, reads);
        ScriptedInstrument instrument;
        for (int b : script)
            instrument.bytes({static_cast<std::uint8_t>(b)});
        const DetectionReply reply = QueryConfiguration(1);
        QVERIFY(!reply.answered);
        QCOMPARE(instrument.readCount(), reads);
        QCOMPARE(instrument.openCount(), 1);
        QCOMPARE(instrument.closeCount(), 1);
        QVERIFY(!ComPort.PortHandle);
    }

    void portThatCannotBeOpened() {
        ScriptedInstrument instrument;
        instrument.failOpens();
        const DetectionReply reply = QueryConfiguration(2);
        QVERIFY(!reply.answered);
        // Two queries' worth of bounded waits would be 50 reads; the first gives up.
        QCOMPARE(instrument.readCount(), WaitByteReadLimit);
    }
};

QTEST_GUILESS_MAIN(DetectionDialogue)
#include "detection_dialogue.moc"
