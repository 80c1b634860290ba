// The measurement protocol as its reader gets it: three marked points, one optimal, one
// permissible, one outside the norm, in the PDF's text and in the protocol CSV.
#include "chart/ReportPdf.h"
#include "measurement/MeasurementLog.h"
#include "norms/NormLibrary.h"
#include "report/MeasurementReport.h"
#include "report/ProtocolDetails.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime start(QDate(2026, 12, 7), QTime(10, 0, 0));

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return "failed: " + p.readAllStandardError();
    return p.readAllStandardOutput();
}

// Three polls a point, each point begun by a mark: Iа in the cold period is 22-24 °C
// optimal, 20.0-21.9 and 24.1-25.0 permissible.
MeasurementLog markedLog() {
    MeasurementLog log;
    const struct {
        const char* mark;
        double t;
    } points[] = {{"Стол 1", 23.0}, {"Стол 2", 21.0}, {"У печи", 26.0}};
    int step = 0;
    for (const auto& p : points) {
        LogEvent mark;
        mark.kind = LogEvent::Mark;
        mark.text = QString::fromUtf8(p.mark);
        mark.start = mark.end = start.addSecs(3 * step);
        for (int i = 0; i < 3; ++i, ++step) {
            const QDateTime when = start.addSecs(3 * step);
            log.append(Channel::T, p.t + 0.1 * (i - 1), when);
            log.append(Channel::RH, 50, when);
            log.append(Channel::V, 0.1, when);
        }
        log.events().append(mark);
    }
    ProtocolDetails details;
    details.organisation = QStringLiteral("ООО «Завод»");
    details.document = QStringLiteral("СанПиН 1.2.3685-21");
    details.category = QStringLiteral("Iа");
    details.period = QStringLiteral("холодный");
    for (const auto& [key, value] : details.keyedValues())
        log.setDetail(key, value);
    return log;
}

const NormLibrary& norms() {
    static NormLibrary library = [] {
        NormLibrary l;
        l.load({QStringLiteral(VILTA_SOURCE_DIR "/resources/norms")});
        return l;
    }();
    return library;
}

} // namespace

class ProtocolReport : public QObject {
    Q_OBJECT

private slots:
    void threePointsThreeVerdicts() {
        const MeasurementLog log = markedLog();
        ReportSource source;
        source.model = QStringLiteral("ДАРЕН/61");
        source.made = start.addSecs(3600);
        MeasurementReport report = MeasurementReport::build(log, source);
        report.protocol = MeasurementProtocol::build(log, source, norms());
        QTemporaryDir dir;

        // The protocol's pages come first, then the report's own.
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        QString reason;
        QVERIFY2(WriteReportPdf(report, nullptr, pdf, &reason), qPrintable(reason));
        QStringList lines;
        for (const QString& l :
             QString::fromUtf8(run(QStringLiteral("pdftotext"), {"-layout", pdf, "-"}))
                 .split(u'\n'))
            lines << l.simplified();
        const qsizetype protocolAt =
            lines.indexOf(QStringLiteral("Протокол измерений параметров микроклимата"));
        const qsizetype reportAt = lines.indexOf(QStringLiteral("Отчёт об измерениях"));
        QVERIFY2(protocolAt >= 0 && reportAt > protocolAt, qPrintable(lines.join(u'\n')));
        for (const char* summary :
             {"Стол 1: оптимальные", "Стол 2: допустимые", "У печи: не соответствуют"})
            QVERIFY2(lines.indexOf(QString::fromUtf8(summary)) > protocolAt, summary);
        QVERIFY(lines.contains(QStringLiteral("Категория работ: Iа (до 139 Вт)")));

        // The CSV holds a row per point and quantity, whatever the file is called.
        const QString csv = dir.filePath(QStringLiteral("protocol.txt"));
        QVERIFY2(WriteProtocolCsv(report.protocol, csv, &reason), qPrintable(reason));
        // The reader goes by the extension.
        QVERIFY(QFile::copy(csv, csv + QStringLiteral(".csv")));
        const QJsonArray rows =
            QJsonDocument::fromJson(
                run(QStringLiteral(VILTA_PYTHON),
                    {QStringLiteral(VILTA_SOURCE_DIR "/tests/unit/export/read_csv.py"),
                     csv + QStringLiteral(".csv")}))
                .object()
                .value(QStringLiteral("rows"))
                .toArray();
        QCOMPARE(rows.size(), 1 + 3 * 3);
        const auto cell = [&](int row, int column) {
            return rows[row].toArray()[column].toArray()[1].toString();
        };
        QCOMPARE(cell(0, 6), QStringLiteral("Оценка"));
        const QStringList expected{QStringLiteral("оптимальные"), QStringLiteral("допустимые"),
                                   QStringLiteral("не соответствуют")};
        for (int p = 0; p < 3; ++p) {
            const int t = 1 + 3 * p; // each point's first row is its temperature
            QCOMPARE(cell(t, 6), expected[p]);
            QCOMPARE(cell(t, 7), p == 2 ? QStringLiteral("3 из 3") : QStringLiteral("0 из 3"));
        }
        QCOMPARE(cell(7, 0), QStringLiteral("У печи"));
    }
};

QTEST_MAIN(ProtocolReport)
#include "protocol_report.moc"
