// The log as a measurement file: saving it, opening one, the title that names it, and
// continuing only with the instrument that made it.
#include "Formmain.h"
#include "Formoptions.h"
#include "MaskedTimeEdit.h"
#include "export/ExportJob.h"
#include "export/Uxls.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordingFolder.h"
#include "recording/RecordingWriter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>

void TFMain::MeasurementsActionClick() {
    saveThroughDialog(SaveDialogXLS, MeasurementFile::defaultName(now().date()), SaveFormat::Vilta);
}

bool TFMain::saveBusy() const {
    return m_savingFile || m_export->isBusy();
}

void TFMain::saveMeasurements(const QString& fileName) {
    if (saveBusy()) {
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("Сохранение предыдущего файла ещё не закончено."));
        return;
    }
    recordRunDetails();
    m_pollsAtExport = m_pollsLogged; // what the file holds once written
    m_savingFile = true;
    // The recording's thread copies what it has, everything handed to it so far: the
    // window goes on polling meanwhile.
    if (m_recordingWhole && !m_recording->isStopped()) {
        m_recording->saveAs(fileName);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString reason;
    const bool ok = MeasurementFile::writeLog(Log, fileName, reason);
    QApplication::restoreOverrideCursor();
    // Told from the event loop, as a save on the recording's thread is: whoever asked for
    // it (the exit question) sees it under way first.
    QMetaObject::invokeMethod(
        this, [this, fileName, ok, reason] { measurementsSaved(fileName, ok, reason); },
        Qt::QueuedConnection);
}

void TFMain::measurementsSaved(const QString& fileName, bool ok, const QString& reason) {
    if (!m_savingFile)
        return;
    if (!ok && m_recording->isStopped() && m_recordingWhole) {
        // The recording stopped (a full disk) before it made the copy: what the log holds
        // in memory is saved instead.
        m_recordingWhole = false;
        m_savingFile = false;
        saveMeasurements(fileName);
        return;
    }
    m_savingFile = false;
    if (ok)
        m_measurementFile = QFileInfo(fileName).absoluteFilePath();
    else
        ShowMessage(QApplication::applicationName(), SaveFailureMessage(fileName, reason));
    emit exportFinished(ok);
}

void TFMain::recordRunDetails() {
    setLogDetail(MeasurementFile::versionKey(), QStringLiteral(VILTA_VERSION));
    setLogDetail(MeasurementFile::savedAtKey(), now().toString(Qt::ISODate));
    // A file opened and not continued keeps what its own run was.
    if (m_runDetailsFromFile || ModelCode == 0)
        return;
    setLogDetail(MeasurementFile::modelKey(), panelText(1).trimmed());
    setLogDetail(MeasurementFile::headKey(), panelText(2).trimmed());
    setLogDetail(MeasurementFile::modelCodeKey(), QString::number(ModelCode));
    setLogDetail(MeasurementFile::headCodeKey(), QString::number(HeadCode));
    setLogDetail(MeasurementFile::intervalKey(), QString::number(TimerInterval->interval()));
    const bool scheduled = m_options && m_options->CheckBoxTimer->isChecked();
    setLogDetail(MeasurementFile::windowKey(), scheduled ? m_options->MaskEditTimeN->text() + u'-' +
                                                               m_options->MaskEditTimeK->text()
                                                         : QString());
    const ReportSource source = reportSource();
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s) {
        const auto& limit = source.limits[static_cast<std::size_t>(s)];
        setLogDetail(MeasurementFile::limitKey(s, "enabled"),
                     limit.enabled ? QStringLiteral("1") : QString());
        setLogDetail(MeasurementFile::limitKey(s, "min"),
                     limit.enabled ? limit.minText : QString());
        setLogDetail(MeasurementFile::limitKey(s, "max"),
                     limit.enabled ? limit.maxText : QString());
    }
}

void TFMain::OpenActionClick() {
    openFile({});
}

