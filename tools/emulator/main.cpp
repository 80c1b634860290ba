// instrument-emulator: the measuring instrument on a pseudo-terminal, for trying the
// monitor without hardware and for the integration tests. See --help.
#include "EmulatorOptions.h"
#include "InstrumentModel.h"
#include "PortRegistration.h"
#include "ProtocolResponder.h"
#include "PseudoTerminal.h"
#include "StopSignal.h"
#include "Transcript.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {
int fail(const QString& message) {
    std::fprintf(stderr, "instrument-emulator: %s\n", qPrintable(message));
    return 1;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("instrument-emulator"));
    const EmulatorOptions options = parseEmulatorOptions(QCoreApplication::arguments());
    StopSignal::install();
#ifdef __linux__
    // A byte at 9600 baud lasts about a millisecond; the default timer slack of 50 us
    // on each paced wait would add up over a reply.
    if (options.pace)
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif

    QString error;
    InstrumentModel model(options);
    if (!model.load(&error))
        return fail(error);
    Transcript transcript;
    if (!options.transcriptPath.isEmpty() && !transcript.open(options.transcriptPath))
        return fail(QStringLiteral("cannot write %1").arg(options.transcriptPath));

    // One life per device: with --vanish-for the instrument comes back once, on a new one.
    EmulatorOptions life = options;
    int wrongEchoes = 0;
    int abandoned = 0;
    ProtocolResponder::End end = ProtocolResponder::End::Stopped;
    for (;;) {
        PseudoTerminal line;
        if (!line.open(&error))
            return fail(error);
        PortRegistration registration;
        if (life.portNumber != 0 && !registration.add(life.portNumber, line.slavePath(), &error))
            return fail(error);
        std::printf("ready %s\n", qPrintable(line.slavePath()));
        std::fflush(stdout);

        ProtocolResponder responder(life, line, model, transcript);
        end = responder.run();
        // Unplugged: the link goes first so that the monitor finds nothing to reopen.
        registration.remove();
        line.close();
        wrongEchoes += responder.wrongEchoes();
        abandoned += responder.abandonedReplies();
        if (end != ProtocolResponder::End::Vanished)
            break;
        std::printf("vanished\n");
        std::fflush(stdout);
        if (!life.vanishForMs)
            break;
        if (!StopSignal::sleep(std::chrono::milliseconds(*life.vanishForMs))) {
            end = ProtocolResponder::End::Stopped;
            break;
        }
        life = returnedInstrument(options);
    }
    transcript.summary(wrongEchoes, abandoned);
    return end == ProtocolResponder::End::Closed ? 1 : 0;
}
