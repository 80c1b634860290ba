#include "Rcpthread.h"

#include "Unitcomport.h"

#include <QMetaObject>

namespace {
constexpr int HandOverSliceMs = 50;
}

MyThread::MyThread(QObject* parent) : QThread(parent) {}

MyThread::~MyThread() {
    requestStop();
    wait();
}

void MyThread::setStatusSink(QObject* receiver, StatusSink sink) {
    m_receiver = receiver;
    m_sink = std::move(sink);
}

void MyThread::Resume() {
    if (!isRunning() && !m_stop.load())
        start();
}

void MyThread::Suspend() {
    m_suspended.store(true);
}

void MyThread::requestStop() {
    m_stop.store(true);
    QMutexLocker lock(&m_idleMutex);
    m_idleWake.wakeAll();
}

void MyThread::run() { RunSearch(); }

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

void MyThread::idleUntilStopped() {
    QMutexLocker lock(&m_idleMutex);
    while (!m_stop.load())
        m_idleWake.wait(&m_idleMutex);
}

void MyThread::RunSearch() {
    while (!m_stop.load()) {
        if (ComPort.InstrumentFound.load(std::memory_order_acquire) == 1) {
            idleUntilStopped();
            return;
        }
        for (int n = 1; n <= 8 && !m_stop.load(); ++n) {
            ComPort.PortNumber = static_cast<std::int8_t>(n);
            OpenPort(n);
            if (ProbeInstrument()) {
                showStatus(QStringLiteral("Соединение прошло успешно"), false);
                ComPort.PortLabel = PortName(n);
                ClosePort();
                ComPort.InstrumentFound.store(1, std::memory_order_release);
                break;
            }
            ClosePort();
            showStatus(QStringLiteral("Поиск оборудования ..."), true);
        }
    }
}
