#include "IsolatedStateFolder.h"

IsolatedStateFolder::IsolatedStateFolder()
    : m_hadValue(qEnvironmentVariableIsSet("XDG_STATE_HOME")),
      m_previous(qgetenv("XDG_STATE_HOME")) {
    qputenv("XDG_STATE_HOME", m_dir.path().toLocal8Bit());
}

IsolatedStateFolder::~IsolatedStateFolder() {
    if (m_hadValue)
        qputenv("XDG_STATE_HOME", m_previous);
    else
        qunsetenv("XDG_STATE_HOME");
}
