// The instrument search (MyThread) over real pseudo-terminals served by the emulator.
#include "EmulatorProcess.h"
#include "IsolatedPortMap.h"
#include "PortHolder.h"
#include "link/Rcpthread.h"
#include "link/Unitcomport.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

namespace {
const QString Searching = QStringLiteral("Поиск оборудования ...");
const QString Connected = QStringLiteral("Соединение прошло успешно");
constexpr int FoundTimeoutMs = 20000;

QStringList repeated(const QString& text, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << text;
    return list;
}

bool found() {
    return ComPort.InstrumentFound.load(std::memory_order_acquire) == 1;
}

// A search thread whose status texts land in `texts` on this (the main) thread.
struct Search {
    QObject receiver;
    QStringList texts;
    std::unique_ptr<MyThread> thread = std::make_unique<MyThread>();

    Search() {
        thread->setStatusSink(&receiver, [this](const QString& text) { texts << text; });
    }
    void start() { thread->Resume(); }
};
} // namespace

class LinkSearchTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetComPortState(); }
    void cleanup() { ResetComPortState(); }

    void findsInstrumentOnPort_data();
    void findsInstrumentOnPort();
    void lowerPortWins();
    void heldPortCountsAsSilent();
    void searchGoesOnWithoutInstrument();
    void findsInstrumentSwitchedOnDuringSearch();
    void destroyedWhileProbing();
    void destroyedWhileHandingOverText();

private:
    IsolatedPortMap m_ports;
};

void LinkSearchTest::findsInstrumentOnPort_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QList<int>>("silentPorts");
    QTest::addColumn<QString>("answer");
    QTest::newRow("COM1") << 1 << QList<int>{} << QStringLiteral("37");
    QTest::newRow("COM8 after absent ports") << 8 << QList<int>{} << QStringLiteral("37");
    QTest::newRow("COM8 after silent COM3 and COM6")
        << 8 << QList<int>{3, 6} << QStringLiteral("37");
    QTest::newRow("COM5 answering 0x00") << 5 << QList<int>{} << QStringLiteral("00");
}

void LinkSearchTest::findsInstrumentOnPort() {
    QFETCH(int, port);
    QFETCH(QList<int>, silentPorts);
    QFETCH(QString, answer);
    EmulatorProcess instrument({QStringLiteral("--as"), PortName(port),
                                QStringLiteral("--probe-answer"), QStringLiteral("0x") + answer});
    QVERIFY(instrument.start());
    std::vector<std::unique_ptr<EmulatorProcess>> silent;
    for (int n : silentPorts) {
        silent.push_back(std::make_unique<EmulatorProcess>(
            QStringList{QStringLiteral("--as"), PortName(n), QStringLiteral("--silent")}));
        QVERIFY(silent.back()->start());
    }

    Search search;
    search.start();
    QTRY_VERIFY_WITH_TIMEOUT(found(), FoundTimeoutMs);
    QTRY_COMPARE(search.texts.size(), port);

    // Every port below failed first, in ascending order, each with its search text.
    QCOMPARE(search.texts, repeated(Searching, port - 1) << Connected);
    QCOMPARE(ComPort.PortLabel, PortName(port));
    QCOMPARE(int(ComPort.PortNumber), port);
    QVERIFY(!ComPort.PortHandle);
    QCOMPARE(instrument.transcript(), (QStringList{"H 37", QStringLiteral("I ") + answer}));
    // A silent port got exactly one probe and nothing else.
    for (const auto& s : silent)
        QCOMPARE(s->transcript(), QStringList{"H 37"});
}

