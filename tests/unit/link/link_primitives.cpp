// The serial primitives byte for byte, against an in-process scripted instrument.
#include "IsolatedPortMap.h"
#include "ScriptedInstrument.h"
#include "link/Unitcomport.h"

#include <QTest>

#include <stdexcept>

using Read = ScriptedInstrument::Read;

class LinkPrimitivesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetComPortState(); }
    void cleanup() { ResetComPortState(); }

    void portName_data();
    void portName();

    void probeAnswer_data();
    void probeAnswer();
    void probeOnSilentPortMakesElevenReads();
    void probeOnUnopenablePortFails();
    void probeCountsAfreshEveryTime();

    void receiveByteEchoesExactly_data();
    void receiveByteEchoesExactly();
    void acknowledgementIsConsumedNotEchoed();
    void waitByteLimit_data();
    void waitByteLimit();
    void receiveWord_data();
    void receiveWord();
    void receiveWordGivesUpWhenLowByteMissing();
    void exchangeDeadline_data();
    void exchangeDeadline();

    void openPortClosesThePreviousPort();
    void portSessionClosesOnEveryPath_data();
    void portSessionClosesOnEveryPath();
    void exchangeWithInstrument();

private:
    IsolatedPortMap m_ports;
};

void LinkPrimitivesTest::portName_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("name");
    for (int n = 1; n <= 8; ++n)
        QTest::addRow("%d", n) << n << QStringLiteral("COM%1").arg(n);
}

void LinkPrimitivesTest::portName() {
    QFETCH(int, n);
    QFETCH(QString, name);
    QCOMPARE(PortName(n), name);
    QCOMPARE(PortName(n).size(), 4);
}

void LinkPrimitivesTest::probeAnswer_data() {
    QTest::addColumn<int>("emptyReadsBefore");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("present");
    QTest::newRow("at once") << 0 << 0x37 << true;
    QTest::newRow("answer 0x00") << 0 << 0x00 << true;
    QTest::newRow("answer 0xFF") << 0 << 0xFF << true;
    QTest::newRow("answer 0xA2") << 3 << 0xA2 << true;
    QTest::newRow("in the 11th read") << 10 << 0x00 << true;
    QTest::newRow("too late, 12th read") << 11 << 0x37 << false;
}

void LinkPrimitivesTest::probeAnswer() {
    QFETCH(int, emptyReadsBefore);
    QFETCH(int, answer);
    QFETCH(bool, present);
    ScriptedInstrument instrument;
    instrument.emptyReads(emptyReadsBefore).bytes({std::uint8_t(answer), 0x55});

    OpenPort(1);
    QCOMPARE(ProbeInstrument(), present);
    QCOMPARE(ComPort.LastReadCount, present ? 1u : 0u);
    if (present)
        QCOMPARE(ComPort.ReceiveBuffer, std::uint8_t(answer));
    // The probe byte goes out alone and the answer is never echoed.
    QCOMPARE(instrument.written(), QList<std::uint8_t>{CmdProbe});
    QCOMPARE(instrument.readCount(), present ? emptyReadsBefore + 1 : ProbeRetryLimit);
    // The probe leaves closing to its caller.
    QVERIFY(instrument.isOpen());
}

void LinkPrimitivesTest::probeOnSilentPortMakesElevenReads() {
    ScriptedInstrument instrument;
    OpenPort(5);
    QVERIFY(!ProbeInstrument());
    ClosePort();
    QStringList expected{QStringLiteral("open"), QStringLiteral("W 37")};
    for (int i = 0; i < 11; ++i)
        expected << QStringLiteral("R -");
    expected << QStringLiteral("close");
    QCOMPARE(instrument.log(), expected);
}

void LinkPrimitivesTest::probeOnUnopenablePortFails() {
    ScriptedInstrument instrument;
    instrument.failOpens();
    instrument.bytes({0x37});
    OpenPort(2);
    QVERIFY(!ProbeInstrument());
    QVERIFY(instrument.written().isEmpty());
    ClosePort();
    QCOMPARE(instrument.closeCount(), 1);
}

void LinkPrimitivesTest::probeCountsAfreshEveryTime() {
    // Ten empty reads in the first probe must not shorten the second one.
    ScriptedInstrument instrument;
    instrument.emptyReads(10).bytes({0x37}).emptyReads(10).bytes({0x00});
    OpenPort(1);
    QVERIFY(ProbeInstrument());
    QVERIFY(ProbeInstrument());
    QCOMPARE(instrument.readCount(), 22);
}

