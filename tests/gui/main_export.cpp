// The main window's save and print commands: the workbook and the bitmap read back by
// independent readers, what a cancelled dialog or an unwritable name leaves behind, and
// the printed page measured in a rendered PDF.
#include "../unit/export/ReadBackSupport.h"
#include "MainWindowFixture.h"
#include "ScriptedInstrument.h"
#include "chart/ChartPrint.h"
#include "chart/LogChart.h"
#include "export/SaveFormat.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <qcustomplot.h>

#include <memory>

namespace {

struct Message {
    QString title;
    QString text;
    bool underProgressWindow; // a progress window was still shown over it
};

// What a save dialog looked like when the command showed it.
struct DialogSeen {
    int shown = 0;
    QString proposedName; // as the dialog would show it, folder and all
    QStringList nameFilters;
    QString nameFilter; // the one chosen when shown
    QString defaultSuffix;
    bool confirmsOverwrite = true;
    bool forSaving = false;
};

// Runs a tool to its end; false when it failed.
bool run(const QString& program, const QStringList& arguments, QString* output = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning().noquote() << program << process.errorString() << process.readAllStandardError();
        return false;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return true;
}

// The bounding box of everything that is not paper white.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qRed(line[x]) < 240 || qGreen(line[x]) < 240 || qBlue(line[x]) < 240)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

// A word that pdftotext found on the page, in points.
struct PdfWord {
    QString text;
    QRectF box;
};

// The page size and the words of the first page, as pdftotext -bbox gives them.
bool pdfWords(const QString& pdf, QSizeF* page, QList<PdfWord>* words) {
    QString xhtml;
    if (!run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")},
             &xhtml))
        return false;
    const auto size =
        QRegularExpression(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\""))
            .match(xhtml);
    if (!size.hasMatch())
        return false;
    *page = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                       "yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(xhtml); it.hasNext();) {
        const auto m = it.next();
        words->append(
            {m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                   QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return true;
}

} // namespace

