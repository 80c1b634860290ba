// The recording of the log on disk: the offer of a recording left by a program that did
// not end normally, its restoration, the question before leaving with unsaved polls,
// and the note when the recording stopped.
#include "Formmain.h"
#include "chart/LogChart.h"
#include "export/ExportJob.h"
#include "measurement/RegionalSettings.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordingDatabase.h"
#include "recording/RecordingFolder.h"
#include "recording/RecordingWriter.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <qcustomplot.h>

#include <atomic>

namespace {

QString wallText(qint64 seconds) {
    const QDateTime t = wallDateTime(seconds);
    return RegionalSettings::shortDate(t.date()) + QLatin1Char(' ') +
           RegionalSettings::longTime(t.time());
}

const QString Restore = QStringLiteral("Восстановить");
const QString Delete = QStringLiteral("Удалить…");
const QString Keep = QStringLiteral("Оставить на потом");

} // namespace

void TFMain::offerRecordings() {
    auto found = RecordingFolder::claimAbandoned(RecordingFolder::path());
    if (found.empty())
        return;
    // The splash card would cover the questions: it waits until they are answered.
    const bool splash = TimerLogo->isActive();
    TimerLogo->stop();
    for (auto& recording : found) {
        offerRecording(recording.path, recording.lock);
        recording.lock.reset(); // kept for later: the next start offers it again
    }
    if (splash)
        TimerLogo->start();
}

void TFMain::offerRecording(const QString& path, std::unique_ptr<QLockFile>& lock) {
    RecordingDatabase::Summary summary;
    {
        RecordingDatabase db;
        if (!db.open(path, true) || !db.summarize(summary)) {
            setRecordingAside(path, db.reason());
            return;
        }
    }
    if (summary.polls == 0 && summary.missed == 0) {
        RecordingFolder::remove(path); // holds nothing to lose
        return;
    }
    // One restored recording makes the log; any further one can wait for another start.
    const bool canRestore = m_pollsLogged == 0 && Log.missedPolls().empty();
    QString text = QStringLiteral("Найдена запись журнала, оставшаяся после того, как программа "
                                  "завершилась не обычным образом.\n\n"
                                  "Начало: %1\nКонец: %2\nОпросов: %3")
                       .arg(wallText(summary.first), wallText(summary.last))
                       .arg(summary.polls);
    if (summary.missed > 0)
        text += QStringLiteral("\nПропущенных опросов: %1").arg(summary.missed);
    text += canRestore ? QStringLiteral("\n\nВосстановить её в журнал и на график?")
                       : QStringLiteral("\n\nЖурнал уже восстановлен из другой записи; эту можно "
                                        "оставить на потом или удалить.");
    QStringList buttons{Delete, Keep};
    if (canRestore)
        buttons.prepend(Restore);
    const QString answer = Ask(text, buttons);
    if (answer == Restore) {
        restoreRecording(path, lock, summary.polls);
    } else if (answer == Delete) {
        const QString sure = QStringLiteral("Удалить запись журнала (опросов: %1) без возможности "
                                            "восстановления?")
                                 .arg(summary.polls);
        if (Ask(sure, {QStringLiteral("Удалить"), QStringLiteral("Не удалять")}) ==
            QStringLiteral("Удалить"))
            RecordingFolder::remove(path);
    }
}

bool TFMain::restoreRecording(const QString& path, std::unique_ptr<QLockFile>& lock, qint64 polls) {
    // Read on a thread of its own into a log of its own, so that the window shows its
    // progress and a file that breaks off midway leaves the log as it was.
    auto restored = std::make_unique<MeasurementLog>();
    bool ok = false;
    QString reason;
    readWithProgress(QStringLiteral("Восстановление журнала ..."), QString(),
                     [&](std::atomic<int>& permille, const std::atomic<bool>&) {
                         RecordingDatabase db;
                         ok = db.open(path, false) && db.readInto(*restored, [&](double f) {
                             permille = static_cast<int>(f * 1000);
                         });
                         if (!ok)
                             reason = db.reason();
                     });
    if (!ok) {
        setRecordingAside(path, reason);
        return false;
    }

    // New polls go on in the same file, which this instance now holds; adopted first, so
    // that the restored events (the open ones now ended) are written to it.
    m_recording->adopt(path, std::move(lock));
    Log = std::move(*restored);
    restored.reset();
    m_pollsLogged = polls;
    m_pollsSaved = 0;
    m_recordingWhole = true;
    m_runDetailsFromFile = false;
    showRestoredLog();
    return true;
}