void LinkPrimitivesTest::receiveByteEchoesExactly_data() {
    QTest::addColumn<int>("value");
    for (int v : {0x00, 0x01, 0x37, 0x7F, 0x80, 0xA3, 0xFF})
        QTest::addRow("0x%02X", v) << v;
}

void LinkPrimitivesTest::receiveByteEchoesExactly() {
    QFETCH(int, value);
    ScriptedInstrument instrument;
    instrument.emptyReads(3).bytes({std::uint8_t(value)});
    OpenPort(1);
    const auto b = ReceiveByte();
    QVERIFY(b);
    QCOMPARE(*b, std::uint8_t(value));
    QCOMPARE(instrument.written(), QList<std::uint8_t>{std::uint8_t(value)});
}

void LinkPrimitivesTest::acknowledgementIsConsumedNotEchoed() {
    ScriptedInstrument instrument;
    instrument.bytes({0xA3, 0x12, 0x34});
    OpenPort(1);
    const auto ack = SendCommand(CmdReadClimatic);
    QVERIFY(ack);
    QCOMPARE(*ack, std::uint8_t(0xA3));
    QCOMPARE(ReceiveByte(), std::optional<std::uint8_t>(0x12));
    QCOMPARE(instrument.log(), (QStringList{"open", "W A3", "R A3", "R 12", "W 12"}));
}

void LinkPrimitivesTest::waitByteLimit_data() {
    QTest::addColumn<int>("emptyReadsBefore");
    QTest::addColumn<bool>("received");
    QTest::newRow("first read") << 0 << true;
    QTest::newRow("25th read") << 24 << true;
    QTest::newRow("after 25 empty reads") << 25 << false;
}

void LinkPrimitivesTest::waitByteLimit() {
    QFETCH(int, emptyReadsBefore);
    QFETCH(bool, received);
    ScriptedInstrument instrument;
    instrument.emptyReads(emptyReadsBefore).bytes({0x42});
    OpenPort(1);
    const auto b = WaitByte();
    QCOMPARE(b.has_value(), received);
    QCOMPARE(instrument.readCount(), received ? emptyReadsBefore + 1 : WaitByteReadLimit);
    // Waiting is not receiving: nothing is echoed by WaitByte itself.
    QVERIFY(instrument.written().isEmpty());
}

void LinkPrimitivesTest::receiveWord_data() {
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("word");
    QTest::newRow("FF 9C") << 0xFF << 0x9C << 0xFF9C;
    QTest::newRow("01 F4") << 0x01 << 0xF4 << 0x01F4;
    QTest::newRow("00 00") << 0x00 << 0x00 << 0x0000;
    QTest::newRow("00 FF") << 0x00 << 0xFF << 0x00FF;
    QTest::newRow("FF 00") << 0xFF << 0x00 << 0xFF00;
}

void LinkPrimitivesTest::receiveWord() {
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(int, word);
    ScriptedInstrument instrument;
    instrument.bytes({std::uint8_t(high), std::uint8_t(low)});
    OpenPort(1);
    QCOMPARE(ReceiveWord(), std::optional<std::uint16_t>(word));
    // Each byte is echoed before the next one is read.
    QCOMPARE(instrument.log(),
             (QStringList{"open", QStringLiteral("R %1").arg(high, 2, 16, QChar(u'0')).toUpper(),
                          QStringLiteral("W %1").arg(high, 2, 16, QChar(u'0')).toUpper(),
                          QStringLiteral("R %1").arg(low, 2, 16, QChar(u'0')).toUpper(),
                          QStringLiteral("W %1").arg(low, 2, 16, QChar(u'0')).toUpper()}));
}

void LinkPrimitivesTest::receiveWordGivesUpWhenLowByteMissing() {
    ScriptedInstrument instrument;
    instrument.bytes({0x01});
    OpenPort(1);
    QCOMPARE(ReceiveWord(), std::nullopt);
    QCOMPARE(instrument.written(), QList<std::uint8_t>{0x01});
    QCOMPARE(instrument.readCount(), 1 + WaitByteReadLimit);
}

