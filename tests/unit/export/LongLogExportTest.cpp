// Long logs: every cell of 70,000 rows in both formats, and logs longer than one sheet
// going on over further sheets, nothing lost.
#include "ReadBackSupport.h"
#include "measurement/RegionalSettings.h"

#include <QTemporaryDir>

using namespace ReadBack;

class LongLogExportTest : public QObject {
    Q_OBJECT

private slots:
    void init() { RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup() { RegionalSettings::resetToSystem(); }

    void longLogReadsBack_data();
    void longLogReadsBack();
    void xlsxLongLogContinuesOnNextSheet();
};

void LongLogExportTest::longLogReadsBack_data() {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QList<int>>("rowsPerSheet");
    QTest::newRow("xls, on two sheets") << "xls" << QList<int>{65536, 70000 - 65535 + 1};
    QTest::newRow("xlsx") << "xlsx" << QList<int>{70001};
}

void LongLogExportTest::longLogReadsBack() {
    QFETCH(QString, suffix);
    QFETCH(QList<int>, rowsPerSheet);
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("long.") + suffix);
    // Column B one point short of the others, so the last sheet ends mid-column.
    MeasurementLog log;
    fillLog(log, {69999, 70000, 70000, 70000, 70000, 70000});
    const ExportResult result = exportLog(log, fileName);
    QVERIFY2(result.ok, qPrintable(result.reason));

    const QJsonObject book = readBack(fileName);
    const QJsonArray sheets = book.value(u"sheets").toArray();
    QCOMPARE(sheets.size(), rowsPerSheet.size());
    for (qsizetype s = 0; s < sheets.size(); ++s)
        QCOMPARE(sheets.at(s).toObject().value(u"rows").toInt(), rowsPerSheet.at(s));
    verifyWorkbook(book, expectedFrom(log, day()),
                   IsXlsxName(fileName) ? WorkbookLayout::XlsxSheetRows
                                        : WorkbookLayout::XlsSheetRows,
                   QStringLiteral("dd.mm.yyyy"));
}

void LongLogExportTest::xlsxLongLogContinuesOnNextSheet() {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("long.xlsx"));
    // One column is enough to fill a sheet; the last point goes to the second sheet.
    MeasurementLog log;
    const QDateTime when(day(), QTime(12, 0));
    const qsizetype points = WorkbookLayout::XlsxSheetRows;
    for (qsizetype k = 0; k + 1 < points; ++k)
        log.append(0, static_cast<double>(k % 1000) / 10.0 + 0.5, when);
    log.append(0, 12345.6, when);
    const ExportResult result = exportLog(log, fileName);
    QVERIFY2(result.ok, qPrintable(result.reason));

    // A full sheet is too much for a reader in a unit test; the package's parts tell
    // enough: the sheets, the extent of the first, the last row of the first, and every
    // cell of the second.
    QProcess reader;
    reader.start(
        QStringLiteral(VILTA_PYTHON),
        {QStringLiteral(VILTA_SOURCE_DIR "/tests/unit/export/inspect_xlsx_parts.py"), fileName});
    QVERIFY(reader.waitForFinished(120000));
    QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
    const QJsonObject parts = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();

    QCOMPARE(parts.value(u"names").toArray(), (QJsonArray{"Лист1", "Лист2"}));
    // The extent counts the formatted column H too; the rows are what matter.
    const QString extent = parts.value(u"extent").toString();
    QVERIFY2(extent.startsWith(u"A1:") && extent.endsWith(u"1048576"), qPrintable(extent));
    const QJsonObject lastRow = parts.value(u"lastRowOfFirst").toObject();
    QCOMPARE(lastRow.keys(), QStringList{QStringLiteral("B1048576")});
    QCOMPARE(lastRow.value(u"B1048576").toString().toDouble(), log.y(0, points - 2));
    const QJsonObject second = parts.value(u"second").toObject();
    QCOMPARE(second.size(), 8);
    QCOMPARE(second.value(u"A1").toString().toDouble(), WorkbookLayout::dateSerial(day()));
    const QStringList headers = WorkbookLayout::headerTexts();
    for (int c = 0; c < 6; ++c)
        QCOMPARE(second.value(QString(QChar(u'B' + c)) + u'1').toString(), headers.at(c));
    QCOMPARE(second.value(u"B2").toString().toDouble(), 12345.6);
}

QTEST_GUILESS_MAIN(LongLogExportTest)
#include "LongLogExportTest.moc"
