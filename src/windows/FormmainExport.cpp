// Saving the log to a workbook or CSV, the report to PDF, the chart to a bitmap, and
// printing the chart.
#include "Formmain.h"

#include "Formoptions.h"
#include "chart/ChartImage.h"
#include "chart/ChartPrint.h"
#include "chart/LogChart.h"
#include "chart/LogGraph.h"
#include "chart/ReportChart.h"
#include "chart/ReportPdf.h"
#include "export/CsvWriter.h"
#include "export/ExportJob.h"
#include "export/Uxls.h"
#include "norms/NormLibrary.h"
#include "recording/MeasurementFile.h"
#include "report/MeasurementReport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <qcustomplot.h>

void TFMain::EXL1Click() {
    saveThroughDialog(SaveDialogXLS, DefaultWorkbookName(now().date()), SaveFormat::Xls);
}

void TFMain::CSV1Click() {
    saveThroughDialog(SaveDialogXLS, DefaultCsvName(now().date()), SaveFormat::Csv);
}

void TFMain::PDF1Click() {
    if (canReport())
        saveThroughDialog(SaveDialogReport, DefaultReportName(now().date()), SaveFormat::Pdf);
}

void TFMain::PartPdfClick() {
    if (canReport())
        savePartThroughDialog(SaveDialogReport, DefaultReportName(now().date()), SaveFormat::Pdf);
}

void TFMain::PartCsvClick() {
    savePartThroughDialog(SaveDialogXLS, DefaultCsvName(now().date()), SaveFormat::Csv);
}

void TFMain::savePartThroughDialog(QFileDialog* dialog, const QString& name, SaveFormat format) {
    const QScopedValueRollback<std::pair<QDateTime, QDateTime>> part(m_savePeriod,
                                                                     m_chart->heldPeriod());
    if (!m_savePeriod.first.isValid()) {
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("На видимом участке графика нет ни одной точки."));
        return;
    }
    saveThroughDialog(dialog, name, format);
}

void TFMain::saveThroughDialog(QFileDialog* dialog, const QString& name, SaveFormat format) {
    const bool exports =
        format == SaveFormat::Xls || format == SaveFormat::Csv || format == SaveFormat::Vilta;
    if (exports && saveBusy()) {
        ShowMessage(QApplication::applicationName(),
                    QStringLiteral("Сохранение предыдущего файла ещё не закончено."));
        return;
    }
    dialog->selectNameFilter(saveFilter(format));
    dialog->selectFile(name);
    if (!RunFileDialog(dialog))
        return;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    const QString fileName =
        nameWithFormat(chosen.first(), formatOfFilter(dialog->selectedNameFilter()));
    saveFile(fileName, formatOfName(fileName).value_or(format));
}

void TFMain::saveFile(const QString& fileName, SaveFormat format) {
    switch (format) {
    case SaveFormat::Xls:
    case SaveFormat::Xlsx:
    case SaveFormat::Csv:
        if (m_export->isBusy())
            ShowMessage(QApplication::applicationName(),
                        QStringLiteral("Сохранение предыдущего файла ещё не закончено."));
        else
            ExportToWorkbook(fileName);
        return;
    case SaveFormat::Vilta:
        saveMeasurements(fileName);
        return;
    case SaveFormat::Pdf:
        if (canReport())
            saveReport(fileName);
        return;
    case SaveFormat::Bmp: {
        QString reason;
        if (!SaveChartBitmap(ChartValue, fileName, &reason))
            ShowMessage(QApplication::applicationName(), SaveFailureMessage(fileName, reason));
        return;
    }
    }
}

bool TFMain::canReport() {
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s)
        if (!Log.isEmpty(s))
            return true;
    ShowMessage(QApplication::applicationName(),
                QStringLiteral("Отчёт не составлен: в журнале нет ни одного измерения. "
                               "Запустите опрос прибора кнопкой «Старт»."));
    return false;
}

void TFMain::saveReport(const QString& fileName) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MeasurementReport report =
        MeasurementReport::build(Log, reportSource(), m_savePeriod.first, m_savePeriod.second);
    report.protocol = MeasurementProtocol::build(Log, reportSource(), NormLibrary::shared(),
                                                 m_savePeriod.first, m_savePeriod.second);
    ReportChartRequest request;
    request.from = m_savePeriod.first;
    request.to = m_savePeriod.second;
    const auto shown = series();
    for (std::size_t s = 0; s < shown.size(); ++s)
        request.shown[s] = shown[s]->visible();
    request.logarithmic = ChartValue->yAxis->scaleType() == QCPAxis::stLogarithmic;
    const std::unique_ptr<QCustomPlot> chart = BuildReportChart(Log, request);
    QString reason;
    const bool ok = WriteReportPdf(report, chart.get(), fileName, &reason);
    QApplication::restoreOverrideCursor();
    if (!ok)
        ShowMessage(QApplication::applicationName(), SaveFailureMessage(fileName, reason));
}

ReportSource TFMain::reportSource() const {
    ReportSource source;
    source.program = m_programTitle;
    source.model = panelText(1);
    source.head = panelText(2);
    source.pollIntervalMs = TimerInterval->interval();
    source.made = now();
    if (m_options) {
        const TFOptions& o = *m_options;
        const std::tuple<Channel, const QCheckBox*, const QLineEdit*, const QLineEdit*> fields[] = {
            {Channel::T, o.CheckBoxT, o.EditTmin, o.EditTmax},
            {Channel::RH, o.CheckBoxRH, o.EditRHmin, o.EditRHmax},
            {Channel::V, o.CheckBoxV, o.EditVmin, o.EditVmax},
            {Channel::E, o.CheckBoxE, o.EditEmin, o.EditEmax},
            {Channel::L, o.CheckBoxL, o.EditLmin, o.EditLmax},
            {Channel::UV, o.CheckBoxUV, o.EditUVmin, o.EditUVmax},
        };
        for (const auto& [channel, box, min, max] : fields)
            source.limits[static_cast<std::size_t>(seriesIndex(channel))] = {
                box->isChecked(), min->text(), max->text()};
    }
    // An opened file reports the instrument and the limits of its own run.
    if (m_runDetailsFromFile) {
        source.model = Log.detail(MeasurementFile::modelKey());
        source.head = Log.detail(MeasurementFile::headKey());
        source.pollIntervalMs = Log.detail(MeasurementFile::intervalKey()).toInt();
        for (int s = 0; s < MeasurementLog::SeriesCount; ++s)
            source.limits[static_cast<std::size_t>(s)] = {
                !Log.detail(MeasurementFile::limitKey(s, "enabled")).isEmpty(),
                Log.detail(MeasurementFile::limitKey(s, "min")),
                Log.detail(MeasurementFile::limitKey(s, "max"))};
    }
    return source;
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
    if (!m_export->start(Log, now().date(), fileName, m_savePeriod.first, m_savePeriod.second)) {
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
    saveThroughDialog(SaveDialogGraph, DefaultBitmapName(now().date()), SaveFormat::Bmp);
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
