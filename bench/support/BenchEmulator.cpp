#include "BenchEmulator.h"

#include "link/PortMap.h"
#include "link/Unitcomport.h"
#include "windows/Formmain.h"
#include "windows/Forms.h"

#include <QTimer>

#include <cstdio>

BenchEmulator::BenchEmulator(const QProcessEnvironment& environment) {
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

BenchEmulator::~BenchEmulator() {
    stop();
}

bool BenchEmulator::start(const QStringList& arguments) {
    m_process.start(QStringLiteral(VILTA_EMULATOR_PATH), arguments);
    m_process.waitForStarted();
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
    }
    if (m_process.readLine().startsWith("ready "))
        return true;
    std::fprintf(stderr, "the emulator did not start\n");
    return false;
}

void BenchEmulator::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    m_process.waitForFinished(5000);
}

BenchPorts::BenchPorts() {
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PortMap::setEnumerationEnabled(false);
}

QString BenchPorts::filePath(const QString& name) const {
    return m_config.filePath(name);
}

void createFormsOnCom1() {
    CreateForms();
    FMain->TimerDetekt->stop();
    FMain->TimerLogo->stop();
    ComPort.PortNumber = 1;
    ComPort.InstrumentFound.store(1, std::memory_order_release);
}

void destroyFormsOnCom1() {
    DestroyForms();
    ResetComPortState();
}
