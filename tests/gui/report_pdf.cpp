// The measurement report as a reader gets it: its text as pdftotext lays it out under
// Russian and English settings, a month with thousands of events over many pages, the
// chart page as vectors, the fonts embedded.
#include "chart/ReportChart.h"
#include "chart/ReportPdf.h"
#include "export/CsvWriter.h"
#include "measurement/LimitAlarm.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"
#include "measurement/Rounding.h"
#include "report/MeasurementReport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <qcustomplot.h>

namespace {

const QDateTime start(QDate(2026, 12, 7), QTime(10, 0, 0));

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text's lines with every run of blanks made one blank.
QStringList layoutLines(const QString& pdf) {
    QStringList lines;
    for (QString line :
         run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"}).split(u'\n'))
        lines << line.simplified();
    return lines;
}

// A poll of t (and E beside it) as the poll makes it: points, then the limit test.
void poll(MeasurementLog& log, const QDateTime& when, float t, double e = -1) {
    log.append(Channel::T, t, when);
    if (e >= 0)
        log.append(Channel::E, e, when);
    log.events().limitTested(seriesIndex(Channel::T), LimitTest(t, QStringLiteral("10"), "30"),
                             limitTestValue(t), when);
}

ReportSource source() {
    ReportSource s;
    s.program = QStringLiteral("ВИЛТА Монитор в.1.5");
    s.model = QStringLiteral("ДАРЕН/61");
    s.pollIntervalMs = 3000;
    s.limits[0] = {true, QStringLiteral("10"), QStringLiteral("30")};
    s.made = start.addSecs(3600);
    return s;
}

// The report's chart of t, as the window's climatic view shows it.
std::unique_ptr<QCustomPlot> chartOf(const MeasurementLog& log) {
    ReportChartRequest request;
    request.shown[seriesIndex(Channel::T)] = true;
    return BuildReportChart(log, request);
}

} // namespace

class ReportPdf : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { RegionalSettings::resetToSystem(); }

