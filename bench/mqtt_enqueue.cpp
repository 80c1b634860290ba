// Prints what publishing costs the session's thread: the time of one enqueue (mean and
// longest of many, eight channels each) with a live broker, with a "broker" that takes
// the connection and never answers, and with nothing listening; then how long each takes
// to say publishing stopped, and how long the publisher takes to end.
#include "session/MqttPublisher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int Polls = 20000;

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

PublishedPoll poll(int i) {
    PublishedPoll p;
    p.time = QDateTime::currentDateTime();
    for (const char* key : {"t", "rh", "v", "tvl", "ttr", "e", "l", "uv"})
        p.values.append({QString::fromLatin1(key), 20.0 + i % 100 / 10.0});
    p.alarms = i % 2 ? QStringList{QStringLiteral("t")} : QStringList{};
    return p;
}

void measure(const char* name, int port, int waitMs) {
    MqttSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    settings.topicPrefix = QStringLiteral("vilta/bench");
    QElapsedTimer made;
    made.start();
    auto* publisher = new MqttPublisher(settings);
    const double makeMs = double(made.nsecsElapsed()) / 1e6;
    QString reason;
    QEventLoop loop;
    QObject::connect(publisher, &MqttPublisher::publishingStopped, &loop, [&](const QString& why) {
        reason = why;
        loop.quit();
    });
    qint64 total = 0;
    qint64 longest = 0;
    for (int i = 0; i < Polls; ++i) {
        const PublishedPoll p = poll(i);
        QElapsedTimer timer;
        timer.start();
        publisher->enqueue(p);
        const qint64 ns = timer.nsecsElapsed();
        total += ns;
        longest = std::max(longest, ns);
    }
    QElapsedTimer outage;
    outage.start();
    // A live broker never stops: there the wait only lets it take the polls.
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    loop.exec();
    const bool said = !reason.isEmpty();
    const double saidS = double(outage.elapsed()) / 1000;
    QElapsedTimer end;
    end.start();
    const qint64 dropped = publisher->droppedPolls();
    delete publisher;
    std::printf("%-22s enqueue mean %6.2f us, longest %7.1f us; dropped %6lld of %d; "
                "constructor %.2f ms; stopped: %s (%.1f s after the last enqueue); "
                "end %.1f ms\n",
                name, double(total) / Polls / 1000, double(longest) / 1000,
                static_cast<long long>(dropped), Polls, makeMs, said ? qPrintable(reason) : "-",
                said ? saidS : 0.0, double(end.nsecsElapsed()) / 1e6);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    const int brokerPort = freePort();
    QFile config(dir.filePath(QStringLiteral("mosquitto.conf")));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\nuser root\n"
                                "persistence false\n")
                     .arg(brokerPort)
                     .toUtf8());
    config.close();
    QProcess broker;
    broker.setProcessChannelMode(QProcess::MergedChannels);
    broker.start(QStringLiteral("mosquitto"),
                 {QStringLiteral("-v"), QStringLiteral("-c"), config.fileName()});
    QByteArray log;
    QElapsedTimer up;
    up.start();
    while (!log.contains(" running") && up.elapsed() < 10000) {
        broker.waitForReadyRead(100);
        log += broker.readAll();
    }
    measure("live broker", brokerPort, 3000);
    broker.terminate();
    broker.waitForFinished();

    // Listening, but never accepting nor answering: the connection sits in the backlog.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost);
    measure("broker never answers", silent.serverPort(), 20000);
    silent.close();

    measure("nothing listening", freePort(), 20000);
    return 0;
}
