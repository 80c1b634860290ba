// vilta-logger: the measurement session without windows, for a machine left beside an
// instrument (a service that starts with the machine).
#include "LoggerOptions.h"
#include "LoggerRun.h"
#include "OutputFile.h"
#include "link/Rcpthread.h"
#include "recording/RecordingFolder.h"
#include "recording/RecordingWriter.h"
#include "session/MeasurementSession.h"
#include "session/MqttPublisher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>

#include <cstdio>
#include <memory>

namespace {

void say(std::FILE* to, const QString& text) {
    std::fputs(qPrintable(text), to);
    std::fflush(to);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vilta-logger"));

    LoggerOptions options;
    QString error;
    if (!options.parse(QCoreApplication::arguments().mid(1), error)) {
        say(stderr, QStringLiteral("vilta-logger: %1\n\n").arg(error) + LoggerOptions::usage());
        return LoggerOptions::ExitUsage;
    }
    if (options.help) {
        say(stdout, LoggerOptions::usage());
        return 0;
    }

    // The file first: a file that cannot be taken ends the logger before any byte goes to
    // the instrument.
    OutputFile file;
    const QString folder =
        options.out.isEmpty() ? RecordingFolder::path() : QFileInfo(options.out).absolutePath();
    auto session = std::make_unique<MeasurementSession>(folder);
    const bool taken = options.out.isEmpty() ? file.create(folder) : file.take(options.out);
    if (!taken) {
        say(stderr, QStringLiteral("vilta-logger: %1\n").arg(file.error()));
        return LoggerOptions::ExitCantCreate;
    }
    // Adopted before the log is put in place, so that what the log tells its recording
    // (the events of the file, now ended) goes into this file.
    session->recording()->adopt(file.path(), file.releaseLock());
    if (file.continued())
        session->log() = std::move(file.log());
    const QString note = file.continued() ? QStringLiteral("Файл измерений (продолжается, "
                                                           "опросов в нём: %1): %2\n")
                                                .arg(file.pollsBefore())
                                                .arg(file.path())
                                          : QStringLiteral("Файл измерений: %1\n").arg(file.path());
    say(options.csv ? stderr : stdout, note);

    std::unique_ptr<MyThread> search;
    if (options.port == 0) {
        search = std::make_unique<MyThread>();
        session->setSearch(search.get());
        search->Resume();
    }

    // Publishing, when asked for: its stops and resumptions are said once each.
    std::unique_ptr<MqttPublisher> publisher;
    if (!options.mqttHost.isEmpty()) {
        MqttSettings mqtt;
        mqtt.host = options.mqttHost;
        mqtt.port = options.mqttPort;
        mqtt.topicPrefix = options.mqttTopic;
        mqtt.haDiscovery = options.haDiscovery;
        mqtt.user = options.mqttUser;
        mqtt.passwordFile = options.mqttPasswordFile;
        mqtt.caFile = options.mqttCaFile;
        publisher = std::make_unique<MqttPublisher>(mqtt);
        QObject::connect(publisher.get(), &MqttPublisher::publishingStopped,
                         [](const QString& reason) {
                             say(stderr, QStringLiteral("vilta-logger: Публикация остановлена: "
                                                        "%1.\n")
                                             .arg(reason));
                         });
        QObject::connect(publisher.get(), &MqttPublisher::publishingResumed, [] {
            say(stderr, QStringLiteral("vilta-logger: Публикация возобновлена.\n"));
        });
        session->setPublisher(publisher.get());
    }

    LoggerRun run(options, *session);
    QObject::connect(&run, &LoggerRun::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    run.start();
    const int status = QCoreApplication::exec();

    // The session, with its recording, goes before the search it was handed.
    session.reset();
    publisher.reset(); // the last polls and "offline", a second at most
    if (search)
        search->requestStop();
    // A new file that took no poll (no instrument found) is not left behind.
    if (!file.continued() && run.pollsPrinted() == 0)
        RecordingFolder::remove(file.path());
    return status;
}