    void textHoldsTheFigures_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ru") << QLocale(QLocale::Russian, QLocale::Russia)
                            << QStringList{
                                   "Прибор: ДАРЕН/61",
                                   "Измерительная головка: —",
                                   "Период: 07.12.2026 10:00:00 — 07.12.2026 10:00:21",
                                   "Интервал опроса: 3",
                                   "Опросов: 7",
                                   "Пропущено опросов: 2",
                                   "t, *С 7 5 35 19,6 мин. 10 0:00:09 2",
                                   "07.12.2026 10:00:12 07.12.2026 10:00:03 макс. 30",
                                   "E, лк 6 1 12,35k 2543,1",
                                   "1 07.12.2026 10:00:03 07.12.2026 10:00:06 0:00:03 Тревога: "
                                   "максимум t, *С 30 35",
                                   "2 07.12.2026 10:00:09 07.12.2026 10:00:12 0:00:03 Пропуск "
                                   "опросов: 2",
                                   "3 07.12.2026 10:00:12 07.12.2026 10:00:18 0:00:06 Тревога: "
                                   "минимум t, *С 10 5",
                                   "4 07.12.2026 10:00:18 07.12.2026 10:00:21 0:00:03 Опрос "
                                   "остановлен",
                                   "Страница 1 из 2",
                                   "Страница 2 из 2",
                                   // The chart spans the period, labelled along its axis.
                                   "10:00:00 10:00:05 10:00:10 10:00:15 10:00:20",
                               };
        QTest::newRow("en") << QLocale(QLocale::English, QLocale::UnitedStates)
                            << QStringList{
                                   "Период: 12/7/26 10:00:00 AM — 12/7/26 10:00:21 AM",
                                   "t, *С 7 5 35 19.6 мин. 10 0:00:09 2",
                                   "E, лк 6 1 12.35k 2543.1",
                                   "3 12/7/26 10:00:12 AM 12/7/26 10:00:18 AM 0:00:06 Тревога: "
                                   "минимум t, *С 10 5",
                                   "10:00:00 AM 10:00:05 AM 10:00:10 AM 10:00:15 AM 10:00:20 AM",
                               };
    }
    void textHoldsTheFigures() {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, expected);
        RegionalSettings::setLocale(locale);
        MeasurementLog log;
        // 20 | 35 max | 25 | two missed | 5 min | 10 min | 19.9 | stop | 22.1
        poll(log, start, 20, 512);
        poll(log, start.addSecs(3), 35, 12345.6);
        poll(log, start.addSecs(6), 25, 700);
        log.markGap(start.addSecs(9));
        log.markGap(start.addSecs(10));
        poll(log, start.addSecs(12), 5, 800);
        poll(log, start.addSecs(15), 10, 900);
        poll(log, start.addSecs(18), 30.5f - 10.6f, 1);
        log.events().runEnded(start.addSecs(18));
        poll(log, start.addSecs(21), 22.1f);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        QString reason;
        QVERIFY2(WriteReportPdf(MeasurementReport::build(log, source()), chartOf(log).get(), pdf,
                                &reason),
                 qPrintable(reason));
        const QStringList lines = layoutLines(pdf);
        for (const QString& line : expected)
            QVERIFY2(lines.filter(line).size() == 1,
                     qPrintable(line + QStringLiteral("\n---\n") + lines.join(u'\n')));
        // The legend names the plotted quantity with its unit, beside the top value label.
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^\\d+ t, \\*С$"))).size(), 1);
    }

    // Each quantity counts its own alarms; one still going on lasts up to the newest poll.
    void alarmFiguresPerQuantity() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        MeasurementLog log;
        // t: 35 max (6 s) | 20 | 20 | 20; E: 900 | 900 | 2000 max (going on) | 3000
        const double e[] = {900, 900, 2000, 3000};
        for (int i = 0; i < 4; ++i) {
            poll(log, start.addSecs(6 * i), i == 0 ? 35 : 20, e[i]);
            log.events().limitTested(seriesIndex(Channel::E), LimitTest(e[i], "", "1000"), e[i],
                                     start.addSecs(6 * i));
        }
        const MeasurementReport report = MeasurementReport::build(log, source());
        QCOMPARE(report.quantityRows.size(), std::size_t(2));
        QCOMPARE(report.quantityRows[0].mid(6), (QStringList{"0:00:06", "1"})); // t
        QCOMPARE(report.quantityRows[1].mid(6), (QStringList{"0:00:06", "1"})); // E
        QCOMPARE(report.eventRows.back().mid(2, 2), (QStringList{"продолжается", "0:00:06"}));
    }

    // Marks set while polling divide the log: the CSV carries each on the row of its first
    // poll, and each measuring point of the report has the figures of its rows.
    void pointsSectionHasTheFiguresOfItsRows() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        MeasurementLog log;
        const QStringList script{"", "", "A", "", "", "B|C", "", "miss", "", "stop", "D", "", ""};
        QDateTime when = start;
        for (int i = 0; i < script.size(); ++i, when = when.addSecs(3)) {
            if (script[i] == u"miss" || script[i] == u"stop") {
                script[i] == u"miss" ? log.markGap(when) : log.events().runEnded(when);
                continue;
            }
            for (const QString& mark : script[i].split(u'|', Qt::SkipEmptyParts))
                log.events().setMark(mark);
            poll(log, when, 15 + (i * 7 % 11) * 1.3f, i % 3 ? 100 + i * 37.5 : -1);
        }
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("log.csv"));
        QVERIFY(ExportCsv(PollTable::take(log), u',', csv).ok);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.takeFirst(), QStringLiteral("Дата и время;t, *С;E, лк;Метка"));

        // The stretches as the rows give them: name, rows, and per column the values.
        struct Stretch {
            QString name;
            int rows = 0;
            std::array<QList<double>, 2> values;
        };
        std::vector<Stretch> stretches;
        for (const QString& line : lines) {
            if (line.isEmpty())
                continue;
            const QStringList cells = line.split(u';');
            const QString mark = line.section(u';', 3).remove(u'"');
            if (stretches.empty() || !mark.isEmpty())
                stretches.push_back({mark.isEmpty() ? QStringLiteral("Без метки") : mark, 0, {}});
            ++stretches.back().rows;
            for (int c : {0, 1})
                if (!cells[c + 1].isEmpty())
                    stretches.back().values[c]
                        << QString(cells[c + 1]).replace(u',', u'.').toDouble();
        }
        const MeasurementReport report = MeasurementReport::build(log, source());
        QCOMPARE(report.points.size(), stretches.size());
        QCOMPARE(stretches[2].name, QStringLiteral("B; C"));
        const auto number = [](const QString& text) {
            return QString(text.section(u'\n', 0, 0)).replace(u',', u'.').toDouble();
        };
        for (std::size_t k = 0; k < stretches.size(); ++k) {
            const Stretch& expected = stretches[k];
            const MeasurementReport::PointSection& got = report.points[k];
            QCOMPARE(got.name, expected.name);
            QCOMPARE(got.polls, qsizetype(expected.rows));
            QCOMPARE(got.rows.size(), std::size_t(expected.values[1].isEmpty() ? 1 : 2));
            for (std::size_t q = 0; q < got.rows.size(); ++q) {
                const QList<double>& v = expected.values[q];
                long double sum = 0;
                for (double x : v)
                    sum += x;
                QCOMPARE(got.rows[q][1].toInt(), v.size());
                QCOMPARE(number(got.rows[q][2]), *std::min_element(v.begin(), v.end()));
                QCOMPARE(number(got.rows[q][3]), *std::max_element(v.begin(), v.end()));
                QCOMPARE(number(got.rows[q][4]), RoundToTenth(static_cast<double>(
                                                     sum / static_cast<long double>(v.size()))));
            }
        }

        const QString pdf = dir.filePath(QStringLiteral("points.pdf"));
        QString reason;
        QVERIFY2(WriteReportPdf(report, chartOf(log).get(), pdf, &reason), qPrintable(reason));
        const QStringList text = layoutLines(pdf);
        QCOMPARE(text.filter(QStringLiteral("По точкам измерений")).size(), 1);
        for (const MeasurementReport::PointSection& p : report.points)
            QVERIFY2(
                text.contains(p.name) &&
                    text.contains(
                        QStringLiteral("Период: %1; опросов: %2").arg(p.periodText).arg(p.polls)),
                qPrintable(p.name + QStringLiteral("\n---\n") + text.join(u'\n')));
    }

    // A month of polls every 3 s with 5000 alarms: every event once, in order, on pages
    // numbered without a gap; the chart page after them holds no image; fonts embedded.
    void monthPaginates() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        MeasurementLog log;
        constexpr int Events = 5000;
        int alarms = 0;
        for (int p = 0; p < 30 * 28800; ++p) {
            const bool alarm = p % 170 == 1 && alarms < Events;
            alarms += alarm ? 1 : 0;
            poll(log, start.addSecs(3 * p), alarm ? 31 : 20);
        }
        QCOMPARE(log.events().count(), qsizetype(Events));
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("month.pdf"));
        QString reason;
        QVERIFY2(WriteReportPdf(MeasurementReport::build(log, source()), chartOf(log).get(), pdf,
                                &reason),
                 qPrintable(reason));

        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const auto pagesMatch = QRegularExpression(QStringLiteral("Pages: +(\\d+)")).match(info);
        QVERIFY2(pagesMatch.hasMatch(), qPrintable(info));
        const int pages = pagesMatch.captured(1).toInt();
        QVERIFY(pages > 50);

        QList<int> numbers;
        QList<int> pageNumbers;
        static const QRegularExpression eventRow(
            QStringLiteral("^(\\d+) \\d\\d\\.\\d\\d\\.\\d{4} "));
        static const QRegularExpression footer(QStringLiteral("Страница (\\d+) из (\\d+)$"));
        for (const QString& line : layoutLines(pdf)) {
            if (const auto m = eventRow.match(line); m.hasMatch())
                numbers << m.captured(1).toInt();
            if (const auto m = footer.match(line); m.hasMatch()) {
                pageNumbers << m.captured(1).toInt();
                QCOMPARE(m.captured(2).toInt(), pages);
            }
        }
        QCOMPARE(numbers.size(), Events);
        for (int i = 0; i < Events; ++i)
            QCOMPARE(numbers.at(i), i + 1);
        QCOMPARE(pageNumbers.size(), pages);
        for (int i = 0; i < pages; ++i)
            QCOMPARE(pageNumbers.at(i), i + 1);

        // pdfimages lists a header and a rule before any image.
        const QString last = QString::number(pages);
        // The chart page spans the month, its labels dated.
        const QString chartText =
            run(QStringLiteral("pdftotext"), {"-layout", "-f", last, "-l", last, pdf, "-"})
                .simplified();
        QVERIFY2(chartText.contains(QStringLiteral("07.12.2026 12.12.2026 17.12.2026 22.12.2026 "
                                                   "27.12.2026 01.01.2027 06.01.2027")),
                 qPrintable(chartText));
        const QStringList images =
            run(QStringLiteral("pdfimages"), {"-list", "-f", last, "-l", last, pdf})
                .split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(images.size(), 2);
        const QStringList fonts =
            run(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY(!fonts.isEmpty());
        for (const QString& font : fonts)
            QVERIFY2(font.simplified().split(u' ').at(font.simplified().split(u' ').size() - 5) ==
                         u"yes",
                     qPrintable(font));
    }
};

QTEST_MAIN(ReportPdf)
#include "report_pdf.moc"
