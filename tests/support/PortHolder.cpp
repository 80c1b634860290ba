#include "PortHolder.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>

namespace {
const char* const HoldVariable = "VILTA_HOLD_PORT";
}

PortHolder::PortHolder(const QString& device) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(HoldVariable), device);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QCoreApplication::applicationFilePath(), {});
    if (!m_process.waitForStarted(5000))
        return;
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
    }
    m_holding = m_process.readLine().trimmed() == "held";
}

PortHolder::~PortHolder() {
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

bool PortHolder::runIfRequested(int argc, char** argv, int& exitCode) {
    if (!qEnvironmentVariableIsSet(HoldVariable))
        return false;
    QCoreApplication app(argc, argv);
    QSerialPort port(qEnvironmentVariable(HoldVariable));
    if (!port.open(QIODevice::ReadWrite)) {
        std::printf("failed %s\n", qPrintable(port.errorString()));
        std::fflush(stdout);
        exitCode = 1;
        return true;
    }
    std::printf("held\n");
    std::fflush(stdout);
    // Hold until the test closes our stdin.
    while (std::getchar() != EOF) {
    }
    port.close();
    exitCode = 0;
    return true;
}