void TFMain::showRestoredLog() {
    RecordingNote->hide();
    protocolDetailsChanged(); // the restored or opened log may name a norm row
    // Until detection names the series the time axis follows, the longest one leads.
    int longest = 0;
    for (int s = 1; s < MeasurementLog::SeriesCount; ++s)
        if (Log.count(s) > Log.count(longest))
            longest = s;
    if (Log.isEmpty(m_chart->referenceSeries()))
        m_chart->setReferenceSeries(longest);
    const double last = static_cast<double>(Log.count(longest) - 1);
    ChartValue->xAxis->setRange(last - VisiblePointCount, last);
    ChartValue->replot(QCustomPlot::rpQueuedReplot);
}

void TFMain::setRecordingAside(const QString& path, const QString& reason) {
    const QString name = QFileInfo(path).fileName();
    const QString aside = RecordingFolder::setAside(path);
    QString text =
        QStringLiteral("Запись журнала «%1» не удалось прочитать: %2.\n\n").arg(name, reason);
    text += aside.isEmpty()
                ? QStringLiteral("Файл оставлен на месте в папке %1.").arg(QFileInfo(path).path())
                : QStringLiteral("Файл сохранён под именем «%1» в папке %2 и больше не "
                                 "предлагается.")
                      .arg(QFileInfo(aside).fileName(), QFileInfo(aside).path());
    ShowMessage(QStringLiteral("Ошибка"), text);
}

void TFMain::setLogDetail(const QString& key, const QString& value) {
    if (Log.detail(key) == value)
        return;
    Log.setDetail(key, value);
    m_recording->writeDetails(Log.details());
}

void TFMain::recordingStopped(const QString& reason) {
    RecordingNote->setText(QStringLiteral("Запись журнала на диск остановлена: %1").arg(reason));
    RecordingNote->setToolTip(RecordingFolder::path());
    RecordingNote->show();
}

bool TFMain::confirmLeaving() {
    const qsizetype unsaved = unsavedPolls();
    if (unsaved <= 0)
        return true;
    const QString save = QStringLiteral("Сохранить…");
    const QString dontSave = QStringLiteral("Не сохранять");
    const QString answer = Ask(QStringLiteral("В журнале есть несохранённые измерения (%1). "
                                              "Сохранить их перед выходом?")
                                   .arg(unsaved),
                               {save, dontSave, QStringLiteral("Отмена")});
    if (answer == dontSave)
        return true;
    if (answer == save) {
        // Leaves once the file is written; a cancelled dialog or a failed save stays. The
        // measurement file is proposed first: it is the one that loses nothing.
        const bool busy = saveBusy();
        saveThroughDialog(SaveDialogXLS, MeasurementFile::defaultName(now().date()),
                          SaveFormat::Vilta);
        m_closeAfterExport = !busy && saveBusy();
    }
    return false;
}

void TFMain::readWithProgress(
    const QString& text, const QString& cancelText,
    const std::function<void(std::atomic<int>& permille, const std::atomic<bool>& cancel)>& read) {
    std::atomic<int> permille{0};
    std::atomic<bool> cancel{false};
    std::unique_ptr<QThread> reader(QThread::create([&] { read(permille, cancel); }));
    QProgressDialog progress(text, cancelText, 0, 1000, this);
    progress.setWindowTitle(QApplication::applicationName());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setValue(0);
    connect(&progress, &QProgressDialog::canceled, &progress, [&] { cancel = true; });
    QEventLoop loop;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &progress, [&] {
        if (!cancel)
            progress.setValue(permille.load());
    });
    connect(reader.get(), &QThread::finished, &loop, &QEventLoop::quit);
    tick.start(50);
    reader->start();
    loop.exec();
    reader->wait();
    progress.close();
}
