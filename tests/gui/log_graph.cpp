#include "chart/LogGraph.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"

#include <QTest>
#include <qcustomplot.h>

namespace {
const QColor Line(0x00, 0x80, 0x80);  // teal: the illuminance line
const QColor Point(0x00, 0xFF, 0xFF); // aqua: its points
const QDateTime noon(QDate(2024, 3, 1), QTime(12, 0, 0));

// A plain chart without antialiasing, so drawn pixels carry exact colours.
struct Chart {
    MeasurementLog log;
    QCustomPlot plot;
    LogGraph* graph;

    Chart() {
        plot.resize(400, 300);
        plot.setNotAntialiasedElements(QCP::aeAll);
        plot.xAxis->grid()->setVisible(false);
        plot.yAxis->grid()->setVisible(false);
        plot.yAxis->setRange(0, 100);
        graph = new LogGraph(plot.xAxis, plot.yAxis, log, seriesIndex(Channel::E));
        graph->setPen(QPen(Line));
        graph->setPointColour(Point);
    }

    QImage render() {
        plot.replot();
        return plot.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QPoint pixel(double key, double value) const {
        return QPoint(static_cast<int>(std::floor(plot.xAxis->coordToPixel(key))),
                      static_cast<int>(std::floor(plot.yAxis->coordToPixel(value))));
    }

    // How many pixels of the colour lie in the plot area.
    int count(const QImage& image, const QColor& colour) const {
        const QRect area = plot.axisRect()->rect().adjusted(1, 1, -1, -1);
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }

    // Whether the colour appears within a pixel of p.
    static bool near(const QImage& image, QPoint p, const QColor& colour) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.pixelColor(p + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    }
};
} // namespace

class LogGraphTest : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { RegionalSettings::resetToSystem(); }

    void fewPointsGetLineAndCircles() {
        Chart c;
        const double values[] = {20, 80, 50, 50, 30};
        for (double v : values)
            c.log.append(Channel::E, v, noon);
        c.plot.xAxis->setRange(-1, 5);
        const QImage image = c.render();
        for (int i = 0; i < 5; ++i)
            QVERIFY2(Chart::near(image, c.pixel(i, values[i]), Point),
                     qPrintable(QString::number(i)));
        // Between points 2 and 3 the line is flat at 50.
        QCOMPARE(image.pixelColor(c.pixel(2.5, 50)), Line);
        // Between 0 (20) and 1 (80) it passes through 50.
        QVERIFY(Chart::near(image, c.pixel(0.5, 50), Line));
    }

    // A white series on the white back wall: its line and circles keep their white and
    // are edged in the outline colour, zoomed in and zoomed out.
    void outlineEdgesLineAndCircles() {
        const QColor white(Qt::white);
        const QColor edge(0x40, 0x40, 0x40);
        Chart c;
        c.plot.axisRect()->setBackground(white);
        c.graph->setPen(QPen(white));
        c.graph->setPointColour(white);
        c.graph->setOutlineColour(edge);
        const double values[] = {20, 80, 50, 50, 30};
        for (double v : values)
            c.log.append(Channel::E, v, noon);
        c.plot.xAxis->setRange(-1, 5);
        QImage image = c.render();
        for (int i = 0; i < 5; ++i) {
            const QPoint p = c.pixel(i, values[i]);
            QVERIFY2(Chart::near(image, p, white) && Chart::near(image, p + QPoint(0, -2), edge) &&
                         Chart::near(image, p + QPoint(0, 2), edge),
                     qPrintable(QString::number(i)));
        }
        const QPoint flat = c.pixel(2.5, 50);
        QCOMPARE(image.pixelColor(flat), white);
        QCOMPARE(image.pixelColor(flat + QPoint(0, -1)), edge);
        QCOMPARE(image.pixelColor(flat + QPoint(0, 1)), edge);

        for (int i = 0; i < 200000; ++i)
            c.log.append(Channel::E, 50, noon);
        c.plot.xAxis->setRange(0, 199999);
        image = c.render();
        const QPoint column = c.pixel(100000, 50);
        QVERIFY(Chart::near(image, column, white));
        QVERIFY(Chart::near(image, column + QPoint(0, -2), edge));
        QVERIFY(Chart::near(image, column + QPoint(0, 2), edge));
    }

    void manyPointsAreDrawnAsColumnsWithoutCircles() {
        Chart c;
        // Alternating 10 and 90: every column spans both values.
        for (int i = 0; i < 200000; ++i)
            c.log.append(Channel::E, i % 2 ? 90 : 10, noon);
        c.plot.xAxis->setRange(0, 199999);
        const QImage image = c.render();
        QCOMPARE(c.count(image, Point), 0);
        for (double key : {20000.0, 100000.0, 180000.0}) {
            QVERIFY(Chart::near(image, c.pixel(key, 12), Line));
            QVERIFY(Chart::near(image, c.pixel(key, 50), Line));
            QVERIFY(Chart::near(image, c.pixel(key, 88), Line));
            // nothing beyond the values
            QVERIFY(!Chart::near(image, c.pixel(key, 95), Line));
            QVERIFY(!Chart::near(image, c.pixel(key, 5), Line));
        }
    }