void LinkSearchTest::lowerPortWins() {
    EmulatorProcess com5({QStringLiteral("--as"), QStringLiteral("COM5")});
    EmulatorProcess com2({QStringLiteral("--as"), QStringLiteral("COM2")});
    QVERIFY(com5.start());
    QVERIFY(com2.start());

    Search search;
    search.start();
    QTRY_VERIFY_WITH_TIMEOUT(found(), FoundTimeoutMs);
    QTRY_COMPARE(search.texts, (QStringList{Searching, Connected}));
    QCOMPARE(ComPort.PortLabel, QStringLiteral("COM2"));
    QCOMPARE(com2.transcript(), (QStringList{"H 37", "I 37"}));
    // Found is final: the higher port is never asked.
    search.thread.reset();
    QVERIFY(com5.transcript().isEmpty());
}

void LinkSearchTest::heldPortCountsAsSilent() {
    EmulatorProcess held({QStringLiteral("--as"), QStringLiteral("COM2")});
    EmulatorProcess free({QStringLiteral("--as"), QStringLiteral("COM6")});
    QVERIFY(held.start());
    QVERIFY(free.start());
    PortHolder terminalProgram(held.devicePath());
    QVERIFY(terminalProgram.isHolding());

    Search search;
    search.start();
    QTRY_VERIFY_WITH_TIMEOUT(found(), FoundTimeoutMs);
    QCOMPARE(ComPort.PortLabel, QStringLiteral("COM6"));
    QTRY_COMPARE(search.texts, repeated(Searching, 5) << Connected);
    // The held port was passed over without a byte reaching the instrument behind it.
    QVERIFY(held.transcript().isEmpty());
}

void LinkSearchTest::searchGoesOnWithoutInstrument() {
    Search search;
    search.start();
    // Three full passes over COM1..COM8, each port with its text.
    QTRY_VERIFY_WITH_TIMEOUT(search.texts.size() >= 24, FoundTimeoutMs);
    QVERIFY(!found());
    QCOMPARE(search.texts.mid(0, 24), repeated(Searching, 24));
    QCOMPARE(ComPort.PortLabel, QStringLiteral("COM*"));
}

void LinkSearchTest::findsInstrumentSwitchedOnDuringSearch() {
    Search search;
    search.start();
    QTRY_VERIFY_WITH_TIMEOUT(search.texts.size() >= 16, FoundTimeoutMs);
    QVERIFY(!found());

    EmulatorProcess instrument({QStringLiteral("--as"), QStringLiteral("COM4")});
    QVERIFY(instrument.start());
    QTRY_VERIFY_WITH_TIMEOUT(found(), FoundTimeoutMs);
    QTRY_COMPARE(search.texts.last(), Connected);
    QCOMPARE(search.texts.count(Connected), 1);
    QCOMPARE(search.texts.count(Searching), search.texts.size() - 1);
    QCOMPARE(ComPort.PortLabel, QStringLiteral("COM4"));
    // Found on its first probe.
    QCOMPARE(instrument.transcript(), (QStringList{"H 37", "I 37"}));
}

void LinkSearchTest::destroyedWhileProbing() {
    EmulatorProcess silent(
        {QStringLiteral("--as"), QStringLiteral("COM1"), QStringLiteral("--silent")});
    QVERIFY(silent.start());
    Search search;
    search.start();
    // The probe byte has reached the instrument: the thread is inside the probe.
    QTRY_VERIFY_WITH_TIMEOUT(silent.transcript().contains(QStringLiteral("H 37")), FoundTimeoutMs);
    search.thread.reset();
    QVERIFY(!found());
    QVERIFY(!ComPort.PortHandle);
}

void LinkSearchTest::destroyedWhileHandingOverText() {
    Search search;
    search.start();
    QTRY_VERIFY_WITH_TIMEOUT(!search.texts.isEmpty(), FoundTimeoutMs);
    // The next text is handed over while nobody processes events; the thread waits
    // for it when it is destroyed. The text must not reach into the dead thread later.
    search.thread.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!ComPort.PortHandle);
    QCOMPARE(search.texts.count(Searching), search.texts.size());
}

int main(int argc, char** argv) {
    int holderExit = 0;
    if (PortHolder::runIfRequested(argc, argv, holderExit))
        return holderExit;
    QCoreApplication app(argc, argv);
    LinkSearchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "link_search.moc"
