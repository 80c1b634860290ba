// The search thread's life cycle against the in-process instrument: what it does on
// each port, and that it can be destroyed at any moment.
#include "IsolatedPortMap.h"
#include "ScriptedInstrument.h"
#include "link/PortMap.h"
#include "link/Rcpthread.h"
#include "link/Unitcomport.h"

#include <QCoreApplication>
#include <QMutex>
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

// The system's device list replaced for one test; the real one comes back, switched
// off, at the end of the scope, even when the test fails early.
struct DeviceListForTest {
    explicit DeviceListForTest(PortMap::DeviceLister lister) {
        PortMap::setDeviceLister(std::move(lister));
        PortMap::setEnumerationEnabled(true);
    }
    ~DeviceListForTest() {
        PortMap::setDeviceLister({});
        PortMap::setEnumerationEnabled(false);
    }
};

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
    void resumedSearchFindsTheInstrumentAgain();
    void deviceListReadOncePerPass();
    void pauseOnlyAfterPassWithoutOpenablePort_data();
    void pauseOnlyAfterPassWithoutOpenablePort();
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

// Detection that gets no answer to its queries hands the port back to the search.
void SearchThreadTest::resumedSearchFindsTheInstrumentAgain() {
    ScriptedInstrument instrument;
    instrument.bytes({0x37});
    MyThread thread;
    thread.Resume();
    QTRY_VERIFY(found());
    thread.Suspend();
    const QStringList probe{"open", "W 37", "R 37", "close"};
    QCOMPARE(instrument.log(), probe);
    // Found, the search idles: nothing more reaches the port while the thread lives on.
    QCoreApplication::processEvents();
    QVERIFY(thread.isRunning());
    QCOMPARE(instrument.log(), probe);

    ComPort.InstrumentFound.store(0, std::memory_order_release);
    instrument.bytes({0x00});
    thread.Resume();
    QTRY_VERIFY(found());
    QCOMPARE(instrument.log(), probe + QStringList({"open", "W 37", "R 00", "close"}));
    QCOMPARE(ComPort.PortLabel, QStringLiteral("COM1"));
}

void SearchThreadTest::deviceListReadOncePerPass() {
    ScriptedInstrument instrument;
    // At each read of the list, how many ports the search had opened before it.
    std::atomic<int> reads{0};
    QList<int> opensAtRead;
    QMutex mutex;
    const DeviceListForTest list([&] {
        QMutexLocker lock(&mutex);
        opensAtRead << instrument.openCount();
        ++reads;
        return QStringList{QStringLiteral("/dev/ttyS0")};
    });
    {
        MyThread thread;
        thread.Resume();
        QTRY_VERIFY(reads.load() >= 3);
    }
    QCOMPARE(opensAtRead.mid(0, 3), (QList<int>{0, 8, 16}));
}

void SearchThreadTest::pauseOnlyAfterPassWithoutOpenablePort_data() {
    QTest::addColumn<bool>("portsOpen");
    QTest::newRow("every port opens, none answers") << true;
    QTest::newRow("no port opens") << false;
}

void SearchThreadTest::pauseOnlyAfterPassWithoutOpenablePort() {
    QFETCH(bool, portsOpen);
    ScriptedInstrument instrument;
    instrument.failOpens(!portsOpen);
    // What the search does between its passes, in order: "pass" at each read of the
    // system's list (one a pass), "pause" where it would wait.
    QStringList steps;
    QMutex mutex;
    const DeviceListForTest list([&] {
        QMutexLocker lock(&mutex);
        steps << QStringLiteral("pass");
        return QStringList();
    });
    {
        MyThread thread;
        thread.setPassPause([&] {
            QMutexLocker lock(&mutex);
            steps << QStringLiteral("pause");
        });
        thread.Resume();
        QTRY_VERIFY([&] {
            QMutexLocker lock(&mutex);
            return steps.count(QStringLiteral("pass")) >= 3;
        }());
    }
    const QStringList expected = portsOpen ? QStringList{"pass", "pass", "pass"}
                                           : QStringList{"pass", "pause", "pass", "pause", "pass"};
    QCOMPARE(steps.mid(0, expected.size()), expected);
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
