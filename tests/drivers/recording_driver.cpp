// The program as the recording tests run it in a child process, offscreen, without a port:
//   poll [N]   polls as fast as the recording keeps up (N of them, or until killed) and
//              prints each poll once the window has shown it, before the next one starts;
//              at the end (after N) the status bar's recording note and the log's size;
//   restore    offers the recordings it finds, answers "Восстановить", and prints the
//              question and the restored log, one line per poll as `poll` printed it.
// Each poll is one line written at once, so a kill leaves no half line.
#include "measurement/PollReading.h"
#include "recording/RecordedPoll.h"
#include "recording/RecordingWriter.h"
#include "windows/Formmain.h"
#include "windows/Forms.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

namespace {

// Series of a model 61: t, RH, wet-bulb, dew point, V, E, L.
constexpr int Series[] = {0, 1, 2, 3, 4, 7, 8};

QByteArray pollLine(const MeasurementLog& log, qsizetype i) {
    QByteArray line = "poll " + QByteArray::number(i);
    for (int s : Series) {
        line += ' ' + QByteArray::number(log.y(s, i), 'g', 17) + '@' +
                QByteArray::number(wallSeconds(log.time(s, i)));
    }
    return line + '\n';
}

void print(const QByteArray& text) {
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("poll");
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

    if (mode == "restore") {
        FMain->offerRecordings();
        for (qsizetype i = 0; i < FMain->Log.count(0); ++i)
            print(pollLine(FMain->Log, i));
    } else {
        const qsizetype polls = argc > 2 ? QByteArray(argv[2]).toLongLong() : -1;
        FMain->ModelCode = 61;
        // A second now and then between two points of one poll, as a real clock gives.
        QDateTime now(QDate(2026, 12, 1), QTime(23, 59, 30));
        FMain->Clock = [&now] {
            const QDateTime t = now;
            now = now.addMSecs(700);
            return t;
        };
        quint32 state = 12345;
        auto next = [&state](int range) {
            state = state * 1664525u + 1013904223u;
            return static_cast<float>((state >> 8) % static_cast<quint32>(range));
        };
        for (qsizetype p = 0; polls < 0 || p < polls; ++p) {
            PollReading r;
            r.AcceptedT = next(600) / 10.0f - 20;
            r.AcceptedRH = 1 + next(990) / 10.0f; // RH 0 has no dew point
            r.RawT = r.AcceptedT;                 // the derived quantities come from the raw values
            r.RawRH = r.AcceptedRH;
            r.AcceptedV = next(300) / 10.0f;
            r.AcceptedE = next(9999) / 10.0f;
            r.ERange = next(4);
            r.AcceptedL = next(9999) / 10.0f;
            r.LRange = next(4);
            FMain->showPoll(r);
            print(pollLine(FMain->Log, p));
            // The next poll starts once this one is on disk, as 3 s later it always is.
            FMain->recording()->waitUntilWritten();
            QCoreApplication::processEvents();
        }
        print("note " + FMain->RecordingNote->text().toUtf8() + '\n');
        print("logged " + QByteArray::number(FMain->Log.count(0)) + '\n');
    }
    DestroyForms();
    return 0;
}
