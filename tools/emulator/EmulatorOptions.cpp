#include "EmulatorOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace {
[[noreturn]] void usageError(const QString& message) {
    std::fprintf(stderr, "instrument-emulator: %s\n", qPrintable(message));
    std::exit(2);
}

// Accepts 0xNN (hex) or plain decimal.
long parseInteger(const QString& text, const QString& option, long min, long max) {
    bool ok = false;
    long value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toLong(&ok, 16);
    else
        value = text.toLong(&ok, 10);
    if (!ok || value < min || value > max)
        usageError(QStringLiteral("--%1: '%2' is not a number from %3 to %4")
                       .arg(option, text)
                       .arg(min)
                       .arg(max));
    return value;
}

std::uint8_t parseByte(const QString& text, const QString& option) {
    return static_cast<std::uint8_t>(parseInteger(text, option, 0, 255));
}

// One of a few words.
template <typename T>
T parseWord(const QString& text, const QString& option,
            std::initializer_list<std::pair<const char*, T>> words) {
    QStringList names;
    for (const auto& [word, value] : words) {
        if (text == QLatin1String(word))
            return value;
        names << QString::fromLatin1(word);
    }
    usageError(QStringLiteral("--%1: '%2' is not one of %3").arg(option, text, names.join(", ")));
}

double parseReal(const QString& text, const QString& option) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        usageError(QStringLiteral("--%1: '%2' is not a number").arg(option, text));
    return value;
}