class MainExport : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;
    std::unique_ptr<ScriptedInstrument> m_instrument;
    ScriptedInstrument::Replies m_replies;
    QDateTime m_now;
    QList<Message> m_messages;
    DialogSeen m_dialog;

    // By default a 61 (climatic and illuminance/luminance) found on COM1.
    void detect(std::uint8_t model = 0x3D, std::uint8_t head = 2) {
        m_replies.model = model;
        m_replies.head = head;
        m_instrument->answerLikeInstrument(m_replies);
        ComPort.PortNumber = 1;
        ComPort.InstrumentFound.store(1);
        FMain->TimerDetektTimer();
        settleLink();
    }
    // Polls a second apart with values that change from poll to poll.
    void poll(int count) {
        for (int i = 0; i < count; ++i) {
            const auto step = static_cast<std::uint8_t>(FMain->Log.count(0) * 7);
            m_replies.climatic = {0x00, static_cast<std::uint8_t>(0xC8 + step),
                                  0x01, static_cast<std::uint8_t>(0xF4 - step),
                                  0x00, static_cast<std::uint8_t>(0x7B + step)};
            m_replies.optical = {0x14, step, 0x00, 0x02, 0x00, static_cast<std::uint8_t>(step + 5),
                                 0x00, 0x01};
            m_instrument->answerLikeInstrument(m_replies);
            FMain->PollInstrument();
            settleLink();
            m_now = m_now.addSecs(1);
        }
    }
    // The workbook the log stands for now, as the export must write it.
    ReadBack::Expected logAsWorkbook() const {
        return ReadBack::expectedFrom(FMain->Log, m_now.date());
    }
    // A dialog "run" that notes what was proposed and then picks fileName (or cancels).
    std::function<bool(QFileDialog*)> choose(const QString& fileName) {
        return [this, fileName](QFileDialog* d) {
            ++m_dialog.shown;
            m_dialog.proposedName = d->selectedFiles().value(0);
            m_dialog.nameFilters = d->nameFilters();
            m_dialog.nameFilter = d->selectedNameFilter();
            m_dialog.defaultSuffix = d->defaultSuffix();
            m_dialog.confirmsOverwrite = !d->testOption(QFileDialog::DontConfirmOverwrite);
            m_dialog.forSaving = d->acceptMode() == QFileDialog::AcceptSave;
            if (fileName.isEmpty())
                return false;
            d->selectFile(fileName);
            return true;
        };
    }
    // Every format offered, the proposed name's chosen.
    void verifyPlainSaveDialog(const QString& proposed) {
        QCOMPARE(m_dialog.shown, 1);
        QCOMPARE(QFileInfo(m_dialog.proposedName).fileName(), proposed);
        QCOMPARE(m_dialog.nameFilters, saveFilters());
        QCOMPARE(m_dialog.nameFilter, saveFilter(*formatOfName(proposed)));
        QCOMPARE(m_dialog.defaultSuffix, QString());
        QVERIFY(!m_dialog.confirmsOverwrite);
        QVERIFY(m_dialog.forSaving);
    }
    // Runs the workbook export to its end; false when it did not finish.
    bool exportWorkbook(const QString& fileName, bool* ok) {
        QSignalSpy finished(FMain, &TFMain::exportFinished);
        FMain->RunFileDialog = choose(fileName);
        FMain->EXL1Click();
        // As a long export shows it after half a second.
        if (auto* progress = FMain->findChild<QProgressDialog*>())
            progress->show();
        if (!finished.wait(60000) || finished.size() != 1)
            return false;
        *ok = finished.first().first().toBool();
        return true;
    }
    void verifyOneSaveFailure(const QString& fileName) {
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().title, QApplication::applicationName());
        QVERIFY2(m_messages.first().text.contains(QStringLiteral("Не удалось сохранить")),
                 qPrintable(m_messages.first().text));
        QVERIFY2(m_messages.first().text.contains(QDir::toNativeSeparators(fileName)),
                 qPrintable(m_messages.first().text));
        QVERIFY(!m_messages.first().underProgressWindow);
    }

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("ВИЛТА Монитор")); }
    void init() {
        m_forms = std::make_unique<MainWindowFixture>();
        m_instrument = std::make_unique<ScriptedInstrument>();
        m_replies = {};
        m_messages.clear();
        m_dialog = {};
        m_now = QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0));
        FMain->Clock = [this] { return m_now; };
        FMain->ShowMessage = [this](const QString& title, const QString& text) {
            const auto progress = FMain->findChildren<QProgressDialog*>();
            m_messages.append({title, text,
                               std::any_of(progress.begin(), progress.end(),
                                           [](auto* p) { return p->isVisible(); })});
        };
        FMain->RunPrintDialog = [](QPrintDialog*) {
            qWarning("a print dialog was shown");
            return false;
        };
        detect();
    }
    void cleanup() {
        FMain->waitForExport();
        m_instrument.reset();
        m_forms.reset();
    }

    // Column A follows the air speed whatever the instrument measures: with it alone,
    // and without it (then column A stays empty).
    void workbookReadsBackAsTheLog_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("head");
        QTest::addColumn<QString>("saved");
        QTest::newRow("xls") << "log.xls" << 0x3D << 2 << "log.xls";
        QTest::newRow("xlsx") << "log.xlsx" << 0x3D << 2 << "log.xlsx";
        QTest::newRow("any other name gets .xls") << "log.dat" << 0x3D << 2 << "log.dat.xls";
        QTest::newRow("xls, air speed only") << "log.xls" << 0x32 << 2 << "log.xls";
        QTest::newRow("xlsx, no air speed") << "log.xlsx" << 0x41 << 1 << "log.xlsx";
    }
    void workbookReadsBackAsTheLog() {
        QFETCH(QString, name);
        QFETCH(QString, saved);
        QFETCH(int, model);
        QFETCH(int, head);
        if (model != m_replies.model)
            detect(static_cast<std::uint8_t>(model), static_cast<std::uint8_t>(head));
        poll(5);
        const ReadBack::Expected before = logAsWorkbook();
        QCOMPARE(ReadBack::rowCount(before), 5);
        QTemporaryDir dir;
        const QString fileName = dir.filePath(name);

        bool ok = false;
        QVERIFY(exportWorkbook(fileName, &ok));
        QVERIFY(ok);
        verifyPlainSaveDialog(QStringLiteral("07.12.2026XLS.xls"));
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(ReadBack::fileNames(dir.path()), QStringList{saved});

        const QJsonObject book = ReadBack::readBack(dir.filePath(saved));
        QVERIFY(!book.isEmpty());
        ReadBack::verifyWorkbook(book, before,
                                 IsXlsxName(saved) ? WorkbookLayout::XlsxSheetRows
                                                   : WorkbookLayout::XlsSheetRows,
                                 QStringLiteral("dd.mm.yyyy"));
        // The export only reads the log.
        const ReadBack::Expected after = logAsWorkbook();
        QCOMPARE(after.labels, before.labels);
        for (std::size_t c = 0; c < 6; ++c)
            QCOMPARE(after.values[c], before.values[c]);
    }

    // The file holds the log as it stood at the command, whatever the polls add while
    // it is written; those stay unsaved.
    void pollsDuringTheExportStayOutOfTheFile() {
        poll(4);
        const ReadBack::Expected atCommand = logAsWorkbook();
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("log.xls"));
        QSignalSpy finished(FMain, &TFMain::exportFinished);
        FMain->RunFileDialog = choose(fileName);
        FMain->EXL1Click();
        poll(3); // the writer thread is under way or done; either way it must not see these
        QVERIFY(!finished.isEmpty() || finished.wait(60000));
        QCOMPARE(FMain->Log.count(0), qsizetype(7));
        QVERIFY(finished.first().first().toBool());
        ReadBack::verifyWorkbook(ReadBack::readBack(fileName), atCommand,
                                 WorkbookLayout::XlsSheetRows, QStringLiteral("dd.mm.yyyy"));
        // Those polls and one after the export are still unsaved when leaving.
        poll(1);
        FMain->N9Click();
        QVERIFY2(m_forms->questions == QStringList{"В журнале есть несохранённые измерения (4). "
                                                   "Сохранить их перед выходом?"},
                 qPrintable("polls left out of the file count as saved: " +
                            m_forms->questions.join(u'|')));
    }

    // The CSV of a zoomed view holds the polls the view shows and no others.
    void heldViewCsvHoldsItsPolls() {
        poll(12);
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain));
        QCustomPlot* plot = FMain->ChartValue;
        plot->replot();
        const auto at = [plot](double x, double y) {
            return QPoint(qRound(plot->xAxis->coordToPixel(x)),
                          qRound(plot->yAxis->coordToPixel(y)));
        };
        const QPoint from = at(3.5, plot->yAxis->range().upper - 1);
        const QPoint to = at(7.5, plot->yAxis->range().lower + 1);
        QTest::mousePress(plot, Qt::LeftButton, {}, from);
        QTest::mouseMove(plot, (from + to) / 2);
        QTest::mouseMove(plot, to);
        QTest::mouseRelease(plot, Qt::LeftButton, {}, to);
        QVERIFY(FMain->chart()->isHeld());
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("part.csv"));
        QSignalSpy finished(FMain, &TFMain::exportFinished);
        FMain->RunFileDialog = choose(fileName);
        FMain->ActionPartCsv->trigger();
        QVERIFY(finished.wait(60000));
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList rows =
            QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        // A header, then points 4 to 7 of the log.
        QCOMPARE(rows.size(), 5);
        QVERIFY2(rows[1].startsWith(RegionalSettings::shortDate(FMain->Log.time(0, 4).date()) +
                                    u' ' + FMain->Log.TimeLabel(0, 4)),
                 qPrintable(rows.join(u'|')));
    }

    // A second command while one export is being written is refused, not queued.
    void secondExportWhileOneIsUnderWay() {
        poll(2);
        QTemporaryDir dir;
        QSignalSpy finished(FMain, &TFMain::exportFinished);
        FMain->RunFileDialog = choose(dir.filePath(QStringLiteral("first.xls")));
        FMain->EXL1Click();
        // The export ends on this thread's event loop, which has not run yet.
        FMain->RunFileDialog = choose(dir.filePath(QStringLiteral("second.xls")));
        FMain->EXL1Click();
        QCOMPARE(m_dialog.shown, 1);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().title, QApplication::applicationName());
        QVERIFY(finished.wait(60000));
        QCOMPARE(ReadBack::fileNames(dir.path()), QStringList{QStringLiteral("first.xls")});
    }

    void cancelWritesNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("workbook") << "EXL1";
        QTest::newRow("bitmap") << "BMP1";
    }
    void cancelWritesNothing() {
        QFETCH(QString, command);
        poll(2);
        QTemporaryDir dir;
        FMain->SaveDialogXLS->setDirectory(dir.path());
        FMain->SaveDialogGraph->setDirectory(dir.path());
        QSignalSpy finished(FMain, &TFMain::exportFinished);
        FMain->RunFileDialog = choose(QString());
        (command == u"EXL1" ? FMain->EXL1 : FMain->BMP1)->trigger();
        QCOMPARE(m_dialog.shown, 1);
        QCoreApplication::processEvents();
        FMain->waitForExport();
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 0);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(ReadBack::fileNames(dir.path()), QStringList());
    }

    void unwritableNameGivesOneMessageAndNoFile_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // this save's own, whatever failed before
        const QString missing = QStringLiteral("нет такой папки");
        const QString folder = QStringLiteral("под этим именем уже есть папка");
        QTest::newRow("xls in a missing folder") << "EXL1"
                                                 << "missing/log.xls" << missing;
        QTest::newRow("xlsx in a missing folder") << "EXL1"
                                                  << "missing/log.xlsx" << missing;
        QTest::newRow("xls named as a folder") << "EXL1"
                                               << "folder.xls" << folder;
        QTest::newRow("xlsx named as a folder") << "EXL1"
                                                << "folder.xlsx" << folder;
        QTest::newRow("bmp in a missing folder") << "BMP1"
                                                 << "missing/chart.bmp" << missing;
        QTest::newRow("bmp named as a folder") << "BMP1"
                                               << "folder.bmp" << folder;
        QTest::newRow("pdf named as a folder") << "PDF1"
                                               << "folder" << folder;
    }
    void unwritableNameGivesOneMessageAndNoFile() {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        poll(3);
        QTemporaryDir dir;
        for (const char* folder :
             {"folder", "folder.xls", "folder.xlsx", "folder.bmp", "folder.pdf"})
            QVERIFY(QDir(dir.path()).mkdir(QString::fromLatin1(folder)));
        const QString fileName = dir.filePath(name);
        const QStringList before = ReadBack::fileNames(dir.path());

        if (command == u"EXL1") {
            bool ok = true;
            QVERIFY(exportWorkbook(fileName, &ok));
            QVERIFY(!ok);
        } else {
            FMain->RunFileDialog = choose(fileName);
            FMain->findChild<QAction*>(command)->trigger();
        }
        verifyOneSaveFailure(command == u"PDF1" ? fileName + QStringLiteral(".pdf") : fileName);
        QVERIFY2(m_messages.first().text.endsWith(reason), qPrintable(m_messages.first().text));
        QCOMPARE(ReadBack::fileNames(dir.path()), before);
        QCOMPARE(ReadBack::fileNames(dir.filePath(QStringLiteral("folder"))), QStringList());
        QCOMPARE(FMain->Log.count(0), qsizetype(3));
    }

    // The name's extension decides what is written, whichever command showed the dialog;
    // a name without a known one gets the chosen filter's.
    void extensionDecidesTheFormat_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("csv in the workbook dialog") << "EXL1"
                                                    << "log.csv"
                                                    << "log.csv" << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("pdf in the workbook dialog") << "EXL1"
                                                    << "log.pdf"
                                                    << "log.pdf" << QByteArray("%PDF");
        QTest::newRow("xlsx in the bitmap dialog") << "BMP1"
                                                   << "c.xlsx"
                                                   << "c.xlsx" << QByteArray("PK");
        QTest::newRow("bmp in the report dialog") << "PDF1"
                                                  << "r.BMP"
                                                  << "r.BMP" << QByteArray("BM");
        QTest::newRow("csv filter") << "CSV1"
                                    << "log"
                                    << "log.csv" << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("pdf filter") << "PDF1"
                                    << "report.txt"
                                    << "report.txt.pdf" << QByteArray("%PDF");
        QTest::newRow("vilta in the bitmap dialog") << "BMP1"
                                                    << "m.vilta"
                                                    << "m.vilta" << QByteArray("SQLite format 3");
        QTest::newRow("vilta filter") << "MeasurementsAction"
                                      << "m"
                                      << "m.vilta" << QByteArray("SQLite format 3");
        QTest::newRow("xls filter") << "EXL1"
                                    << "log"
                                    << "log.xls" << QByteArray("\xD0\xCF\x11\xE0");
    }
    void extensionDecidesTheFormat() {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QString, saved);
        QFETCH(QByteArray, start);
        poll(3);
        QTemporaryDir dir;
        QSignalSpy finished(FMain, &TFMain::exportFinished);
        FMain->RunFileDialog = choose(dir.filePath(name));
        FMain->findChild<QAction*>(command)->trigger();
        const auto format = formatOfName(saved);
        if (format == SaveFormat::Xls || format == SaveFormat::Xlsx || format == SaveFormat::Csv ||
            format == SaveFormat::Vilta)
            QVERIFY(finished.wait(60000));
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
        QCOMPARE(ReadBack::fileNames(dir.path()), QStringList{saved});
        QFile file(dir.filePath(saved));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(start.size()) == start);
    }

    // A report of an empty log is refused before any dialog.
    void reportOfAnEmptyLogIsRefused() {
        FMain->RunFileDialog = choose(QStringLiteral("/nonexistent/report.pdf"));
        FMain->PDF1->trigger();
        QCOMPARE(m_dialog.shown, 0);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().text.startsWith(QStringLiteral("Отчёт не составлен")));
    }

    void bitmapHasTheChartsSizeAndLooks_data() {
        QTest::addColumn<QSize>("windowSize");
        QTest::newRow("as started") << QSize();
        QTest::newRow("enlarged") << QSize(1180, 860);
    }
    void bitmapHasTheChartsSizeAndLooks() {
        QFETCH(QSize, windowSize);
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain));
        if (windowSize.isValid()) {
            FMain->resize(windowSize);
            QTRY_VERIFY(FMain->ChartValue->width() > 1000);
        }
        poll(20);
        const QSize chartSize = FMain->ChartValue->size();
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("chart.bmp"));

        FMain->RunFileDialog = choose(fileName);
        FMain->BMP1->trigger();
        verifyPlainSaveDialog(QStringLiteral("07.12.2026Graph.bmp"));
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(ReadBack::fileNames(dir.path()), QStringList{QStringLiteral("chart.bmp")});

        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("BM"));
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 28), quint16(24));
        QImage image;
        QVERIFY(image.loadFromData(bytes, "BMP"));
        QCOMPARE(image.size(), chartSize);
        // The chart as drawn: the silver surround, the white back wall, and the points
        // of t (green) and RH (red) somewhere on it.
        QCOMPARE(image.pixelColor(0, 0), QColor(0xC0, 0xC0, 0xC0));
        int white = 0;
        bool green = false;
        bool red = false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                white += c == Qt::white ? 1 : 0;
                // Green drawn smoothly: the line's edges and the circles are blended.
                green = green || (c.green() >= 0x80 && c.red() < 0x20 && c.blue() < 0x20);
                red = red || c == QColor(0xFF, 0x00, 0x00);
            }
        QVERIFY(white > image.width() * image.height() / 2);
        QVERIFY(green);
        QVERIFY(red);
        QCOMPARE(FMain->Log.count(0), qsizetype(20));
    }

    void bitmapReplacesAnExistingFile() {
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("chart.bmp"));
        {
            QFile old(fileName);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(3 * 1024 * 1024, 'x'));
        }
        FMain->RunFileDialog = choose(fileName);
        FMain->BMP1Click();
        QVERIFY(m_messages.isEmpty());
        QImage image(fileName, "BMP");
        QCOMPARE(image.size(), FMain->ChartValue->size());
        QCOMPARE(ReadBack::fileNames(dir.path()), QStringList{QStringLiteral("chart.bmp")});
    }

    // The proposed names follow the regional short date as it is, separators and all.
    void proposedNamesFollowTheRegionalDate() {
        RegionalSettings::setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        m_now = QDateTime(QDate(2027, 1, 3), QTime(9, 0, 0));
        const QString date = QLocale(QLocale::English, QLocale::UnitedStates)
                                 .toString(m_now.date(), QLocale::ShortFormat);
        FMain->RunFileDialog = choose(QString());
        FMain->BMP1Click();
        QVERIFY2(m_dialog.proposedName.endsWith(u'/' + date + QStringLiteral("Graph.bmp")),
                 qPrintable(m_dialog.proposedName));
        FMain->EXL1Click();
        QVERIFY2(m_dialog.proposedName.endsWith(u'/' + date + QStringLiteral("XLS.xls")),
                 qPrintable(m_dialog.proposedName));
        FMain->MeasurementsAction->trigger();
        QVERIFY2(m_dialog.proposedName.endsWith(u'/' + date + QStringLiteral("Измерения.vilta")),
                 qPrintable(m_dialog.proposedName));
    }

    void printerSetupShowsThePrintDialog() {
        QPrintDialog* shown = nullptr;
        int count = 0;
        FMain->RunPrintDialog = [&](QPrintDialog* d) {
            shown = d;
            ++count;
            return false;
        };
        FMain->N3->trigger();
        QCOMPARE(count, 1);
        QCOMPARE(shown, FMain->PrinterSetupDialog);
        QCOMPARE(shown->printer(), FMain->Printer);
        QVERIFY(m_messages.isEmpty());
    }

    // Every label of the chart is printed where the chart puts it, at the same size
    // relative to the chart as on screen (within 20 %).
    void verifyPrintedLabels(const QString& pdf) {
        QSizeF page;
        QList<PdfWord> words;
        QVERIFY(pdfWords(pdf, &page, &words));
        QCustomPlot* chart = FMain->ChartValue;
        const QRectF printed = PrintRectangle(chart->size(), page, 72, 72);
        const double scale = printed.height() / chart->height();
        const QRect plot = chart->axisRect()->rect();
        for (QCPAxis* axis : {chart->yAxis, chart->xAxis}) {
            const double screenShare =
                QFontMetricsF(axis->tickLabelFont()).height() / chart->height();
            const QList<double> ticks = axis->tickVector();
            const QStringList labels = axis->tickVectorLabels();
            int labelled = 0;
            for (qsizetype i = 0; i < ticks.size(); ++i) {
                if (labels.at(i).isEmpty())
                    continue;
                ++labelled;
                const double at = axis->coordToPixel(ticks.at(i));
                const auto found =
                    std::find_if(words.cbegin(), words.cend(), [&](const PdfWord& w) {
                        if (w.text != labels.at(i))
                            return false;
                        // The word's centre back in the chart's own pixels.
                        const QPointF c = (w.box.center() - printed.topLeft()) / scale;
                        return axis == chart->yAxis
                                   ? qAbs(c.y() - at) < 3 && c.x() > 0 && c.x() < plot.left()
                                   : qAbs(c.x() - at) < 3 && c.y() > plot.bottom() &&
                                         c.y() < chart->height();
                    });
                QVERIFY2(found != words.cend(), qPrintable(labels.at(i)));
                const double share = found->box.height() / printed.height();
                QVERIFY2(qAbs(share / screenShare - 1) < 0.2,
                         qPrintable(QStringLiteral("%1: %2 against %3")
                                        .arg(labels.at(i))
                                        .arg(share)
                                        .arg(screenShare)));
            }
            QVERIFY(labelled >= 2);
        }
    }

    void printsOneLandscapePage_data() {
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::addColumn<QSize>("windowSize");
        QTest::addColumn<bool>("optical");
        QTest::newRow("portrait printer") << QPageLayout::Portrait << QSize() << false;
        QTest::newRow("landscape printer") << QPageLayout::Landscape << QSize() << false;
        QTest::newRow("tall window") << QPageLayout::Portrait << QSize(560, 900) << false;
        QTest::newRow("optical view") << QPageLayout::Portrait << QSize() << true;
    }
    void printsOneLandscapePage() {
        QFETCH(QPageLayout::Orientation, orientation);
        QFETCH(QSize, windowSize);
        QFETCH(bool, optical);
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain));
        if (windowSize.isValid()) {
            FMain->resize(windowSize);
            QTRY_VERIFY(FMain->ChartValue->height() > FMain->ChartValue->width());
        }
        if (optical)
            FMain->N12->trigger();
        poll(45); // enough for several time labels
        const int resolution = FMain->Printer->resolution();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
        FMain->Printer->setOutputFormat(QPrinter::PdfFormat);
        FMain->Printer->setOutputFileName(pdf);
        FMain->Printer->setPageOrientation(orientation);

        FMain->N4->trigger();
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(FMain->Printer->pageLayout().orientation(), orientation);
        QCOMPARE(FMain->Printer->resolution(), resolution);
        QCOMPARE(FMain->Printer->docName(), QStringLiteral("ChartValue"));

        QString info;
        QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}, &info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("^Pages: +1$"),
                                                  QRegularExpression::MultilineOption)),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("^Title: +ChartValue$"),
                                                  QRegularExpression::MultilineOption)),
                 qPrintable(info));
        const auto size =
            QRegularExpression(QStringLiteral("Page size: +([0-9.]+) x ([0-9.]+)")).match(info);
        QVERIFY(size.hasMatch());
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());

        QVERIFY(run(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                     QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))}));
        const QImage page(dir.filePath(QStringLiteral("page.png")));
        QVERIFY(!page.isNull());
        QVERIFY(page.width() > page.height());
        const QRect ink = inkBox(page.convertToFormat(QImage::Format_RGB32));
        const QSizeF chart = FMain->ChartValue->size();
        const double W = page.width();
        const double H = page.height();
        // 15 % margins along the chart's longer side, centred along the other, in the
        // chart's on-screen shape; a couple of pixels of slack at 50 dpi.
        if (chart.width() > chart.height()) {
            QVERIFY2(qAbs(ink.left() / W - 0.15) < 0.02, qPrintable(QString::number(ink.left())));
            QVERIFY(qAbs((W - ink.right() - 1) / W - 0.15) < 0.02);
            QVERIFY(qAbs(ink.top() - (H - ink.bottom() - 1)) <= 3);
        } else {
            QVERIFY2(qAbs(ink.top() / H - 0.15) < 0.02, qPrintable(QString::number(ink.top())));
            QVERIFY(qAbs((H - ink.bottom() - 1) / H - 0.15) < 0.02);
            QVERIFY(qAbs(ink.left() - (W - ink.right() - 1)) <= 3);
        }
        const double shape = double(ink.height()) / ink.width();
        QVERIFY2(qAbs(shape / (chart.height() / chart.width()) - 1) < 0.03,
                 qPrintable(QString::number(shape)));
        verifyPrintedLabels(pdf);
    }

    // With no printer set up the print fails; the printer then chosen in the setup
    // dialog (here: print to a PDF file) is the one the next print uses.
    void printAfterAFailedPrintWritesTheFile() {
        poll(3);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
        FMain->Printer->setOutputFormat(QPrinter::PdfFormat);
        FMain->Printer->setOutputFileName(QString());
        FMain->N4->trigger();
        QCOMPARE(m_messages.size(), 1);

        FMain->RunPrintDialog = [&pdf](QPrintDialog* d) {
            d->show();
            auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
            auto* fileName = d->findChild<QLineEdit*>(QStringLiteral("filename"));
            if (!printers || !fileName)
                return false;
            printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)"
            fileName->setText(pdf);
            d->accept();
            return d->result() == QDialog::Accepted;
        };
        FMain->N3->trigger();
        QCOMPARE(FMain->Printer->outputFileName(), pdf);
        FMain->N4->trigger();
        QCOMPARE(m_messages.size(), 1);
        QString info;
        QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}, &info));
    }

    void failedPrintRestoresTheOrientation() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("missing/chart.pdf"));
        FMain->Printer->setOutputFormat(QPrinter::PdfFormat);
        FMain->Printer->setOutputFileName(pdf);
        FMain->Printer->setPageOrientation(QPageLayout::Portrait);
        FMain->N4Click();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().title, QApplication::applicationName());
        QCOMPARE(FMain->Printer->pageLayout().orientation(), QPageLayout::Portrait);
        // A printer left stuck by a failed job is replaced by one with its destination.
        QCOMPARE(FreshPrinterLike(*FMain->Printer)->outputFileName(), pdf);
        QCOMPARE(ReadBack::fileNames(dir.path()), QStringList());
    }

    // Page sizes in device pixels; the expected rectangles worked out by hand.
    void printRectangle_data() {
        QTest::addColumn<QSizeF>("chart");
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<double>("dpiX");
        QTest::addColumn<double>("dpiY");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("wide") << QSizeF(700, 350) << QSizeF(1000, 800) << 100.0 << 100.0
                              << QRectF(150, 225, 700, 350);
        QTest::newRow("design size on A4 at 1200 dpi")
            << QSizeF(705, 490) << QSizeF(14031, 9921) << 1200.0 << 1200.0
            << QRectF(2104.65, 1547.285, 9821.7, 6826.43);
        QTest::newRow("tall") << QSizeF(350, 700) << QSizeF(1000, 800) << 100.0 << 100.0
                              << QRectF(360, 120, 280, 560);
        QTest::newRow("square counts as tall") << QSizeF(400, 400) << QSizeF(1000, 800) << 100.0
                                               << 100.0 << QRectF(220, 120, 560, 560);
        QTest::newRow("pixels twice as high as wide")
            << QSizeF(700, 350) << QSizeF(1000, 800) << 600.0 << 300.0
            << QRectF(150, 312.5, 700, 175);
        QTest::newRow("pixels twice as wide as high")
            << QSizeF(700, 350) << QSizeF(1000, 800) << 300.0 << 600.0 << QRectF(150, 50, 700, 700);
        QTest::newRow("flat page: the chart keeps its shape inside it")
            << QSizeF(700, 350) << QSizeF(1000, 300) << 100.0 << 100.0 << QRectF(200, 0, 600, 300);
        QTest::newRow("empty chart")
            << QSizeF(0, 0) << QSizeF(1000, 800) << 100.0 << 100.0 << QRectF();
    }
    void printRectangle() {
        QFETCH(QSizeF, chart);
        QFETCH(QSizeF, page);
        QFETCH(double, dpiX);
        QFETCH(double, dpiY);
        QFETCH(QRectF, expected);
        const QRectF r = PrintRectangle(chart, page, dpiX, dpiY);
        if (expected.isNull()) {
            QVERIFY(r.isEmpty());
            return;
        }
        QVERIFY2(qAbs(r.x() - expected.x()) < 0.01 && qAbs(r.y() - expected.y()) < 0.01 &&
                     qAbs(r.width() - expected.width()) < 0.01 &&
                     qAbs(r.height() - expected.height()) < 0.01,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(r.x())
                                .arg(r.y())
                                .arg(r.width())
                                .arg(r.height())));
    }
};

QTEST_MAIN(MainExport)
#include "main_export.moc"
