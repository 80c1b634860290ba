#include "MqttSettings.h"

#include <QSysInfo>

int MqttSettings::effectivePort() const {
    if (port > 0)
        return port;
    return caFile.isEmpty() ? 1883 : 8883;
}

QString MqttSettings::effectivePrefix() const {
    return topicPrefix.isEmpty() ? defaultTopicPrefix() : topicPrefix;
}

QString MqttSettings::defaultTopicPrefix() {
    return QStringLiteral("vilta/") + QSysInfo::machineHostName();
}

bool MqttSettings::parseAddress(const QString& text, QString* host, int* port) {
    QString name = text.trimmed();
    QString portText;
    if (name.startsWith(QLatin1Char('['))) {
        const qsizetype close = name.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        const QString rest = name.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return false;
        portText = rest.mid(1);
        if (rest.startsWith(QLatin1Char(':')) && portText.isEmpty())
            return false;
        name = name.mid(1, close - 1);
    } else if (name.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = name.indexOf(QLatin1Char(':'));
        portText = name.mid(colon + 1);
        if (portText.isEmpty())
            return false;
        name = name.left(colon);
    }
    if (name.isEmpty() || name.contains(QLatin1Char(' ')))
        return false;
    int number = 0;
    if (!portText.isEmpty()) {
        bool ok = false;
        number = portText.toInt(&ok);
        if (!ok || number < 1 || number > 65535)
            return false;
    }
    *host = name;
    *port = number;
    return true;
}
