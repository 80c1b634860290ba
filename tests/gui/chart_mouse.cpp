// Mouse zoom and pan of the chart: a left drag down-right zooms into the rectangle, a
// left drag the other way undoes the zoom, a right drag moves both axes.
#include "windows/ChartMouse.h"

#include <QtTest>
#include <qcustomplot.h>

class ChartMouseTest : public QObject {
    Q_OBJECT

    QCustomPlot* m_plot = nullptr;
    ChartMouse* m_mouse = nullptr;

    void drag(Qt::MouseButton button, QPoint from, QPoint to) {
        QTest::mousePress(m_plot, button, {}, from);
        QTest::mouseMove(m_plot, (from + to) / 2);
        QTest::mouseMove(m_plot, to);
        QTest::mouseRelease(m_plot, button, {}, to);
    }
    QPoint at(double x, double y) const {
        return QPoint(qRound(m_plot->xAxis->coordToPixel(x)),
                      qRound(m_plot->yAxis->coordToPixel(y)));
    }

private slots:
    void init() {
        m_plot = new QCustomPlot;
        m_plot->resize(705, 490);
        m_plot->xAxis->setRange(-100, 0);
        m_plot->yAxis->setRange(-30, 100);
        m_mouse = new ChartMouse(m_plot);
        m_plot->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_plot));
        m_plot->replot();
    }
    void cleanup() { delete m_plot; }

    void zoomIntoRectangleAndUndo() {
        const QPoint from = at(-80, 60);
        const QPoint to = at(-40, 10);
        drag(Qt::LeftButton, from, to);
        QVERIFY(m_mouse->isZoomed());
        QVERIFY(qAbs(m_plot->xAxis->range().lower - -80) < 0.5);
        QVERIFY(qAbs(m_plot->xAxis->range().upper - -40) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().lower - 10) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().upper - 60) < 0.5);

        // A second zoom inside the first still undoes to the view before any zoom.
        drag(Qt::LeftButton, at(-70, 50), at(-50, 20));
        QVERIFY(m_plot->xAxis->range().size() < 30);

        drag(Qt::LeftButton, at(-45, 15), at(-75, 55)); // up and to the left
        QVERIFY(!m_mouse->isZoomed());
        QCOMPARE(m_plot->xAxis->range().lower, -100.0);
        QCOMPARE(m_plot->xAxis->range().upper, 0.0);
        QCOMPARE(m_plot->yAxis->range().lower, -30.0);
        QCOMPARE(m_plot->yAxis->range().upper, 100.0);
    }

    void clickIsNoZoom() {
        const QPoint p = at(-50, 50);
        drag(Qt::LeftButton, p, p + QPoint(1, 1));
        QVERIFY(!m_mouse->isZoomed());
        QCOMPARE(m_plot->xAxis->range().lower, -100.0);
    }

    void rightDragPansBothAxes() {
        const QPoint from = at(-50, 35);
        const QPoint to = at(-40, 45); // the point under the pointer moves right and up
        drag(Qt::RightButton, from, to);
        QVERIFY(qAbs(m_plot->xAxis->range().lower - -110) < 0.5);
        QVERIFY(qAbs(m_plot->xAxis->range().upper - -10) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().lower - -40) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().upper - 90) < 0.5);
        QVERIFY(!m_mouse->isZoomed());
    }

    void panOnLogarithmicAxisKeepsItsSpan() {
        m_plot->yAxis->setScaleType(QCPAxis::stLogarithmic);
        m_plot->yAxis->setRange(1, 100000);
        m_plot->replot();
        drag(Qt::RightButton, at(-50, 100), at(-50, 1000));
        const QCPRange r = m_plot->yAxis->range();
        QVERIFY(qAbs(r.upper / r.lower - 100000) < 100);
        QVERIFY(r.lower < 1);
    }
};

QTEST_MAIN(ChartMouseTest)
#include "chart_mouse.moc"