// COM1..COM8: the port number.
int parsePort(const QString& text, const QString& option) {
    static const QRegularExpression re(QStringLiteral("^COM([1-8])$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(text);
    if (!m.hasMatch())
        usageError(QStringLiteral("--%1: '%2' is not COM1..COM8").arg(option, text));
    return m.captured(1).toInt();
}

const char* const Description = R"(Emulates the measuring instrument on a pseudo-terminal.

Prints "ready <device>" once the device exists, then answers the instrument's command
set: 0x37 probe, 0xA7 model, 0xAB head, 0xA3 climatic block, 0xAA optical block, 0xA2
stop. The acknowledgement of a command is the command byte itself. Every data byte
waits for its echo (up to --echo-timeout; a reply without echo is given up); a wrong
echo is counted. Unknown bytes are ignored. -t and -v may also be written --t and --v. SIGINT or SIGTERM end it and remove the port-map link.

Value sources (--values):
  constant   the base values at every poll
  ramp       base + step * (poll % 100); steps t 0.1, rh 0.5, v 0.01, opt 1.0
  walk       random walk from the base values (steps as ramp, seeded by --seed)
  file:PATH  one poll per line, fields separated by blanks, in the order
             t rh v opt1 range1 opt2 range2
             A field is a value in the units of its option (-10.0, 50, 1.23) or a raw
             16-bit word written 0xHHHH, sent as it is (0xFF9C). Missing trailing fields
             take the base values; '#' starts a comment; after the last line the file
             starts over.
A poll begins at each 0xA3; 0xAA sends the optical values of the same poll.

An exchange of the host ends with the reply to 0xA7 (unless the model is 0x41, which
the host asks for its head next), 0xAB, 0xA2, 0xAA, and 0xA3 for models up to 60 (the
host reads the optical block only above 60); --stray-byte follows such a reply.

Faults that last a while: --silent-polls N leaves N probes unanswered, starting with
the first probe after --silent-after K polls (K = 0: from the start), then answers
again; each unanswered probe is one missed poll of the monitor. --vanish-for S with
--vanish-after n: the instrument vanishes as with --vanish-after alone (the device
closes, the link goes, "vanished" is printed), then after S seconds comes back on a new
pseudo-terminal under the same --as name (or --return-as COMm) and prints "ready
<device>" again, answering as --return-model and --return-head say if given.

Transcript (--transcript): one line per byte, "H xx" host to instrument, "I xx"
instrument to host (hex), flushed per line; at exit "summary wrong-echoes=N
abandoned=M".)";
} // namespace

EmulatorOptions parseEmulatorOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addHelpOption();
    const QCommandLineOption as(QStringLiteral("as"),
                                QStringLiteral("Register the device as COMn (n = 1..8) in the "
                                               "monitor's port map; the link goes at exit."),
                                QStringLiteral("COMn"));
    const QCommandLineOption probe(QStringLiteral("probe-answer"),
                                   QStringLiteral("Byte answered to the probe (default 0x37)."),
                                   QStringLiteral("byte"));
    const QCommandLineOption model(QStringLiteral("model"),
                                   QStringLiteral("Model byte, any value (default 0x3C)."),
                                   QStringLiteral("byte"));
    const QCommandLineOption head(QStringLiteral("head"),
                                  QStringLiteral("Head byte, any value (default 2)."),
                                  QStringLiteral("byte"));
    const QCommandLineOption values(QStringLiteral("values"),
                                    QStringLiteral("constant, ramp, walk or file:PATH "
                                                   "(default constant)."),
                                    QStringLiteral("source"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the random walk (default 1)."),
                                  QStringLiteral("n"));
    const QCommandLineOption t(QStringLiteral("t"),
                               QStringLiteral("Base air temperature, degC (default 20)."),
                               QStringLiteral("value"));
    const QCommandLineOption rh(QStringLiteral("rh"),
                                QStringLiteral("Base relative humidity, % (default 45)."),
                                QStringLiteral("value"));
    const QCommandLineOption v(QStringLiteral("v"),
                               QStringLiteral("Base air speed, m/s (default 0.5)."),
                               QStringLiteral("value"));
    const QCommandLineOption opt1(QStringLiteral("opt1"),
                                  QStringLiteral("Base first optical mantissa (default 123.4)."),
                                  QStringLiteral("value"));
    const QCommandLineOption range1(QStringLiteral("range1"),
                                    QStringLiteral("First optical range code (default 1)."),
                                    QStringLiteral("code"));
    const QCommandLineOption opt2(QStringLiteral("opt2"),
                                  QStringLiteral("Base second optical mantissa (default 12.3)."),
                                  QStringLiteral("value"));
    const QCommandLineOption range2(QStringLiteral("range2"),
                                    QStringLiteral("Second optical range code (default 0)."),
                                    QStringLiteral("code"));
    const QCommandLineOption pace(QStringLiteral("pace"),
                                  QStringLiteral("Carry bytes both ways at the pace of a 9600 "
                                                 "baud line (about 1.04 ms per byte): each "
                                                 "byte sent, and each byte from the host, "
                                                 "takes its line time."));
    const QCommandLineOption stray(QStringLiteral("stray-byte"),
                                   QStringLiteral("Send one unsolicited byte 0xFF (line noise) "
                                                  "after the reply that ends an exchange: "
                                                  "'once', or after 'every' such reply."),
                                   QStringLiteral("when"));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("Answer nothing at all."));
    const QCommandLineOption stopAfter(QStringLiteral("stop-after"),
                                       QStringLiteral("Break every reply off after k data "
                                                      "bytes (the acknowledgement still comes)."),
                                       QStringLiteral("k"));
    const QCommandLineOption slow(QStringLiteral("slow"),
                                  QStringLiteral("Wait this long before each byte sent."),
                                  QStringLiteral("ms"));
    const QCommandLineOption vanish(QStringLiteral("vanish-after"),
                                    QStringLiteral("Answer n commands; the next byte finds the "
                                                   "instrument gone: the device closes, the "
                                                   "link goes, the emulator exits (or, "
                                                   "with --vanish-for, comes back)."),
                                    QStringLiteral("n"));
    const QCommandLineOption silentPolls(QStringLiteral("silent-polls"),
                                         QStringLiteral("Leave n probes unanswered, then answer "
                                                        "again (n missed polls)."),
                                         QStringLiteral("n"));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
                                         QStringLiteral("Begin --silent-polls after k polls "
                                                        "(climatic blocks) (default 0)."),
                                         QStringLiteral("k"));
    const QCommandLineOption vanishFor(QStringLiteral("vanish-for"),
                                       QStringLiteral("With --vanish-after: come back after s "
                                                      "seconds on a new device, under the same "
                                                      "--as name."),
                                       QStringLiteral("s"));
    const QCommandLineOption returnAs(QStringLiteral("return-as"),
                                      QStringLiteral("With --vanish-for: come back as COMm "
                                                     "instead."),
                                      QStringLiteral("COMm"));
    const QCommandLineOption returnModel(QStringLiteral("return-model"),
                                         QStringLiteral("With --vanish-for: come back with this "
                                                        "model byte."),
                                         QStringLiteral("byte"));
    const QCommandLineOption returnHead(QStringLiteral("return-head"),
                                        QStringLiteral("With --vanish-for: come back with this "
                                                       "head byte."),
                                        QStringLiteral("byte"));
    const QCommandLineOption echoTimeout(QStringLiteral("echo-timeout"),
                                         QStringLiteral("Give a reply up when an echo does not "
                                                        "come within this time (default 1000)."),
                                         QStringLiteral("ms"));
    const QCommandLineOption transcript(QStringLiteral("transcript"),
                                        QStringLiteral("Write every byte in both directions to "
                                                       "this file."),
                                        QStringLiteral("file"));
    parser.addOptions({as,         probe,       model,       head,      values,    seed,
                       t,          rh,          v,           opt1,      range1,    opt2,
                       range2,     pace,        stray,       silent,    stopAfter, slow,
                       vanish,     silentPolls, silentAfter, vanishFor, returnAs,  returnModel,
                       returnHead, echoTimeout, transcript});
    parser.process(arguments);
    if (!parser.positionalArguments().isEmpty())
        usageError(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]));

    EmulatorOptions o;
    if (parser.isSet(as))
        o.portNumber = parsePort(parser.value(as), QStringLiteral("as"));
    if (parser.isSet(probe))
        o.probeAnswer = parseByte(parser.value(probe), probe.names().first());
    if (parser.isSet(model))
        o.model = parseByte(parser.value(model), model.names().first());
    if (parser.isSet(head))
        o.head = parseByte(parser.value(head), head.names().first());
    if (parser.isSet(values)) {
        const QString source = parser.value(values);
        if (source.startsWith(QLatin1String("file:")) && source.size() > 5) {
            o.values = EmulatorOptions::ValueMode::File;
            o.valuesFile = source.mid(5);
        } else {
            using Mode = EmulatorOptions::ValueMode;
            o.values = parseWord<Mode>(
                source, QStringLiteral("values"),
                {{"constant", Mode::Constant}, {"ramp", Mode::Ramp}, {"walk", Mode::Walk}});
        }
    }
    if (parser.isSet(seed))
        o.seed = static_cast<std::uint32_t>(
            parseInteger(parser.value(seed), QStringLiteral("seed"), 0, 0xFFFFFFFFL));
    if (parser.isSet(t))
        o.t = parseReal(parser.value(t), QStringLiteral("t"));
    if (parser.isSet(rh))
        o.rh = parseReal(parser.value(rh), QStringLiteral("rh"));
    if (parser.isSet(v))
        o.v = parseReal(parser.value(v), QStringLiteral("v"));
    if (parser.isSet(opt1))
        o.opt1 = parseReal(parser.value(opt1), QStringLiteral("opt1"));
    if (parser.isSet(range1))
        o.range1 = static_cast<int>(
            parseInteger(parser.value(range1), QStringLiteral("range1"), 0, 65535));
    if (parser.isSet(opt2))
        o.opt2 = parseReal(parser.value(opt2), QStringLiteral("opt2"));
    if (parser.isSet(range2))
        o.range2 = static_cast<int>(
            parseInteger(parser.value(range2), QStringLiteral("range2"), 0, 65535));
    o.pace = parser.isSet(pace);
    if (parser.isSet(stray))
        o.strayByte = parseWord<EmulatorOptions::Stray>(
            parser.value(stray), QStringLiteral("stray-byte"),
            {{"once", EmulatorOptions::Stray::Once}, {"every", EmulatorOptions::Stray::Every}});
    o.silent = parser.isSet(silent);
    if (parser.isSet(stopAfter))
        o.stopAfter = static_cast<int>(
            parseInteger(parser.value(stopAfter), QStringLiteral("stop-after"), 0, 1000));
    if (parser.isSet(slow))
        o.slowMs =
            static_cast<int>(parseInteger(parser.value(slow), QStringLiteral("slow"), 0, 600000));
    if (parser.isSet(vanish))
        o.vanishAfter = static_cast<int>(
            parseInteger(parser.value(vanish), QStringLiteral("vanish-after"), 0, 1000000000));
    if (parser.isSet(silentPolls))
        o.silentPolls = static_cast<int>(
            parseInteger(parser.value(silentPolls), QStringLiteral("silent-polls"), 0, 1000000000));
    if (parser.isSet(silentAfter))
        o.silentAfter = static_cast<int>(
            parseInteger(parser.value(silentAfter), QStringLiteral("silent-after"), 0, 1000000000));
    if (parser.isSet(vanishFor)) {
        const double seconds = parseReal(parser.value(vanishFor), QStringLiteral("vanish-for"));
        if (!(seconds >= 0 && seconds <= 86400))
            usageError(QStringLiteral("--vanish-for: '%1' is not 0 to 86400 seconds")
                           .arg(parser.value(vanishFor)));
        if (!o.vanishAfter)
            usageError(QStringLiteral("--vanish-for needs --vanish-after"));
        o.vanishForMs = static_cast<int>(seconds * 1000 + 0.5);
    }
    for (const QCommandLineOption* back : {&returnAs, &returnModel, &returnHead})
        if (parser.isSet(*back) && !o.vanishForMs)
            usageError(QStringLiteral("--%1 needs --vanish-for").arg(back->names().first()));
    if (parser.isSet(returnAs))
        o.returnPort = parsePort(parser.value(returnAs), QStringLiteral("return-as"));
    if (parser.isSet(returnModel))
        o.returnModel = parseByte(parser.value(returnModel), QStringLiteral("return-model"));
    if (parser.isSet(returnHead))
        o.returnHead = parseByte(parser.value(returnHead), QStringLiteral("return-head"));
    if (parser.isSet(echoTimeout))
        o.echoTimeoutMs = static_cast<int>(
            parseInteger(parser.value(echoTimeout), QStringLiteral("echo-timeout"), 1, 600000));
    o.transcriptPath = parser.value(transcript);
    return o;
}

EmulatorOptions returnedInstrument(const EmulatorOptions& options) {
    EmulatorOptions o = options;
    if (options.returnPort != 0)
        o.portNumber = options.returnPort;
    o.model = options.returnModel.value_or(options.model);
    o.head = options.returnHead.value_or(options.head);
    o.vanishAfter.reset();
    o.vanishForMs.reset();
    o.silentPolls = 0;
    return o;
}
