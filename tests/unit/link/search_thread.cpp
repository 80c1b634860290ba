// The search thread's life cycle against the in-process instrument: what it does on
// each port, and that it can be destroyed at any moment.
#include "IsolatedPortMap.h"
#include "ScriptedInstrument.h"
#include "link/Rcpthread.h"
#include "link/Unitcomport.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

namespace {
const QString Searching = QStringLiteral("Поиск оборудования ...");
const QString Connected = QStringLiteral("Соединение прошло успешно");

bool found() {
    return ComPort.InstrumentFound.load(std::memory_order_acquire) == 1;
}

QStringList silentPortLog() {
    QStringList log{QStringLiteral("open"), QStringLiteral("W 37")};
    for (int i = 0; i < ProbeRetryLimit; ++i)
        log << QStringLiteral("R -");
    log << QStringLiteral("close");
    return log;
}
} // namespace

class SearchThreadTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetComPortState(); }
    void cleanup() { ResetComPortState(); }

    void eachPortIsProbedAndClosed();
    void answerEndsTheSearch();
    void foundThreadNeverTouchesThePortAgain();
    void destroyedWhileHandingOverText();

private:
    IsolatedPortMap m_ports;
};

void SearchThreadTest::eachPortIsProbedAndClosed() {
    ScriptedInstrument instrument;
    QStringList texts;
    QObject receiver; // destroyed before texts: drops a hand-over still queued
    auto thread = std::make_unique<MyThread>();
    thread->setStatusSink(&receiver, [&texts](const QString& t) { texts << t; });
    thread->Resume();
    QTRY_VERIFY(texts.size() >= 8);
    thread.reset();
    QVERIFY(!found());
    // Port after port: opened, probed with one byte, eleven empty reads, closed, and
    // only then the next one.
    QStringList expected;
    for (int n = 0; n < 8; ++n)
        expected << silentPortLog();
    QCOMPARE(instrument.log().mid(0, expected.size()), expected);
    QVERIFY(!instrument.isOpen());
    QCOMPARE(texts.count(Searching), texts.size());
}

void SearchThreadTest::answerEndsTheSearch() {
    // Silent for the first two probes (22 reads), then an answer of 0x00.
    ScriptedInstrument instrument;
    instrument.emptyReads(2 * ProbeRetryLimit).bytes({0x00});
    QStringList texts;
    QObject receiver;
    MyThread thread;
    thread.setStatusSink(&receiver, [&texts](const QString& t) { texts << t; });
    thread.Resume();
    QTRY_VERIFY(found());
    QTRY_COMPARE(texts, (QStringList{Searching, Searching, Connected}));
    QCOMPARE(ComPort.PortLabel, QStringLiteral("COM3"));
    QCOMPARE(int(ComPort.PortNumber), 3);
    QCOMPARE(instrument.log().mid(2 * silentPortLog().size()),
             (QStringList{"open", "W 37", "R 00", "close"}));
}

void SearchThreadTest::foundThreadNeverTouchesThePortAgain() {
    ScriptedInstrument instrument;
    instrument.bytes({0x37});
    MyThread thread;
    thread.Resume();
    QTRY_VERIFY(found());
    thread.Suspend();
    QVERIFY(thread.isSuspended());
    const QStringList log = instrument.log();
    QCOMPARE(log, (QStringList{"open", "W 37", "R 37", "close"}));
    // Idle, not polling: nothing more reaches the port while the thread lives on.
    QCoreApplication::processEvents();
    QVERIFY(thread.isRunning());
    QCOMPARE(instrument.log(), log);
}

void SearchThreadTest::destroyedWhileHandingOverText() {
    ScriptedInstrument instrument;
    // The texts go to a thread that does not run yet, so the hand-over stays pending.
    QThread userInterface;
    QObject receiver;
    receiver.moveToThread(&userInterface);
    std::atomic<int> delivered{0};
    auto thread = std::make_unique<MyThread>();
    thread->setStatusSink(&receiver, [&delivered](const QString& t) {
        if (t == Searching)
            ++delivered;
    });
    thread->Resume();
    // COM1 probed and closed: its text is handed over next, and never taken.
    QTRY_VERIFY(instrument.log().contains(QStringLiteral("close")));
    thread.reset();
    QVERIFY(!instrument.isOpen());
    // Delivered after the thread is gone, the text must not reach into it (memory
    // checkers see a write into freed memory otherwise).
    userInterface.start();
    QTRY_COMPARE(delivered.load(), 1);
    userInterface.quit();
    QVERIFY(userInterface.wait(5000));
}

QTEST_GUILESS_MAIN(SearchThreadTest)
#include "search_thread.moc"
