// The serial primitives over a real pseudo-terminal against instrument-emulator,
// checked against the emulator's byte transcript.
#include "EmulatorProcess.h"
#include "IsolatedPortMap.h"
#include "PortHolder.h"
#include "TranscriptText.h"
#include "link/PortMap.h"
#include "link/Unitcomport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString CleanSummary = QStringLiteral("summary wrong-echoes=0 abandoned=0");
} // namespace

class LinkEmulatorTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetComPortState(); }
    void cleanup() { ResetComPortState(); }

    void portMapLinkFollowsEmulator();
    void probe_data();
    void probe();
    void heldPortCountsAsSilent();
    void fullDialogue_data();
    void fullDialogue();
    void unknownBytesAreIgnored();
    void wrongEchoIsCounted();
    void replyBrokenOffEndsWaitByte();
    void missingEchoAbandonsReply();
    void vanishedInstrument();

private:
    IsolatedPortMap m_ports;
};

void LinkEmulatorTest::portMapLinkFollowsEmulator() {
    QVERIFY(PortMap::linkPath(3).startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    QVERIFY(PortMap::deviceFor(3).path.isEmpty());
    {
        EmulatorProcess instrument(args("--as COM3"));
        QVERIFY(instrument.start());
        QVERIFY(QFileInfo(PortMap::linkPath(3)).isSymLink());
        QCOMPARE(PortMap::deviceFor(3).path, instrument.devicePath());
        QVERIFY(PortMap::deviceFor(2).path.isEmpty());
        QVERIFY(PortMap::deviceFor(4).path.isEmpty());
        QVERIFY(instrument.stop());
    }
    QVERIFY(!QFileInfo(PortMap::linkPath(3)).isSymLink());
    QVERIFY(PortMap::deviceFor(3).path.isEmpty());
}

void LinkEmulatorTest::probe_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QStringList>("transcript");
    QTest::newRow("answers 0x37") << "" << true << QStringList{"H 37", "I 37"};
    QTest::newRow("answers 0x00") << "--probe-answer 0x00" << true << QStringList{"H 37", "I 00"};
    QTest::newRow("answers 0xFF") << "--probe-answer 255" << true << QStringList{"H 37", "I FF"};
    QTest::newRow("paced") << "--pace" << true << QStringList{"H 37", "I 37"};
    QTest::newRow("slow, within the probe") << "--slow 200" << true << QStringList{"H 37", "I 37"};
    QTest::newRow("silent") << "--silent" << false << QStringList{"H 37"};
    QTest::newRow("silent for a poll") << "--silent-polls 1" << false << QStringList{"H 37"};
}

void LinkEmulatorTest::probe() {
    QFETCH(QString, options);
    QFETCH(bool, present);
    QFETCH(QStringList, transcript);
    EmulatorProcess instrument(args("--as COM2 " + options));
    QVERIFY(instrument.start());
    OpenPort(2);
    QCOMPARE(ProbeInstrument(), present);
    ClosePort();
    QVERIFY(instrument.stop());
    QCOMPARE(instrument.transcript(), transcript);
    QCOMPARE(instrument.transcriptSummary(), CleanSummary);
}

void LinkEmulatorTest::heldPortCountsAsSilent() {
    EmulatorProcess instrument(args("--as COM3"));
    QVERIFY(instrument.start());
    {
        PortHolder terminalProgram(instrument.devicePath());
        QVERIFY(terminalProgram.isHolding());
        OpenPort(3);
        QVERIFY(!ProbeInstrument());
        ClosePort();
        QVERIFY(instrument.transcript().isEmpty());
    }
    // Released by the other program, the same port answers.
    OpenPort(3);
    QVERIFY(ProbeInstrument());
    ClosePort();
    QCOMPARE(instrument.transcript(), (QStringList{"H 37", "I 37"}));
}

void LinkEmulatorTest::fullDialogue_data() {
    QTest::addColumn<QString>("options");
    QTest::newRow("plain") << "";
    QTest::newRow("paced at 9600 baud") << "--pace";
    QTest::newRow("slow bytes") << "--slow 30";
}

void LinkEmulatorTest::fullDialogue() {
    QFETCH(QString, options);
    QTemporaryDir dir;
    const QString values = dir.filePath(QStringLiteral("values.txt"));
    {
        QFile file(values);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
        file.write("# t rh v opt1 range1 opt2 range2\n"
                   "-10.0 50 1.23 123.4 0 12.3 1\n"
                   "0xFEA2 0x044D 0x0BB9\n");
    }
    EmulatorProcess instrument(
        args("--as COM1 --model 0x41 --head 1 --values file:" + values + " " + options));
    QVERIFY(instrument.start());

    PortSession session(1);
    QVERIFY(ProbeInstrument());
    QVERIFY(SendCommand(CmdModel));
    QCOMPARE(ReceiveByte(), std::optional<std::uint8_t>(0x41));
    QVERIFY(SendCommand(CmdHeads));
    QCOMPARE(ReceiveByte(), std::optional<std::uint8_t>(0x01));
    const QList<std::uint16_t> firstPoll{0xFF9C, 0x01F4, 0x007B, 0x04D2, 0x0000, 0x007B, 0x0001};
    QList<std::uint16_t> words;
    QVERIFY(SendCommand(CmdReadClimatic));
    for (int i = 0; i < 3; ++i)
        words << ReceiveWord().value_or(0xDEAD);
    QVERIFY(SendCommand(CmdReadOptical));
    for (int i = 0; i < 4; ++i)
        words << ReceiveWord().value_or(0xDEAD);
    QCOMPARE(words, firstPoll);
    // The second line gives raw climatic words; the optical fields fall back to the base.
    words.clear();
    QVERIFY(SendCommand(CmdReadClimatic));
    for (int i = 0; i < 3; ++i)
        words << ReceiveWord().value_or(0xDEAD);
    QCOMPARE(words, (QList<std::uint16_t>{0xFEA2, 0x044D, 0x0BB9}));
    QVERIFY(SendCommand(CmdStop));
    ClosePort();

    QVERIFY(instrument.stop());
    QCOMPARE(instrument.transcript(),
             dialogue("H 37 I 37 "
                      "H A7 I A7 I 41 H 41 "
                      "H AB I AB I 01 H 01 "
                      "H A3 I A3 I FF H FF I 9C H 9C I 01 H 01 I F4 H F4 I 00 H 00 I 7B H 7B "
                      "H AA I AA I 04 H 04 I D2 H D2 I 00 H 00 I 00 H 00 "
                      "I 00 H 00 I 7B H 7B I 00 H 00 I 01 H 01 "
                      "H A3 I A3 I FE H FE I A2 H A2 I 04 H 04 I 4D H 4D I 0B H 0B I B9 H B9 "
                      "H A2 I A2"));
    QCOMPARE(instrument.transcriptSummary(), CleanSummary);
}

