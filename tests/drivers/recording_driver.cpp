// The program in a child process for the recording tests, offscreen and without a port:
//   poll [N]  polls (N times, or until killed; marks at the second and seventh poll),
//             printing each poll the window has shown before the next starts, and that
//             once the last one is on disk, as it is 3 s later; after N polls, the
//             recording note and the log's size;
//   restore   answers the offer of a recording with "Восстановить" and prints the question
//             and the restored log, a line per poll as `poll` printed it.
// A line goes out in one write, so a kill leaves no half line.
#include "measurement/PollReading.h"
#include "recording/RecordingWriter.h"
#include "windows/Formmain.h"
#include "windows/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

namespace {
void print(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

// The points of a model 61 poll: t, RH, wet-bulb, dew point, V, E, L; then the marks
// that begin with it.
void printPoll(const MeasurementLog& log, qsizetype i) {
    QByteArray line = "poll " + QByteArray::number(i);
    for (int s : {0, 1, 2, 3, 4, 7, 8})
        line += ' ' + QByteArray::number(log.y(s, i), 'g', 17) + '@' +
                QByteArray::number(wallSeconds(log.time(s, i)));
    for (const LogEvent& e : log.events().all())
        if (e.kind == LogEvent::Mark &&
            e.start.toSecsSinceEpoch() == log.time(0, i).toSecsSinceEpoch())
            line += " mark " + e.text.toUtf8();
    print(line + '\n');
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CreateForms();
    FMain->TimerDetekt->stop();
    FMain->TimerLogo->stop();
    FMain->ShowMessage = [](const QString&, const QString& text) {
        print("message " + text.toUtf8().replace('\n', ' ') + '\n');
    };
    FMain->Ask = [](const QString& text, const QStringList& buttons) {
        print("question " + text.toUtf8().replace('\n', ' ') + '\n');
        return buttons.first();
    };
    if (argc > 1 && qstrcmp(argv[1], "restore") == 0) {
        FMain->offerRecordings();
        for (qsizetype i = 0; i < FMain->Log.count(0); ++i)
            printPoll(FMain->Log, i);
    } else {
        const qsizetype polls = argc > 2 ? QByteArray(argv[2]).toLongLong() : -1;
        FMain->ModelCode = 61;
        // 1.7 s a poll: polls land at any point of a second, as on a real clock, and two
        // never share one (the printout matches marks to polls by the second).
        QDateTime now(QDate(2026, 12, 1), QTime(23, 59, 30));
        FMain->Clock = [&now] { return std::exchange(now, now.addMSecs(1700)); };
        quint32 state = 12345;
        auto next = [&state](int range) {
            state = state * 1664525u + 1013904223u;
            return static_cast<float>((state >> 8) % static_cast<quint32>(range));
        };
        for (qsizetype p = 0; polls < 0 || p < polls; ++p) {
            // The user moves the instrument twice: marks for the next polls.
            if (p == 1 || p == 6)
                FMain->Log.events().setMark(p == 1 ? QStringLiteral("Точка 1") : QString());
            PollReading r;
            r.RawT = r.AcceptedT = next(600) / 10.0f - 20;
            r.RawRH = r.AcceptedRH = 1 + next(990) / 10.0f; // RH 0 has no dew point
            r.AcceptedV = next(300) / 10.0f;
            r.AcceptedE = next(9999) / 10.0f;
            r.ERange = next(4);
            r.AcceptedL = next(9999) / 10.0f;
            r.LRange = next(4);
            FMain->showPoll(r);
            printPoll(FMain->Log, p);
            FMain->recording()->waitUntilWritten();
            QCoreApplication::processEvents();
        }
        print("note " + FMain->RecordingNote->text().toUtf8() + "\nlogged " +
              QByteArray::number(FMain->Log.count(0)) + '\n');
    }
    DestroyForms();
    return 0;
}
