// Saving the log to a workbook, the chart to a bitmap, and printing the chart.
#include "Formmain.h"
#include "chart/ChartImage.h"
#include "chart/ChartPrint.h"
#include "export/ExportJob.h"
#include "export/Uxls.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <qcustomplot.h>

void TFMain::EXL1Click() {
    if (m_export->isBusy()) {
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
    // A long export shows its progress after half a second; polls go on meanwhile.
    auto* progress =
        new QProgressDialog(QStringLiteral("Сохранение ..."), QString(), 0, 1000, this);
    progress->setWindowTitle(QApplication::applicationName());
    progress->setMinimumDuration(500);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    connect(m_export, &ExportJob::progress, progress,
            [progress](double fraction) { progress->setValue(static_cast<int>(fraction * 1000)); });
    m_pollsAtExport = m_pollsLogged; // what the copy holds, saved once the file is written
    if (!m_export->start(Log, now().date(), fileName)) {
        delete progress;
        return;
    }
    // The end comes through this thread's event loop, never before this connection.
    connect(
        m_export, &ExportJob::finished, this,
        [this, progress, fileName](bool ok) {
            // Gone before any message, which it would otherwise cover.
            delete progress;
            if (!ok)
                ShowMessage(QApplication::applicationName(),
                            SaveFailureMessage(fileName, m_export->result().reason));
            emit exportFinished(ok);
        },
        Qt::SingleShotConnection);
}

void TFMain::waitForExport() {
    m_export->wait();
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