void LinkEmulatorTest::unknownBytesAreIgnored() {
    EmulatorProcess instrument(args("--as COM1"));
    QVERIFY(instrument.start());
    OpenPort(1);
    WriteByte(0x00);
    WriteByte(0x55);
    QVERIFY(ProbeInstrument());
    ClosePort();
    QVERIFY(instrument.stop());
    QCOMPARE(instrument.transcript(), (QStringList{"H 00", "H 55", "H 37", "I 37"}));
}

void LinkEmulatorTest::wrongEchoIsCounted() {
    EmulatorProcess instrument(args("--as COM1 --model 0x3C"));
    QVERIFY(instrument.start());
    OpenPort(1);
    QVERIFY(SendCommand(CmdModel));
    QCOMPARE(WaitByte(), std::optional<std::uint8_t>(0x3C));
    WriteByte(0x3D);
    QVERIFY(ProbeInstrument());
    ClosePort();
    QVERIFY(instrument.stop());
    QCOMPARE(instrument.transcript(), dialogue("H A7 I A7 I 3C H 3D H 37 I 37"));
    QCOMPARE(instrument.transcriptSummary(), QStringLiteral("summary wrong-echoes=1 abandoned=0"));
}

void LinkEmulatorTest::replyBrokenOffEndsWaitByte() {
    EmulatorProcess instrument(args("--as COM1 --stop-after 2 --t -10"));
    QVERIFY(instrument.start());
    OpenPort(1);
    QVERIFY(SendCommand(CmdReadClimatic));
    QCOMPARE(ReceiveWord(), std::optional<std::uint16_t>(0xFF9C));
    // The instrument fell silent: the bounded wait gives up instead of hanging.
    QCOMPARE(ReceiveByte(), std::nullopt);
    QCOMPARE(ComPort.LastReadCount, 0u);
    ClosePort();
    QVERIFY(instrument.stop());
    QCOMPARE(instrument.transcript(), dialogue("H A3 I A3 I FF H FF I 9C H 9C"));
}

void LinkEmulatorTest::missingEchoAbandonsReply() {
    EmulatorProcess instrument(args("--as COM1 --echo-timeout 100 --model 0x32"));
    QVERIFY(instrument.start());
    OpenPort(1);
    QVERIFY(SendCommand(CmdModel));
    QCOMPARE(WaitByte(), std::optional<std::uint8_t>(0x32));
    // No echo. Our own bounded wait (a second) outlasts the instrument's echo wait, so
    // by its end the instrument has given the reply up and takes commands again.
    QCOMPARE(WaitByte(), std::nullopt);
    QVERIFY(ProbeInstrument());
    ClosePort();
    QVERIFY(instrument.stop());
    QCOMPARE(instrument.transcript(), (QStringList{"H A7", "I A7", "I 32", "H 37", "I 37"}));
    QCOMPARE(instrument.transcriptSummary(), QStringLiteral("summary wrong-echoes=0 abandoned=1"));
}

void LinkEmulatorTest::vanishedInstrument() {
    EmulatorProcess instrument(args("--as COM4 --vanish-after 2"));
    QVERIFY(instrument.start());
    OpenPort(4);
    QVERIFY(ProbeInstrument());
    ClosePort();
    OpenPort(4);
    QVERIFY(ProbeInstrument());
    // The third probe finds the instrument gone while the port is open.
    QVERIFY(!ProbeInstrument());
    ClosePort();
    QVERIFY(instrument.waitForExit());
    QCOMPARE(instrument.exitCode(), 0);
    QVERIFY(instrument.output().contains(QStringLiteral("vanished")));
    QVERIFY(!QFileInfo(PortMap::linkPath(4)).isSymLink());
    QVERIFY(PortMap::deviceFor(4).path.isEmpty());
    OpenPort(4);
    QVERIFY(!ProbeInstrument());
    ClosePort();
    QCOMPARE(instrument.transcript(), dialogue("H 37 I 37 H 37 I 37 H 37"));
}

int main(int argc, char** argv) {
    int holderExit = 0;
    if (PortHolder::runIfRequested(argc, argv, holderExit))
        return holderExit;
    QCoreApplication app(argc, argv);
    LinkEmulatorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "link_emulator.moc"