void TFMain::openFile(const QString& path) {
    if (TimerInterval->isActive() || TimerPeriod->isActive()) {
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("Остановите опрос кнопкой «Стоп», чтобы открыть файл."));
        return;
    }
    if (saveBusy()) {
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("Сохранение предыдущего файла ещё не закончено."));
        return;
    }
    if (const qsizetype unsaved = unsavedPolls(); unsaved > 0) {
        const QString save = QStringLiteral("Сохранить…");
        const QString answer = Ask(QStringLiteral("В журнале есть несохранённые измерения (%1). "
                                                  "Сохранить их перед открытием файла?")
                                       .arg(unsaved),
                                   {save, QStringLiteral("Открыть"), QStringLiteral("Отмена")});
        if (answer == QStringLiteral("Отмена"))
            return;
        if (answer == save) {
            // The file dialog comes once the log is saved; a cancelled save opens nothing.
            saveThroughDialog(SaveDialogXLS, MeasurementFile::defaultName(now().date()),
                              SaveFormat::Vilta);
            m_openAfterSave = saveBusy();
            m_pendingOpen = path;
            return;
        }
    }
    if (!path.isEmpty()) {
        openMeasurementFile(path);
        return;
    }
    if (!RunFileDialog(OpenDialog))
        return;
    const QStringList chosen = OpenDialog->selectedFiles();
    if (!chosen.isEmpty() && !chosen.first().isEmpty())
        openMeasurementFile(chosen.first());
}

bool TFMain::openMeasurementFile(const QString& path) {
    // Read on a thread of its own into a log of its own: the window shows the progress
    // and can cancel, and a file that fails leaves the log as it was.
    auto opened = std::make_unique<MeasurementLog>();
    // The file is copied as this instance's new recording, so that new polls continue
    // it without ever writing into the file itself.
    const QString folder = RecordingFolder::path();
    QDir().mkpath(folder);
    const QString copy = RecordingFolder::newRecordingName(folder);
    auto lock = RecordingFolder::lockFor(copy);
    const bool locked = lock->tryLock(0);
    MeasurementFile::ReadResult result;
    readWithProgress(QStringLiteral("Открытие файла ..."), QStringLiteral("Отмена"),
                     [&](std::atomic<int>& permille, const std::atomic<bool>& cancel) {
                         result = MeasurementFile::read(
                             path, *opened,
                             [&](double f) { permille = static_cast<int>(f * 1000); }, cancel,
                             locked ? copy : QString());
                     });
    if (!result.ok || !result.copied) {
        if (locked && QFileInfo::exists(copy)) // only a copy of our own
            RecordingFolder::remove(copy);
        lock.reset();
    }
    if (!result.ok) {
        ShowMessage(QStringLiteral("Ошибка"), QStringLiteral("Не удалось открыть файл «%1»: %2.")
                                                  .arg(QFileInfo(path).fileName(), result.reason));
        return false;
    }
    if (result.copied) {
        m_recording->adopt(copy, std::move(lock));
        m_recordingWhole = true;
    } else {
        // New polls are still recorded, but a save then writes the log from memory.
        m_recording->clear();
        m_recordingWhole = false;
    }
    Log = std::move(*opened);
    opened.reset();
    m_pollsLogged = result.polls;
    m_pollsSaved = result.polls; // all of them are in the file
    m_measurementFile = QFileInfo(path).absoluteFilePath();
    m_runDetailsFromFile = true;
    showRestoredLog();
    updateTitle();
    return true;
}

bool TFMain::instrumentFitsLog() {
    const QString model = Log.detail(MeasurementFile::modelCodeKey());
    const QString head = Log.detail(MeasurementFile::headCodeKey());
    if ((model.isEmpty() && head.isEmpty()) ||
        (model == QString::number(ModelCode) && head == QString::number(HeadCode)))
        return true;
    const QString fileModel = Log.detail(MeasurementFile::modelKey());
    const QString fileHead = Log.detail(MeasurementFile::headKey());
    const QString found = panelText(1).trimmed();
    const QString foundHead = panelText(2).trimmed();
    const QString text =
        m_measurementFile.isEmpty()
            ? QStringLiteral("Журнал записан прибором %1 (%2), а подключён прибор %3 (%4): "
                             "продолжить его нельзя. Очистите журнал или откройте другой файл.")
                  .arg(fileModel, fileHead, found, foundHead)
            : QStringLiteral("Файл «%1» записан прибором %2 (%3), а подключён прибор %4 (%5): "
                             "продолжить его нельзя. Очистите журнал или откройте другой файл.")
                  .arg(QFileInfo(m_measurementFile).fileName(), fileModel, fileHead, found,
                       foundHead);
    ShowMessage(QApplication::applicationName(), text);
    return false;
}

void TFMain::updateTitle() {
    QString title = m_programTitle;
    if (!m_measurementFile.isEmpty())
        title = QStringLiteral("%1%2 — %3")
                    .arg(QFileInfo(m_measurementFile).fileName(),
                         unsavedPolls() > 0 ? QStringLiteral("*") : QString(), m_programTitle);
    if (windowTitle() != title)
        setWindowTitle(title);
}
