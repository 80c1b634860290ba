#include "EmulatorProcess.h"

#include <QDeadlineTimer>
#include <QFile>

EmulatorProcess::EmulatorProcess(QStringList arguments) : m_arguments(std::move(arguments)) {
    // The child inherits our environment, XDG_CONFIG_HOME of the test included.
    m_process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

EmulatorProcess::~EmulatorProcess() {
    if (!stop())
        m_process.kill();
    m_process.waitForFinished(1000);
}

QString EmulatorProcess::transcriptPath() const {
    return m_dir.filePath(QStringLiteral("transcript.txt"));
}

bool EmulatorProcess::start(int timeoutMs) {
    m_process.start(QStringLiteral(VILTA_EMULATOR_PATH),
                    QStringList(m_arguments) << QStringLiteral("--transcript") << transcriptPath());
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() != QProcess::Running || deadline.hasExpired())
            return false;
        m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    m_output += line + QLatin1Char('\n');
    if (!line.startsWith(QLatin1String("ready ")))
        return false;
    m_device = line.mid(6);
    return true;
}

bool EmulatorProcess::stop(int timeoutMs) {
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.terminate();
    return waitForExit(timeoutMs) && m_process.exitCode() == 0;
}

bool EmulatorProcess::waitForExit(int timeoutMs) {
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit;
}

bool EmulatorProcess::isRunning() const {
    return m_process.state() != QProcess::NotRunning;
}

int EmulatorProcess::exitCode() const {
    return m_process.exitCode();
}

QString EmulatorProcess::output() {
    m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    return m_output;
}

QStringList EmulatorProcess::transcriptLines() const {
    QFile file(transcriptPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // Only complete lines: the emulator may be writing the last one right now.
    const QString text = QString::fromLatin1(file.readAll());
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

QStringList EmulatorProcess::transcript() const {
    QStringList lines = transcriptLines();
    lines.removeIf([](const QString& l) { return l.startsWith(QLatin1String("summary")); });
    return lines;
}

QString EmulatorProcess::transcriptSummary() const {
    for (const QString& line : transcriptLines()) {
        if (line.startsWith(QLatin1String("summary")))
            return line;
    }
    return {};
}
