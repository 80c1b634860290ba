// Exports read back by independent readers: xlrd for .xls, openpyxl for .xlsx, and
// gnumeric's ssconvert for both.
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

namespace {

struct Lengths {
    qsizetype labels;
    std::array<qsizetype, 6> values;
};

Lengths uniform(qsizetype n) {
    return {n, {n, n, n, n, n, n}};
}

// Values as the log holds them: tenths, some negative, some large, one per column apart.
WorkbookData makeLog(const Lengths& lengths, const QString& labelSuffix = {}) {
    WorkbookData data;
    data.date = QDate(2026, 12, 7);
    const QTime start(0, 0, 0);
    for (qsizetype k = 0; k < lengths.labels; ++k)
        data.timeLabels.append(start.addSecs(static_cast<int>(k)).toString(u"HH:mm:ss") +
                               labelSuffix);
    for (int c = 0; c < 6; ++c)
        for (qsizetype k = 0; k < lengths.values[c]; ++k)
            data.values[c].append(static_cast<double>((k * 7 + c * 131) % 20001 - 400) / 10.0);
    return data;
}

QString script(const QString& fileName) {
    return QStringLiteral(VILTA_SOURCE_DIR "/tests/unit/export/") +
           (IsXlsxName(fileName) ? QStringLiteral("read_xlsx.py") : QStringLiteral("read_xls.py"));
}

QJsonObject readBack(const QString& fileName) {
    QProcess reader;
    reader.start(QStringLiteral(VILTA_PYTHON), {script(fileName), fileName});
    if (!reader.waitForFinished(120000) || reader.exitCode() != 0) {
        qWarning().noquote() << reader.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

QStringList fileNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class ExportReadBackTest : public QObject {
    Q_OBJECT

private slots:
    void init() { RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup() { RegionalSettings::resetToSystem(); }

    void layoutReadsBack_data();
    void layoutReadsBack();
    void longLogContinuesOnNextSheet();
    void failureLeavesNoFile_data();
    void failureLeavesNoFile();
    void replacesExistingFile_data();
    void replacesExistingFile();
    void ssconvertReadsWithoutWarnings_data();
    void ssconvertReadsWithoutWarnings();
    void libreOfficeConverts_data() { replacesExistingFile_data(); }
    void libreOfficeConverts();

private:
    void verifyWorkbook(const QJsonObject& book, const WorkbookData& data, qint64 sheetRows,
                        const QString& dateFormat);
};

void ExportReadBackTest::verifyWorkbook(const QJsonObject& book, const WorkbookData& data,
                                        qint64 sheetRows, const QString& dateFormat) {
    const QJsonArray sheets = book.value(u"sheets").toArray();
    const qint64 points = WorkbookLayout::pointCount(data);
    QCOMPARE(sheets.size(), WorkbookLayout::sheetCount(points, sheetRows));
    const QStringList headers = WorkbookLayout::headerTexts();

    for (int s = 0; s < sheets.size(); ++s) {
        const QJsonObject sheet = sheets.at(s).toObject();
        QCOMPARE(sheet.value(u"name").toString(), WorkbookLayout::sheetName(s));

        // Header row: date, six texts, all filled green, framed and centred.
        const QJsonArray header = sheet.value(u"header").toArray();
        QCOMPARE(header.size(), 7);
        const QJsonObject a1 = header.at(0).toObject();
        QCOMPARE(a1.value(u"date").toArray(), (QJsonArray{2026, 12, 7}));
        QCOMPARE(a1.value(u"format").toString(), dateFormat);
        for (int c = 0; c < 7; ++c) {
            const QJsonObject cell = header.at(c).toObject();
            if (c > 0)
                QCOMPARE(cell.value(u"text").toString(), headers.at(c - 1));
            QCOMPARE(cell.value(u"fill").toString(), QStringLiteral("00FF00"));
            QCOMPARE(cell.value(u"align").toString(), QStringLiteral("center"));
            QCOMPARE(cell.value(u"borders").toArray(),
                     (QJsonArray{"thin", "thin", "thin", "thin"}));
        }

        // Columns A..G 11 wide, A..H centred.
        const QJsonArray columnInfo = sheet.value(u"columnInfo").toArray();
        for (int c = 0; c < 8; ++c) {
            const QJsonObject info = columnInfo.at(c).toObject();
            QVERIFY2(!info.isEmpty(), qPrintable(QStringLiteral("column %1").arg(c)));
            QCOMPARE(info.value(u"align").toString(), QStringLiteral("center"));
            if (c < 7)
                QCOMPARE(info.value(u"width").toDouble(), 11.0);
        }

        // Data cells: centred, no fill, no frame.
        for (const QJsonValue f : sheet.value(u"dataFormats").toArray()) {
            QCOMPARE(f.toObject().value(u"align").toString(), QStringLiteral("center"));
            QVERIFY(f.toObject().value(u"fill").isNull());
            QCOMPARE(f.toObject().value(u"borders").toArray(), (QJsonArray{{}, {}, {}, {}}));
        }

        // Each column exactly as long as its own series on this sheet; labels as text,
        // values as numbers.
        const qint64 first = WorkbookLayout::firstPointOfSheet(s, sheetRows);
        const QJsonArray columns = sheet.value(u"columns").toArray();
        const auto expectedLength = [&](qsizetype size) {
            return std::clamp<qint64>(size - first, 0, sheetRows - 1);
        };
        const QJsonArray labels = columns.at(0).toArray();
        QCOMPARE(labels.size(), expectedLength(data.timeLabels.size()));
        for (qsizetype r = 0; r < labels.size(); ++r)
            QCOMPARE(labels.at(r).toArray(), (QJsonArray{"text", data.timeLabels.at(first + r)}));
        for (int c = 0; c < 6; ++c) {
            const QJsonArray values = columns.at(c + 1).toArray();
            QCOMPARE(values.size(), expectedLength(data.values[c].size()));
            for (qsizetype r = 0; r < values.size(); ++r) {
                QVERIFY2(values.at(r).isDouble(),
                         qPrintable(QStringLiteral("column %1 row %2").arg(c + 1).arg(r + 2)));
                QCOMPARE(values.at(r).toDouble(), data.values[c].at(first + r));
            }
        }
    }
}

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

void ExportReadBackTest::longLogContinuesOnNextSheet() {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("long.xls"));
    // Column A one point short of the others, so the second sheet starts mid-column.
    const WorkbookData data = makeLog({69999, {70000, 70000, 70000, 70000, 70000, 70000}});
    const ExportResult result = ExportWorkbook(data, fileName);
    QVERIFY2(result.ok, qPrintable(result.reason));

    const QJsonObject book = readBack(fileName);
    const QJsonArray sheets = book.value(u"sheets").toArray();
    QCOMPARE(sheets.size(), 2);
    QCOMPARE(sheets.at(0).toObject().value(u"rows").toInt(), 65536);
    QCOMPARE(sheets.at(1).toObject().value(u"rows").toInt(), 70000 - 65535 + 1);
    verifyWorkbook(book, data, WorkbookLayout::XlsSheetRows, QStringLiteral("dd.mm.yyyy"));
}

void ExportReadBackTest::failureLeavesNoFile_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("targetIsFolder");
    for (const char* suffix : {"xls", "xlsx"}) {
        QTest::addRow("%s, missing folder", suffix) << suffix << false;
        QTest::addRow("%s, name taken by a folder", suffix) << suffix << true;
    }
}

void ExportReadBackTest::failureLeavesNoFile() {
    QFETCH(QString, suffix);
    QFETCH(bool, targetIsFolder);
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
    QVERIFY(!result.reason.trimmed().isEmpty());
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
    QFile csv(dir.filePath(QStringLiteral("log.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll().trimmed().split('\n').size(), 11);
}

QTEST_GUILESS_MAIN(ExportReadBackTest)
#include "ExportReadBackTest.moc"
