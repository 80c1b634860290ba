#pragma once

#include "session/SessionSettings.h"

#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <optional>

// What the command line of vilta-logger asks for.
struct LoggerOptions {
    // Exit statuses of sysexits.h, which service managers know.
    static constexpr int ExitUsage = 64;       // bad arguments
    static constexpr int ExitUnavailable = 69; // no instrument found in time
    static constexpr int ExitCantCreate = 73;  // the output file cannot be taken
    static constexpr int ExitIoError = 74;     // the instrument stopped answering

    bool help = false;
    int port = 0; // COMn; 0: search COM1..COM8
    int intervalS = 3;
    bool scheduled = false;
    QTime windowStart;
    QTime windowEnd;
    qint64 polls = 0; // 0: until stopped
    // Limits of the tested series, by series index; texts as typed.
    std::array<std::optional<LimitSetting>, 10> limits{};
    bool rideOut = false;
    QString out;
    bool csv = false;
    int searchTimeoutS = 60;

    // The publisher's options, kept for it.
    QString mqttHost;
    int mqttPort = 0; // 0: the broker's usual port
    QString mqttTopic;
    bool haDiscovery = false;
    QString mqttUser;
    QString mqttPasswordFile;
    QString mqttCaFile;

    // Reads the arguments after the program's name; false with a Russian error.
    bool parse(const QStringList& arguments, QString& error);
    SessionSettings settings() const;

    // The text of --help.
    static QString usage();
    // The series a channel name of --limit means (t, rh, v, e, l, uv), or -1.
    static int limitSeries(const QString& name);
};
