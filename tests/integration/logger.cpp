// vilta-logger against the emulator, as a user or a service manager runs it: what it
// prints, what its file holds afterwards, and how it ends.
#include "EmulatorProcess.h"
#include "IsolatedPortMap.h"
#include "export/CsvWriter.h"
#include "export/PollTable.h"
#include "measurement/LogEvent.h"
#include "measurement/MeasurementLog.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordingDatabase.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QtTest>

namespace {

// The poll lines: those that start with a date (the others name the file and the instrument).
[[maybe_unused]] QStringList pollLines(const QByteArray& out) {
    QStringList lines = QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& l) { return !l.at(0).isDigit(); });
    return lines;
}

[[maybe_unused]] MeasurementFile::ReadResult readFile(const QString& path, MeasurementLog& log) {
    const std::atomic<bool> never{false};
    return MeasurementFile::read(path, log, {}, never);
}

} // namespace

class LoggerTest : public QObject {
    Q_OBJECT

private slots:
    void runs_data();
    void runs();

private:
    IsolatedPortMap m_ports;
};

void LoggerTest::runs_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("existing"); // what --out holds before: "", "ours", "foreign"
    QTest::addColumn<QString>("ending");   // once two polls are printed: "terminate", "kill"
    QTest::addColumn<int>("status");       // exit status; -1: killed
    QTest::addColumn<int>("lines");        // poll lines printed

    const QStringList port{"--port", "COM4"};
    QTest::newRow("N polls") << port + QStringList{"--polls", "3", "--limit", "t=:20.1"} << ""
                             << "" << 0 << 3;
    QTest::newRow("SIGTERM") << port << ""
                             << "terminate" << 0 << 2;
    QTest::newRow("SIGKILL") << port << ""
                             << "kill" << -1 << 2;
    QTest::newRow("continued") << port + QStringList{"--polls", "2"} << "ours"
                               << "" << 0 << 2;
    QTest::newRow("CSV") << port + QStringList{"--polls", "2", "--csv"} << ""
                         << "" << 0 << 2;
    QTest::newRow("bad arguments") << QStringList{"--interval", "2"} << ""
                                   << "" << 64 << 0;
    QTest::newRow("empty file name") << port + QStringList{"--polls", "1", "--out", ""} << ""
                                     << "" << 64 << 0;
    QTest::newRow("foreign file") << port << "foreign"
                                  << "" << 73 << 0;
    QTest::newRow("no instrument") << QStringList{"--port", "COM5", "--search-timeout", "1"} << ""
                                   << "" << 69 << 0;
}

void LoggerTest::runs() {
#ifndef VILTA_LOGGER_PATH
    QSKIP("vilta-logger is not part of this build");
#else
    QFETCH(QStringList, arguments);
    QFETCH(QString, existing);
    QFETCH(QString, ending);
    QFETCH(int, status);
    QFETCH(int, lines);

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("run.vilta"));
    constexpr int PollsBefore = 3;
    if (existing == QLatin1String("ours")) {
        RecordingDatabase db;
        QVERIFY(db.create(out));
        for (int i = 0; i < PollsBefore; ++i) {
            RecordedPoll poll;
            poll.add(0, 10.0 + i, 1'700'000'000 + i * 60);
            QVERIFY(db.append(poll));
        }
    } else if (existing == QLatin1String("foreign")) {
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("SQLite format 3 is what this is not\n");
    }
    const QByteArray before = [&] {
        QFile f(out);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    EmulatorProcess instrument({"--as", "COM4", "--values", "ramp"});
    QVERIFY(instrument.start());
    QProcess logger;
    logger.start(QStringLiteral(VILTA_LOGGER_PATH), arguments + QStringList{"--out", out});
    QByteArray printed;
    const QDeadlineTimer deadline(60000);
    while (logger.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        logger.waitForReadyRead(100);
        printed += logger.readAllStandardOutput();
        if (!ending.isEmpty() && pollLines(printed).size() >= lines) {
            // SIGTERM ends it after the poll in flight, which takes milliseconds here; a
            // service manager waits a few seconds before it kills.
            if (ending == QLatin1String("kill"))
                logger.kill();
            else
                logger.terminate();
            QVERIFY2(logger.waitForFinished(2000), "the logger did not end within 2 s");
        }
    }
    QVERIFY(logger.state() == QProcess::NotRunning || logger.waitForFinished(1000));
    printed += logger.readAllStandardOutput();
    const QByteArray errors = logger.readAllStandardError();

    if (status < 0) {
        QCOMPARE(logger.exitStatus(), QProcess::CrashExit);
    } else {
        QCOMPARE(logger.exitStatus(), QProcess::NormalExit);
        QVERIFY2(logger.exitCode() == status, errors.constData());
    }
    if (status > 0) {
        // Said in Russian on stderr; nothing printed, and the file as it was.
        QVERIFY(QString::fromUtf8(errors).contains(QRegularExpression(u"[а-я]"_qs)));
        QVERIFY(pollLines(printed).isEmpty());
        QFile f(out);
        QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), before);
        return;
    }

    // The lines carry the emulator's ramp: t 20, 20.1, ...; RH 45, 45.5, ...
    const QStringList polls = pollLines(printed);
    if (ending.isEmpty())
        QCOMPARE(polls.size(), lines);
    const bool csv = arguments.contains(QStringLiteral("--csv"));
    for (qsizetype i = 0; i < polls.size(); ++i) {
        const QString t = QString::number(20 + 0.1 * double(i));
        const QString rh = QString::number(45 + 0.5 * double(i));
        const QString expected =
            csv ? QStringLiteral(";%1;%2;").arg(t, rh) : QStringLiteral("  t=%1  RH=%2").arg(t, rh);
        QVERIFY2(polls[i].contains(expected), qPrintable(polls[i]));
        // A limit given is a limit tested: t reaches 20.1 with the second poll.
        if (arguments.contains(QStringLiteral("--limit")))
            QCOMPARE(polls[i].endsWith(QStringLiteral("ТРЕВОГА: t")), i >= 1);
    }

    // Every printed poll is in the file, which opens; a continued file keeps its polls and
    // marks the gap before the new ones.
    MeasurementLog log;
    const MeasurementFile::ReadResult read = readFile(out, log);
    QVERIFY2(read.ok, qPrintable(read.reason));
    const int kept = existing.isEmpty() ? 0 : PollsBefore;
    if (ending == QLatin1String("kill"))
        QVERIFY(read.polls >= kept + polls.size());
    else
        QCOMPARE(read.polls, kept + polls.size());
    for (qsizetype i = 0; i < polls.size(); ++i)
        QCOMPARE(log.y(0, kept + i), 20 + 0.1 * double(i));
    if (kept > 0) {
        const auto& events = log.events().all();
        QVERIFY(std::any_of(events.begin(), events.end(),
                            [](const LogEvent& e) { return e.kind == LogEvent::PollingStopped; }));
    }
    // The CSV printed is the CSV export of the file.
    if (csv) {
        const QString exported = dir.filePath(QStringLiteral("export.csv"));
        QVERIFY(ExportCsv(PollTable::take(log), u'.', exported).ok);
        QFile f(exported);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(printed, f.readAll());
    }
#endif
}

QTEST_GUILESS_MAIN(LoggerTest)
#include "logger.moc"