// A reply of six data bytes, each after some empty 40 ms reads, to a command sent at
// the start of an exchange. The exchange may last one second from its first byte out
// plus the line time (1.04 ms) of each byte planned for it.
void LinkPrimitivesTest::exchangeDeadline_data() {
    QTest::addColumn<int>("plannedBytes");
    QTest::addColumn<int>("emptyReadsBeforeEachByte");
    QTest::addColumn<int>("bytesReceived");
    QTest::newRow("prompt") << 14 << 0 << 6;
    QTest::newRow("a byte every 280 ms") << 14 << 7 << 3;
    QTest::newRow("a byte every 400 ms") << 14 << 10 << 2;
    // Each byte just within WaitByte's own bound of 25 reads.
    QTest::newRow("a byte every 960 ms") << 14 << 24 << 1;
    // The second byte's read starts 1040 ms after the command: within the line time of
    // 40 planned bytes (1041.7 ms), past one second without it.
    QTest::newRow("520 ms, 40 bytes planned") << 40 << 13 << 2;
    QTest::newRow("520 ms, none planned") << 0 << 13 << 1;
}

void LinkPrimitivesTest::exchangeDeadline() {
    QFETCH(int, plannedBytes);
    QFETCH(int, emptyReadsBeforeEachByte);
    QFETCH(int, bytesReceived);
    ScriptedInstrument instrument;
    instrument.bytes({CmdReadClimatic});
    for (std::uint8_t b = 1; b <= 6; ++b)
        instrument.emptyReads(emptyReadsBeforeEachByte).bytes({b});
    PortSession session(1, plannedBytes);
    QVERIFY(SendCommand(CmdReadClimatic));
    int received = 0;
    while (ReceiveByte())
        ++received;
    QCOMPARE(received, bytesReceived);
    QCOMPARE(ExchangeDeadlinePassed(), bytesReceived < 6);
}

void LinkPrimitivesTest::openPortClosesThePreviousPort() {
    ScriptedInstrument instrument;
    OpenPort(1);
    OpenPort(2);
    QCOMPARE(instrument.log(), (QStringList{"open", "close", "open"}));
    ClosePort();
    ClosePort();
    QCOMPARE(instrument.closeCount(), 2);
    QVERIFY(!instrument.isOpen());
}

void LinkPrimitivesTest::portSessionClosesOnEveryPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("openFails");
    for (const char* path : {"completed", "early return", "exception"}) {
        QTest::addRow("%s", path) << QString::fromLatin1(path) << false;
        QTest::addRow("%s, open failed", path) << QString::fromLatin1(path) << true;
    }
}

void LinkPrimitivesTest::portSessionClosesOnEveryPath() {
    QFETCH(QString, path);
    QFETCH(bool, openFails);
    ScriptedInstrument instrument;
    instrument.failOpens(openFails);
    instrument.bytes({0x37, 0xA2});

    auto exchange = [&path]() -> bool {
        PortSession session(3);
        if (!ProbeInstrument() || path == QLatin1String("early return"))
            return false;
        if (path == QLatin1String("exception"))
            throw std::runtime_error("handler failed");
        return SendCommand(CmdStop).has_value();
    };
    bool completed = false;
    try {
        completed = exchange();
    } catch (const std::runtime_error&) {
    }
    QCOMPARE(completed, path == QLatin1String("completed") && !openFails);
    QCOMPARE(instrument.openCount(), 1);
    QCOMPARE(instrument.closeCount(), 1);
    QVERIFY(!instrument.isOpen());
    QVERIFY(!ComPort.PortHandle);
}

void LinkPrimitivesTest::exchangeWithInstrument() {
    // The shape of a climatic poll against an instrument that holds each data byte
    // back until the previous one has been echoed.
    ScriptedInstrument instrument;
    ScriptedInstrument::Replies replies;
    replies.climatic = {0xFF, 0x9C, 0x01, 0xF4, 0x00, 0x7B};
    instrument.answerLikeInstrument(replies);
    {
        PortSession session(1);
        QVERIFY(ProbeInstrument());
        QVERIFY(SendCommand(CmdReadClimatic));
        QCOMPARE(ReceiveWord(), std::optional<std::uint16_t>(0xFF9C));
        QCOMPARE(ReceiveWord(), std::optional<std::uint16_t>(0x01F4));
        QCOMPARE(ReceiveWord(), std::optional<std::uint16_t>(0x007B));
    }
    QCOMPARE(instrument.log(), (QStringList{"open", "W 37", "R 37", "W A3", "R A3", "R FF", "W FF",
                                            "R 9C", "W 9C", "R 01", "W 01", "R F4", "W F4", "R 00",
                                            "W 00", "R 7B", "W 7B", "close"}));
    QCOMPARE(instrument.wrongEchoes(), 0);
}

QTEST_GUILESS_MAIN(LinkPrimitivesTest)
#include "link_primitives.moc"
