// Exports read back by independent readers: xlrd for .xls, openpyxl for .xlsx, and
// gnumeric's ssconvert for both.
#include "ReadBackSupport.h"
#include "export/CsvWriter.h"
#include "export/Uxls.h"
#include "export/WorkbookLayout.h"
#include "measurement/ChannelCaption.h"
#include "measurement/RegionalSettings.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

using namespace ReadBack;

class ExportReadBackTest : public QObject {
    Q_OBJECT

private slots:
    void init() { RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup() { RegionalSettings::resetToSystem(); }

    void layoutReadsBack_data();
    void layoutReadsBack();
    void failureLeavesNoFile_data();
    void failureLeavesNoFile();
    void replacesExistingFile_data();
    void replacesExistingFile();
    void ssconvertReadsWithoutWarnings_data();
    void ssconvertReadsWithoutWarnings();
    void libreOfficeConverts_data() { replacesExistingFile_data(); }
    void libreOfficeConverts();
    void marksReadBack_data() { replacesExistingFile_data(); }
    void marksReadBack();
    void csvReadsBack_data();
    void csvReadsBack();
};

void ExportReadBackTest::layoutReadsBack_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Lengths>("lengths");
    QTest::addColumn<QString>("dateFormat");

    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QList<std::pair<const char*, Lengths>> logs = {
        {"all series", uniform(40)},
        {"empty log", uniform(0)},
        {"no air speed", {30, 30, 0, 0, 0, 0}},
        {"different lengths", {5, 0, 12, 3, 9, 1}},
        {"air speed only", {0, 0, 4, 0, 0, 0}},
    };
    for (const char* suffix : {"xls", "xlsx"}) {
        for (const auto& [name, lengths] : logs)
            QTest::addRow("%s, %s", suffix, name) << suffix << russian << lengths << "dd.mm.yyyy";
        QTest::addRow("%s, English settings", suffix)
            << suffix << QLocale(QLocale::English, QLocale::UnitedStates) << uniform(3) << "m/d/yy";
        // Texts beyond Latin-1 are stored two bytes a character, and the string table
        // runs over several records, some strings split between two; an hour of labels
        // brings one whose header just fits at the end of a record.
        QTest::addRow("%s, wide labels", suffix)
            << suffix << wideLabels() << uniform(3600) << wideLabelsDateFormat();
    }
    QTest::addRow("XLSX in capitals") << "XLSX" << russian << uniform(3) << "dd.mm.yyyy";
}

void ExportReadBackTest::layoutReadsBack() {
    QFETCH(QString, suffix);
    QFETCH(QLocale, locale);
    QFETCH(Lengths, lengths);
    QFETCH(QString, dateFormat);
    RegionalSettings::setLocale(locale);

    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("log.") + suffix);
    MeasurementLog log;
    fillLog(log, lengths);
    QList<double> progress;
    const ExportResult result = exportLog(log, fileName, [&](double f) { progress.append(f); });
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(fileNames(dir.path()), QStringList{QStringLiteral("log.") + suffix});
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), 1.0);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));

    const QJsonObject book = readBack(fileName);
    QVERIFY(!book.isEmpty());
    if (!IsXlsxName(fileName))
        QCOMPARE(book.value(u"biff").toInt(), 80);
    verifyWorkbook(book, expectedFrom(log, day()),
                   IsXlsxName(fileName) ? WorkbookLayout::XlsxSheetRows
                                        : WorkbookLayout::XlsSheetRows,
                   dateFormat);
}

void ExportReadBackTest::failureLeavesNoFile_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("targetIsFolder");
    QTest::addColumn<QString>("reason");
    for (const char* suffix : {"xls", "xlsx"}) {
        QTest::addRow("%s, missing folder", suffix) << suffix << false << "нет такой папки";
        QTest::addRow("%s, name taken by a folder", suffix)
            << suffix << true << "под этим именем уже есть папка";
    }
}

void ExportReadBackTest::failureLeavesNoFile() {
    QFETCH(QString, suffix);
    QFETCH(bool, targetIsFolder);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString fileName;
    if (targetIsFolder) {
        // Everything is written, only the final rename fails.
        fileName = dir.filePath(QStringLiteral("taken.") + suffix);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.") + suffix));
        QVERIFY(QFile::copy(QStringLiteral(VILTA_SOURCE_DIR "/tests/unit/export/read_xls.py"),
                            fileName + QStringLiteral("/inside")));
    } else {
        fileName = dir.filePath(QStringLiteral("missing/log.") + suffix);
    }
    const QStringList before = fileNames(dir.path());

    MeasurementLog log;
    fillLog(log, uniform(100));
    const ExportResult result = exportLog(log, fileName);
    QVERIFY(!result.ok);
    QCOMPARE(result.reason, reason);
    QCOMPARE(fileNames(dir.path()), before);
    QCOMPARE(QFileInfo(fileName).isFile(), false);
    const QString message = SaveFailureMessage(fileName, result.reason);
    QVERIFY(message.contains(QDir::toNativeSeparators(fileName)));
    QVERIFY(message.endsWith(result.reason));
}