    // A missed poll between 10s and 90s: no line joins them across the gap, zoomed in or
    // out, while the lines on either side stay.
    void gapBreaksTheLine_data() {
        QTest::addColumn<int>("points");
        QTest::newRow("line") << 5;
        QTest::newRow("columns") << 200001;
    }
    void gapBreaksTheLine() {
        QFETCH(int, points);
        Chart c;
        const int gap = points / 2 + 1;
        for (int i = 0; i < points; ++i) {
            if (i == gap)
                c.log.markGap(noon);
            c.log.append(Channel::E, i < gap ? 10 : 90, noon);
        }
        c.plot.xAxis->setRange(-1, points);
        const QImage image = c.render();
        QVERIFY(!Chart::near(image, c.pixel(gap - 0.5, 50), Line));
        QVERIFY(Chart::near(image, c.pixel(gap / 2.0, 10), Line));
        QVERIFY(Chart::near(image, c.pixel((gap + points - 1) / 2.0, 90), Line));
    }

    void onlyTheVisiblePointsAreDrawn() {
        Chart c;
        for (int i = 0; i < 1000; ++i)
            c.log.append(Channel::E, i < 990 ? 90 : 10, noon);
        c.plot.xAxis->setRange(990, 999);
        const QImage image = c.render();
        QVERIFY(Chart::near(image, c.pixel(995, 10), Point));
        QVERIFY(!Chart::near(image, c.pixel(995, 90), Line));
        // the line from point 989 (90) comes in at the left edge
        QVERIFY(c.count(image, Line) > 0);
    }

    void emptyOrHiddenDrawsNothing() {
        Chart c;
        QImage image = c.render();
        QCOMPARE(c.count(image, Line) + c.count(image, Point), 0);
        c.log.append(Channel::E, 50, noon);
        c.log.append(Channel::E, 60, noon);
        c.plot.xAxis->setRange(-1, 2);
        c.graph->setVisible(false);
        image = c.render();
        QCOMPARE(c.count(image, Line) + c.count(image, Point), 0);
        c.graph->setVisible(true);
        image = c.render();
        QVERIFY(c.count(image, Point) > 0);
    }

    void extremeAxisRanges() {
        Chart c;
        for (int i = 0; i < 100; ++i)
            c.log.append(Channel::E, 50, noon);
        c.plot.xAxis->setRange(-1e200, 1e200);
        QImage image = c.render();
        QVERIFY(c.count(image, Point) == 0);
        c.plot.xAxis->setRange(1e12, 1e12 + 10);
        image = c.render();
        QCOMPARE(c.count(image, Line) + c.count(image, Point), 0);
        bool found = false;
        QCOMPARE(c.graph->getValueRange(found, QCP::sdBoth, QCPRange(-1e200, 1e200)),
                 QCPRange(50, 50));
        QVERIFY(found);
    }

    void ranges() {
        Chart c;
        bool found = true;
        c.graph->getKeyRange(found);
        QVERIFY(!found);
        c.graph->getValueRange(found);
        QVERIFY(!found);
        for (double v : {5.0, -3.2, 40.0, 0.0, 12.0})
            c.log.append(Channel::E, v, noon);
        QCOMPARE(c.graph->getKeyRange(found), QCPRange(0, 4));
        QVERIFY(found);
        QCOMPARE(c.graph->getValueRange(found), QCPRange(-3.2, 40));
        QCOMPARE(c.graph->getValueRange(found, QCP::sdBoth, QCPRange(0.5, 1.5)),
                 QCPRange(-3.2, -3.2));
        QCOMPARE(c.graph->getValueRange(found, QCP::sdPositive), QCPRange(5, 40));
        QCOMPARE(c.graph->getValueRange(found, QCP::sdNegative), QCPRange(-3.2, -3.2));
        QCOMPARE(c.graph->selectTest(QPointF(10, 10), false), -1.0);
    }

    void tickerLabelsPointsOfTheReferenceSeries() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        MeasurementLog log;
        for (int i = 0; i < 30; ++i)
            log.append(Channel::V, 1, noon.addSecs(3 * i));
        log.append(Channel::UV, 1, noon.addSecs(3600));
        TimeLabelTicker ticker(log);
        QVector<double> ticks;
        QVector<QString> labels;
        ticker.generate(QCPRange(-70, 29), QLocale(), QChar(u'g'), 6, ticks, nullptr, &labels);
        QVERIFY(ticks.size() >= 3);
        for (int k = 0; k < ticks.size(); ++k) {
            QCOMPARE(ticks[k], std::round(ticks[k]));
            const auto i = static_cast<qsizetype>(ticks[k]);
            QCOMPARE(labels[k], i >= 0 && i < 30 ? log.TimeLabel(4, i) : QString());
        }
        QVERIFY(labels.contains(QStringLiteral("12:00:00")));
        ticker.setReferenceSeries(seriesIndex(Channel::UV));
        ticker.generate(QCPRange(-2, 2), QLocale(), QChar(u'g'), 6, ticks, nullptr, &labels);
        QCOMPARE(labels[ticks.indexOf(0.0)], QStringLiteral("13:00:00"));
        QCOMPARE(labels[ticks.indexOf(1.0)], QString());
    }
};

QTEST_MAIN(LogGraphTest)
#include "log_graph.moc"
