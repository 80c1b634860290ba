#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// instrument-emulator as a child of a benchmark: start() returns once it has printed its
// "ready <device>" line; stop() or the destructor ends it.
class BenchEmulator {
public:
    explicit BenchEmulator(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    ~BenchEmulator();
    BenchEmulator(const BenchEmulator&) = delete;
    BenchEmulator& operator=(const BenchEmulator&) = delete;

    bool start(const QStringList& arguments);
    void stop();

private:
    QProcess m_process;
};

// A port map of the benchmark's own (its links in a temporary folder, no real serial
// ports), drawn offscreen. Made before the application object.
class BenchPorts {
public:
    BenchPorts();
    // A file in the temporary folder (transcripts).
    QString filePath(const QString& name) const;

private:
    QTemporaryDir m_config;
};

// The five windows as the program makes them, with the instrument taken as found on COM1
// and the start-up timers off: the benchmark drives the main window's handlers itself.
void createFormsOnCom1();
// Destroys the windows and puts the link state back.
void destroyFormsOnCom1();
