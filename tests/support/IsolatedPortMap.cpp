#include "IsolatedPortMap.h"

#include "link/PortMap.h"

IsolatedPortMap::IsolatedPortMap()
    : m_hadValue(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")),
      m_previous(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    PortMap::setEnumerationEnabled(false);
}

IsolatedPortMap::~IsolatedPortMap() {
    if (m_hadValue)
        qputenv("XDG_CONFIG_HOME", m_previous);
    else
        qunsetenv("XDG_CONFIG_HOME");
    PortMap::setEnumerationEnabled(true);
}