void ExportReadBackTest::replacesExistingFile_data() {
    QTest::addColumn<QString>("suffix");
    QTest::newRow("xls") << "xls";
    QTest::newRow("xlsx") << "xlsx";
}

void ExportReadBackTest::replacesExistingFile() {
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("old.") + suffix);
    {
        QFile old(fileName);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    MeasurementLog log;
    fillLog(log, uniform(5));
    const ExportResult result = exportLog(log, fileName);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(fileNames(dir.path()), QStringList{QStringLiteral("old.") + suffix});
    verifyWorkbook(readBack(fileName), expectedFrom(log, day()),
                   suffix == u"xls" ? WorkbookLayout::XlsSheetRows : WorkbookLayout::XlsxSheetRows,
                   QStringLiteral("dd.mm.yyyy"));
}

void ExportReadBackTest::ssconvertReadsWithoutWarnings_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<qsizetype>("points");
    QTest::addColumn<bool>("wide");
    QTest::newRow("xls, small") << "xls" << qsizetype(20) << false;
    QTest::newRow("xls, string table continued") << "xls" << qsizetype(3000) << false;
    QTest::newRow("xls, wide labels") << "xls" << qsizetype(3600) << true;
    QTest::newRow("xls, empty") << "xls" << qsizetype(0) << false;
    QTest::newRow("xlsx") << "xlsx" << qsizetype(20) << false;
}

void ExportReadBackTest::ssconvertReadsWithoutWarnings() {
    QFETCH(QString, suffix);
    QFETCH(qsizetype, points);
    QFETCH(bool, wide);
    if (wide)
        RegionalSettings::setLocale(wideLabels());
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("log.") + suffix);
    MeasurementLog log;
    fillLog(log, uniform(points));
    QVERIFY(exportLog(log, fileName).ok);

    const QString csv = dir.filePath(QStringLiteral("log.csv"));
    QProcess convert;
    // Cells as the workbook shows them, so the date comes out in its number format.
    convert.start(QStringLiteral("ssconvert"),
                  {QStringLiteral("--export-type=Gnumeric_stf:stf_assistant"),
                   QStringLiteral("--export-options=format=preserve"), fileName, csv});
    QVERIFY(convert.waitForFinished(60000));
    QCOMPARE(convert.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(convert.readAllStandardError()), QString());

    QFile text(csv);
    QVERIFY(text.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = text.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), points + 1);
    // The date as the regional short date format shows it.
    const QByteArray date = RegionalSettings::shortDate(day()).toUtf8() + ',';
    QVERIFY2(lines.first().startsWith(date), lines.first().constData());
    if (points > 0) {
        for (qsizetype k : {qsizetype(0), points - 1}) {
            const QByteArray line = QByteArray(lines.at(k + 1)).replace('"', "");
            const QByteArray label = log.TimeLabel(LabelSeries, k).toUtf8() + ',';
            QVERIFY2(line.startsWith(label), line.constData());
        }
    }
}

void ExportReadBackTest::libreOfficeConverts() {
    QFETCH(QString, suffix);
    const QString office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty())
        QSKIP("libreoffice is not installed");
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("log.") + suffix);
    MeasurementLog log;
    fillLog(log, uniform(10));
    QVERIFY(exportLog(log, fileName).ok);
    QProcess convert;
    convert.setWorkingDirectory(dir.path());
    // A profile of its own, so that a running office does not take the job.
    convert.start(office,
                  {QStringLiteral("-env:UserInstallation=file://") + dir.filePath("profile"),
                   QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                   QStringLiteral("csv"), QStringLiteral("--outdir"), dir.path(), fileName});
    QVERIFY(convert.waitForFinished(120000));
    QCOMPARE(convert.exitCode(), 0);
    // Whatever the office says about the file itself counts; its note that it runs
    // without Java does not.
    QByteArrayList complaints = convert.readAllStandardError().split('\n');
    complaints.removeIf(
        [](const QByteArray& l) { return l.trimmed().isEmpty() || l.contains("javaldx"); });
    QVERIFY2(complaints.isEmpty(), complaints.join('\n').constData());
    QFile csv(dir.filePath(QStringLiteral("log.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll().trimmed().split('\n').size(), 11);
}

// CSV read back by Python's csv module, and by LibreOffice under Russian settings as a
// spreadsheet user opens it (';', UTF-8, Russian): numbers are numbers, times are times.
// Column H holds the marks on the rows of their first polls, two on one row joined.
void ExportReadBackTest::marksReadBack() {
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("log.") + suffix);
    MeasurementLog log;
    fillLog(log, uniform(40));
    for (const auto& [k, text] :
         {std::pair{0, "Точка 1, высота 1,1 м"}, {17, "A"}, {17, "B"}, {39, "=1+1"}})
        log.events().setMarkAt(log.time(LabelSeries, k), QString::fromUtf8(text));
    const ExportResult result = exportLog(log, fileName, {});
    QVERIFY2(result.ok, qPrintable(result.reason));
    verifyWorkbook(readBack(fileName), expectedFrom(log, day()),
                   IsXlsxName(fileName) ? WorkbookLayout::XlsxSheetRows
                                        : WorkbookLayout::XlsSheetRows,
                   QStringLiteral("dd.mm.yyyy"));
}

void ExportReadBackTest::csvReadsBack_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Lengths>("lengths");
    QTest::addColumn<bool>("office");
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QTest::newRow("ru, all series, office") << russian << uniform(40) << true;
    QTest::newRow("ru, different lengths") << russian << Lengths{5, 0, 12, 3, 9, 1} << false;
    QTest::newRow("en") << QLocale(QLocale::English, QLocale::UnitedStates) << uniform(3) << false;
    QTest::newRow("empty log") << russian << uniform(0) << false;
}

