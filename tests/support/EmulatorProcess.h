#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// instrument-emulator as a child process. start() waits for its "ready <device>" line;
// the destructor ends it with SIGTERM (which removes its port-map link). It always
// writes a transcript, which transcript() reads back.
class EmulatorProcess {
public:
    explicit EmulatorProcess(QStringList arguments = {});
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    bool start(int timeoutMs = 10000);
    // SIGTERM and wait; true if it ended cleanly with status 0.
    bool stop(int timeoutMs = 5000);
    bool waitForExit(int timeoutMs = 5000);
    bool isRunning() const;
    int exitCode() const;

    // The pseudo-terminal the emulator serves, e.g. /dev/pts/4.
    QString devicePath() const { return m_device; }
    // Everything the emulator printed on stdout so far (the "ready" line included).
    QString output();

    // The byte lines of the transcript so far ("H 37", "I 37", ...).
    QStringList transcript() const;
    // The closing summary line, once the emulator has ended; empty before.
    QString transcriptSummary() const;
    QString transcriptPath() const;

private:
    QStringList transcriptLines() const;

    QStringList m_arguments;
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
    QString m_output;
};
