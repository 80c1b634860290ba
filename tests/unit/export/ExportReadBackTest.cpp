// Exports read back by independent readers: xlrd for .xls, openpyxl for .xlsx, and
// gnumeric's ssconvert for both.
#include "ReadBackSupport.h"
#include "export/Uxls.h"
#include "export/WorkbookLayout.h"
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
};

void ExportReadBackTest::layoutReadsBack_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("english");
    QTest::addColumn<Lengths>("lengths");
    QTest::addColumn<QString>("labelSuffix");

    const QList<std::pair<const char*, Lengths>> logs = {
        {"all series", uniform(40)},
        {"empty log", uniform(0)},
        {"no air speed", {0, {30, 30, 0, 0, 0, 0}}},
        {"different lengths", {12, {5, 0, 12, 3, 9, 1}}},
        {"labels only", {4, {0, 0, 0, 0, 0, 0}}},
    };
    for (const char* suffix : {"xls", "xlsx"}) {
        for (const auto& [name, lengths] : logs)
            QTest::addRow("%s, %s", suffix, name) << suffix << false << lengths << QString();
        QTest::addRow("%s, English settings", suffix) << suffix << true << uniform(3) << QString();
        // Texts beyond Latin-1 are stored two bytes a character, and the string table
        // runs over several records, some strings split between two.
        QTest::addRow("%s, wide labels", suffix)
            << suffix << false << uniform(3000) << QStringLiteral(" пп");
    }
    QTest::addRow("XLSX in capitals") << "XLSX" << false << uniform(3) << QString();
}

void ExportReadBackTest::layoutReadsBack() {
    QFETCH(QString, suffix);
    QFETCH(bool, english);
    QFETCH(Lengths, lengths);
    QFETCH(QString, labelSuffix);
    if (english)
        RegionalSettings::setLocale(QLocale(QLocale::English, QLocale::UnitedStates));

    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("log.") + suffix);
    const WorkbookData data = makeLog(lengths, labelSuffix);
    QList<double> progress;
    const ExportResult result =
        ExportWorkbook(data, fileName, [&](double f) { progress.append(f); });
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(fileNames(dir.path()), QStringList{QStringLiteral("log.") + suffix});
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), 1.0);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));

    const QJsonObject book = readBack(fileName);
    QVERIFY(!book.isEmpty());
    if (!IsXlsxName(fileName))
        QCOMPARE(book.value(u"biff").toInt(), 80);
    verifyWorkbook(book, data,
                   IsXlsxName(fileName) ? WorkbookLayout::XlsxSheetRows
                                        : WorkbookLayout::XlsSheetRows,
                   english ? QStringLiteral("m/d/yy") : QStringLiteral("dd.mm.yyyy"));
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

    const ExportResult result = ExportWorkbook(makeLog(uniform(100)), fileName);
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
    const WorkbookData data = makeLog(uniform(5));
    const ExportResult result = ExportWorkbook(data, fileName);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(fileNames(dir.path()), QStringList{QStringLiteral("old.") + suffix});
    verifyWorkbook(readBack(fileName), data,
                   suffix == u"xls" ? WorkbookLayout::XlsSheetRows : WorkbookLayout::XlsxSheetRows,
                   QStringLiteral("dd.mm.yyyy"));
}

void ExportReadBackTest::ssconvertReadsWithoutWarnings_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<qsizetype>("points");
    QTest::addColumn<QString>("labelSuffix");
    QTest::newRow("xls, small") << "xls" << qsizetype(20) << QString();
    QTest::newRow("xls, string table continued") << "xls" << qsizetype(3000) << QString();
    QTest::newRow("xls, wide labels") << "xls" << qsizetype(3000) << QStringLiteral(" пп");
    QTest::newRow("xls, empty") << "xls" << qsizetype(0) << QString();
    QTest::newRow("xlsx") << "xlsx" << qsizetype(20) << QString();
}

void ExportReadBackTest::ssconvertReadsWithoutWarnings() {
    QFETCH(QString, suffix);
    QFETCH(qsizetype, points);
    QFETCH(QString, labelSuffix);
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("log.") + suffix);
    const WorkbookData data = makeLog(uniform(points), labelSuffix);
    QVERIFY(ExportWorkbook(data, fileName).ok);

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
    QVERIFY2(lines.first().startsWith("07.12.2026,"), lines.first().constData());
    if (points > 0) {
        for (qsizetype k : {qsizetype(0), points - 1}) {
            const QByteArray line = QByteArray(lines.at(k + 1)).replace('"', "");
            QVERIFY2(line.startsWith(data.timeLabels.at(k).toUtf8() + ','), line.constData());
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
    QVERIFY(ExportWorkbook(makeLog(uniform(10)), fileName).ok);
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

QTEST_GUILESS_MAIN(ExportReadBackTest)
#include "ExportReadBackTest.moc"
