#pragma once

#include <QString>

// What publishing to a broker needs: where, under which topics, as whom, and whom to trust.
struct MqttSettings {
    QString host;
    int port = 0;        // 0: 1883, or 8883 when a CA file is given
    QString topicPrefix; // empty: defaultTopicPrefix()
    bool haDiscovery = false;
    QString user;
    QString passwordFile;  // the password is read from here, never taken from a command line
    QString caFile;        // given: TLS, the broker's certificate and host name checked
    int queueLimit = 1000; // polls waiting for the broker beyond this are not published

    int effectivePort() const;
    QString effectivePrefix() const;
    static QString defaultTopicPrefix();
    // "HOST" or "HOST:PORT" ("[::1]:1883" for an IPv6 address); false if it is neither.
    static bool parseAddress(const QString& text, QString* host, int* port);
};
