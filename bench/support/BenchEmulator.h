#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

class QTemporaryDir;

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

// A port map of the benchmark's own in `config` and no real serial ports, drawn offscreen.
// Called before the application object exists.
void isolateFromSystemPorts(const QTemporaryDir& config);

// The five windows as the program makes them, with the instrument taken as found on COM1
// and the start-up timers off: the benchmark drives the main window's handlers itself.
void createFormsOnCom1();
// Destroys the windows and puts the link state back.
void destroyFormsOnCom1();
