#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Gives the test a state folder of its own (through XDG_STATE_HOME, which child
// processes inherit), so that no recording of the developer's own runs is offered,
// touched or left behind. The previous setting comes back on destruction.
class IsolatedStateFolder {
public:
    IsolatedStateFolder();
    ~IsolatedStateFolder();
    IsolatedStateFolder(const IsolatedStateFolder&) = delete;
    IsolatedStateFolder& operator=(const IsolatedStateFolder&) = delete;

    QString root() const { return m_dir.path(); }
    // Where the program keeps its recordings under that root.
    QString recordings() const { return m_dir.filePath(QStringLiteral("vilta-monitor")); }

private:
    QTemporaryDir m_dir;
    bool m_hadValue = false;
    QByteArray m_previous;
};