void ExportReadBackTest::csvReadsBack() {
    QFETCH(QLocale, locale);
    QFETCH(Lengths, lengths);
    QFETCH(bool, office);
    RegionalSettings::setLocale(locale);
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("log.csv"));
    MeasurementLog log;
    fillLog(log, lengths);
    const ExportResult result =
        ExportCsv(PollTable::take(log), RegionalSettings::decimalSeparator(), fileName);
    QVERIFY2(result.ok, qPrintable(result.reason));
    const Expected data = expectedFrom(log, day());
    const qint64 polls = rowCount(data);

    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF\xD0\x94")); // the mark, then "Д"
    QCOMPARE(bytes.count("\r\n"), polls + 1);
    QCOMPARE(bytes.count('\n'), polls + 1);

    QString workbook;
    if (office) {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
        if (soffice.isEmpty())
            QSKIP("libreoffice is not installed");
        QProcess convert;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
        convert.setProcessEnvironment(env);
        // Separator ';', quote '"', UTF-8 (76), from line 1, the Russian locale (1049).
        convert.start(soffice,
                      {QStringLiteral("-env:UserInstallation=file://") + dir.filePath("profile"),
                       QStringLiteral("--headless"),
                       QStringLiteral("--infilter=CSV:59,34,76,1,,1049"),
                       QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                       QStringLiteral("--outdir"), dir.path(), fileName});
        QVERIFY(convert.waitForFinished(120000));
        QCOMPARE(convert.exitCode(), 0);
        workbook = dir.filePath(QStringLiteral("log.xlsx"));
    }
    for (const QString& read : {fileName, workbook}) {
        if (read.isEmpty())
            continue;
        QProcess reader;
        reader.start(QStringLiteral(VILTA_PYTHON),
                     {QStringLiteral(VILTA_SOURCE_DIR "/tests/unit/export/read_csv.py"), read});
        QVERIFY(reader.waitForFinished(120000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        const QJsonArray rows = QJsonDocument::fromJson(reader.readAllStandardOutput())
                                    .object()
                                    .value(u"rows")
                                    .toArray();
        const bool typed = read == workbook;
        const auto cell = [&](qsizetype r, qsizetype c) {
            return rows.at(r).toArray().at(c).toArray();
        };
        QCOMPARE(rows.size(), polls + 1);
        QCOMPARE(cell(0, 0).at(1).toString(), QStringLiteral("Дата и время"));
        int column = 1;
        for (int c = 0; c < 6; ++c) {
            if (data.values[c].isEmpty())
                continue;
            QCOMPARE(cell(0, column).at(1).toString(),
                     channelHeading(static_cast<Channel>(ExportedSeries[c])));
            for (qsizetype k = 0; k < polls; ++k) {
                const QJsonArray got = cell(k + 1, column);
                const double v = k < data.values[c].size() ? data.values[c].at(k) : NAN;
                if (!std::isfinite(v)) {
                    QVERIFY2(got.at(1).toString().isEmpty(), qPrintable(got.at(1).toString()));
                    continue;
                }
                if (typed) {
                    QCOMPARE(got.at(0).toString(), QStringLiteral("number"));
                    QCOMPARE(got.at(1).toDouble(), v);
                } else {
                    QCOMPARE(got.at(1).toString(),
                             locale.toString(v, 'g', 15).remove(locale.groupSeparator()));
                }
            }
            ++column;
        }
        for (qsizetype k = 0; k < polls; ++k) {
            const QJsonArray got = cell(k + 1, 0);
            QCOMPARE(got.at(0).toString(),
                     typed ? QStringLiteral("datetime") : QStringLiteral("text"));
            QCOMPARE(
                got.at(1).toString(),
                QDateTime(day(), QTime(0, 0).addSecs(int(k))).toString(u"dd.MM.yyyy HH:mm:ss"));
        }
    }
}

QTEST_GUILESS_MAIN(ExportReadBackTest)
#include "ExportReadBackTest.moc"
