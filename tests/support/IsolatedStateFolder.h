#pragma once

#include <QTemporaryDir>

// Gives the test a state folder of its own (XDG_STATE_HOME, which child processes
// inherit): no recording of the developer's own runs is offered, touched or left behind.
class IsolatedStateFolder {
public:
    IsolatedStateFolder() { qputenv("XDG_STATE_HOME", m_dir.path().toLocal8Bit()); }
    ~IsolatedStateFolder() {
        if (m_previous.isNull())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", m_previous);
    }
    // Where the program keeps its recordings.
    QString recordings() const { return m_dir.filePath(QStringLiteral("vilta-monitor")); }

private:
    QByteArray m_previous =
        qEnvironmentVariableIsSet("XDG_STATE_HOME") ? qgetenv("XDG_STATE_HOME") : QByteArray();
    QTemporaryDir m_dir;
};
