// Saving the log to a workbook, the chart to a bitmap, and printing the chart.
#include "Formmain.h"
#include "export/ChartImage.h"
#include "export/ChartPrint.h"
#include "export/Uxls.h"
#include "measurement/RegionalSettings.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QThread>
#include <qcustomplot.h>

namespace {

// The log as it stood when the export began: plain copies, cheap to take on the
// user-interface thread; the labels are formatted on the export thread.
struct LogSnapshot {
    QDate date;
    std::vector<QTime> labelTimes;
    std::array<std::vector<double>, 6> values;
};

constexpr int ExportedSeries[6] = {0, 1, 4, 7, 8, 9}; // t, RH, V, E, L, UV

LogSnapshot takeSnapshot(const MeasurementLog& log, const QDate& date) {
    LogSnapshot s;
    s.date = date;
    const int labelSeries = 4; // column A follows the air-speed series
    const qsizetype n = log.count(labelSeries);
    s.labelTimes.reserve(static_cast<std::size_t>(n));
    for (qsizetype i = 0; i < n; ++i)
        s.labelTimes.push_back(log.timeOfDay(labelSeries, i));
    for (int c = 0; c < 6; ++c) {
        const int series = ExportedSeries[c];
        auto& column = s.values[static_cast<std::size_t>(c)];
        const qsizetype count = log.count(series);
        column.reserve(static_cast<std::size_t>(count));
        for (qsizetype i = 0; i < count; ++i)
            column.push_back(log.y(series, i));
    }
    return s;
}

WorkbookData toWorkbook(const LogSnapshot& s) {
    WorkbookData d;
    d.date = s.date;
    d.timeLabels.reserve(static_cast<qsizetype>(s.labelTimes.size()));
    const QString format = RegionalSettings::longTimeFormat();
    const QLocale locale = RegionalSettings::locale();
    for (const QTime& t : s.labelTimes)
        d.timeLabels << locale.toString(t, format);
    for (std::size_t c = 0; c < 6; ++c)
        d.values[c] = QList<double>(s.values[c].begin(), s.values[c].end());
    return d;
}

} // namespace

void TFMain::EXL1Click() {
    if (m_exportThread) {
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("Сохранение предыдущего файла ещё не закончено."));
        return;
    }
    SaveDialogXLS->selectFile(DefaultWorkbookName(now().date()));
    if (!RunFileDialog(SaveDialogXLS))
        return;
    const QStringList chosen = SaveDialogXLS->selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    ExportToWorkbook(chosen.first());
}

void TFMain::ExportToWorkbook(const QString& fileName) {
    auto snapshot = std::make_shared<LogSnapshot>(takeSnapshot(Log, now().date()));
    auto result = std::make_shared<ExportResult>();

    // A long export shows its progress after half a second; polls go on meanwhile.
    auto* progress =
        new QProgressDialog(QStringLiteral("Сохранение ..."), QString(), 0, 1000, this);
    progress->setWindowTitle(QApplication::applicationName());
    progress->setMinimumDuration(500);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);

    QPointer<QProgressDialog> guard(progress);
    m_exportThread = QThread::create([snapshot, result, fileName, guard] {
        const WorkbookData data = toWorkbook(*snapshot);
        *result = ExportWorkbook(data, fileName, [guard](double fraction) {
            QMetaObject::invokeMethod(
                guard,
                [guard, fraction] {
                    if (guard)
                        guard->setValue(static_cast<int>(fraction * 1000));
                },
                Qt::QueuedConnection);
        });
    });
    connect(m_exportThread, &QThread::finished, this, [this, result, fileName, progress] {
        progress->deleteLater();
        m_exportThread->deleteLater();
        m_exportThread = nullptr;
        if (!result->ok)
            ShowMessage(QApplication::applicationName(),
                        SaveFailureMessage(fileName, result->reason));
        emit exportFinished(result->ok);
    });
    m_exportThread->start();
}

void TFMain::waitForExport() {
    if (m_exportThread)
        m_exportThread->wait();
}

void TFMain::BMP1Click() {
    SaveDialogGraph->selectFile(DefaultBitmapName(now().date()));
    if (!RunFileDialog(SaveDialogGraph))
        return;
    const QStringList chosen = SaveDialogGraph->selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    QString reason;
    if (!SaveChartBitmap(ChartValue, chosen.first(), &reason))
        ShowMessage(QApplication::applicationName(), SaveFailureMessage(chosen.first(), reason));
}

void TFMain::N3Click() {
    RunPrintDialog(PrinterSetupDialog);
}

void TFMain::N4Click() {
    QString reason;
    if (!PrintChart(ChartValue, Printer, &reason)) {
        // Whatever the user then chooses in the setup dialog must reach the next job.
        if (IsPrinterStuck(Printer))
            usePrinter(FreshPrinterLike(*Printer));
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("Не удалось напечатать график: %1").arg(reason));
    }
}

void TFMain::usePrinter(std::unique_ptr<QPrinter> printer) {
    // The dialog cannot be handed another printer; it goes first since it refers to its own.
    delete PrinterSetupDialog;
    delete Printer;
    Printer = printer.release();
    PrinterSetupDialog = new QPrintDialog(Printer, this);
    PrinterSetupDialog->setObjectName(QStringLiteral("PrinterSetupDialog"));
}
