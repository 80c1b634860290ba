#include "Rcpthread.h"

#include "PortMap.h"
#include "Unitcomport.h"

#include <QDeadlineTimer>
#include <QMetaObject>

namespace {
constexpr int HandOverSliceMs = 50;

bool found() {
    return ComPort.InstrumentFound.load(std::memory_order_acquire) == 1;
}
} // namespace

MyThread::MyThread(QObject* parent) : QThread(parent) {}

MyThread::~MyThread() {
    requestStop();
    wait();
}

void MyThread::setStatusSink(QObject* receiver, StatusSink sink) {
    m_receiver = receiver;
    m_sink = std::move(sink);
}

void MyThread::setPassPause(std::function<void()> pause) {
    m_passPause = std::move(pause);
}

void MyThread::Resume() {
    {
        QMutexLocker lock(&m_wakeMutex);
        m_suspended.store(false);
        m_wake.wakeAll();
    }
    if (!isRunning() && !m_stop.load())
        start();
}

void MyThread::Suspend() {
    m_suspended.store(true);
}

void MyThread::requestStop() {
    QMutexLocker lock(&m_wakeMutex);
    m_stop.store(true);
    m_wake.wakeAll();
}

void MyThread::run() {
    RunSearch();
}

void MyThread::showStatus(const QString& text, bool wait) {
    QObject* receiver = m_receiver.data();
    if (!receiver || !m_sink)
        return;
    const StatusSink sink = m_sink;
    const std::shared_ptr<QSemaphore> handedOver = m_handedOver;
    QMetaObject::invokeMethod(
        receiver,
        [sink, text, handedOver, wait] {
            sink(text);
            if (wait)
                handedOver->release();
        },
        Qt::QueuedConnection);
    if (!wait)
        return;
    // Not a blocking queued call: the user-interface thread may be joining this
    // thread at exit, so keep looking at the stop flag while waiting.
    while (!m_stop.load()) {
        if (m_handedOver->tryAcquire(1, HandOverSliceMs))
            return;
    }
}

bool MyThread::mayGoOn() const {
    return !m_stop.load() && !m_suspended.load();
}

bool MyThread::waitUntilSearching() {
    QMutexLocker lock(&m_wakeMutex);
    while (!m_stop.load() && (m_suspended.load() || found()))
        m_wake.wait(&m_wakeMutex);
    return !m_stop.load();
}

void MyThread::pauseBetweenPasses() {
    if (m_passPause) {
        m_passPause();
        return;
    }
    QMutexLocker lock(&m_wakeMutex);
    if (mayGoOn())
        m_wake.wait(&m_wakeMutex, QDeadlineTimer(PassPause));
}

void MyThread::RunSearch() {
    while (waitUntilSearching())
        runPass();
}

void MyThread::runPass() {
    const PortMap::Pass devices = PortMap::devicesForPass();
    bool anyOpened = false;
    for (int n = 1; n <= PortMap::PortCount; ++n) {
        if (!mayGoOn())
            return;
        ComPort.PortNumber = static_cast<std::int8_t>(n);
        const bool opened = OpenPortDevice(devices[std::size_t(n - 1)]);
        anyOpened = anyOpened || opened;
        if (ProbeInstrument()) {
            showStatus(QStringLiteral("Соединение прошло успешно"), false);
            ComPort.PortLabel = PortName(n);
            ClosePort();
            ComPort.InstrumentFound.store(1, std::memory_order_release);
            return;
        }
        ClosePort();
        // The window waits to paint the text after a probed port; a port that could not
        // even be opened is passed over too quickly for a round trip to be worth it.
        showStatus(QStringLiteral("Поиск оборудования ..."), opened);
    }
    if (!anyOpened)
        pauseBetweenPasses();
}
