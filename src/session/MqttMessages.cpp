#include "MqttMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace MqttMessages {

QString isoTime(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray state(const PublishedPoll& poll) {
    QJsonObject object;
    object.insert(QStringLiteral("time"), isoTime(poll.time));
    for (const auto& [key, value] : poll.values) {
        // JSON has no NaN or infinity: such a value is left out rather than sent as null.
        if (std::isfinite(value))
            object.insert(key, value);
    }
    object.insert(QStringLiteral("alarm"), QJsonArray::fromStringList(poll.alarms));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString discoveryTopic(const QString& node, const QString& key) {
    return QStringLiteral("homeassistant/sensor/%1/%2/config").arg(node, key);
}

namespace {

// The dashboard's device class and the unit as it spells it, where it has a class for
// the unit at all (luminance and ultraviolet irradiance have none).
struct DashboardUnit {
    QString deviceClass;
    QString unit;
};

DashboardUnit dashboardUnit(const QString& unit) {
    const QString u = unit.trimmed();
    // The program writes degrees as "*С" with a Cyrillic С in its captions.
    if (u == QStringLiteral("°C") || u == QStringLiteral("*С") || u == QStringLiteral("*C") ||
        u == QStringLiteral("°С"))
        return {QStringLiteral("temperature"), QStringLiteral("°C")};
    if (u == QStringLiteral("%"))
        return {QStringLiteral("humidity"), u};
    if (u == QStringLiteral("м/с") || u == QStringLiteral("m/s"))
        return {QStringLiteral("wind_speed"), QStringLiteral("m/s")};
    if (u == QStringLiteral("лк") || u == QStringLiteral("lx"))
        return {QStringLiteral("illuminance"), QStringLiteral("lx")};
    return {QString(), u};
}

} // namespace

QByteArray discoveryConfig(const PublishedChannel& channel, const QString& node,
                           const QString& prefix) {
    const DashboardUnit unit = dashboardUnit(channel.unit);
    QJsonObject config;
    config.insert(QStringLiteral("name"), channel.name);
    config.insert(QStringLiteral("unique_id"), node + QLatin1Char('_') + channel.key);
    config.insert(QStringLiteral("state_topic"), prefix + QStringLiteral("/state"));
    config.insert(QStringLiteral("value_template"),
                  QStringLiteral("{{ value_json.%1 }}").arg(channel.key));
    if (!unit.unit.isEmpty())
        config.insert(QStringLiteral("unit_of_measurement"), unit.unit);
    if (!unit.deviceClass.isEmpty())
        config.insert(QStringLiteral("device_class"), unit.deviceClass);
    config.insert(QStringLiteral("state_class"), QStringLiteral("measurement"));
    config.insert(QStringLiteral("availability_topic"), prefix + QStringLiteral("/status"));
    config.insert(QStringLiteral("payload_available"), QStringLiteral("online"));
    config.insert(QStringLiteral("payload_not_available"), QStringLiteral("offline"));
    QJsonObject device;
    device.insert(QStringLiteral("identifiers"), QJsonArray{node});
    device.insert(QStringLiteral("name"), prefix);
    device.insert(QStringLiteral("model"), QStringLiteral("ВИЛТА Монитор"));
    config.insert(QStringLiteral("device"), device);
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
}

QString nodeId(const QString& prefix) {
    QString id;
    for (const QChar c : prefix) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           c == QLatin1Char('-') || c == QLatin1Char('_');
        id += plain ? c : QLatin1Char('_');
    }
    return id;
}

} // namespace MqttMessages
