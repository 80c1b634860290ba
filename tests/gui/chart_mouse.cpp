// The mouse on the main window's chart: a left drag down-right zooms into the rectangle,
// a left drag the other way undoes the zoom, a right drag moves both axes; while the
// user holds such a view polls go on logging without moving it. A resting pointer reads
// the nearest point.
#include "MainWindowFixture.h"
#include "ScriptedInstrument.h"
#include "chart/ChartMouse.h"
#include "chart/PointReadout.h"

#include <QLabel>
#include <QPushButton>
#include <QToolTip>
#include <QtTest>
#include <qcustomplot.h>

#include <memory>

class ChartMouseTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;
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
    QCPRange timeAxis() const { return m_plot->xAxis->range(); }
    // Model 60 found on COM1, answering every poll with the same values.
    void detect(ScriptedInstrument& instrument) {
        instrument.answerLikeInstrument({});
        ComPort.PortNumber = 1;
        ComPort.InstrumentFound.store(1);
        FMain->TimerDetektTimer();
        settleLink();
    }
    void polls(int n) {
        for (int i = 0; i < n; ++i) {
            FMain->PollInstrument();
            settleLink();
        }
    }
    bool noteShown() const {
        return m_plot->findChild<QLabel*>(QStringLiteral("ViewHeldNote"))->isVisible();
    }

private slots:
    void init() {
        m_forms = std::make_unique<MainWindowFixture>();
        m_plot = FMain->ChartValue;
        m_mouse = m_plot->findChild<ChartMouse*>();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain));
        m_plot->replot();
    }
    void cleanup() { m_forms.reset(); }

    void zoomIntoRectangleAndUndo() {
        const QPoint from = at(-80, 60);
        const QPoint to = at(-40, 10);
        drag(Qt::LeftButton, from, to);
        QVERIFY(m_mouse->isHeld());
        QVERIFY(qAbs(m_plot->xAxis->range().lower - -80) < 0.5);
        QVERIFY(qAbs(m_plot->xAxis->range().upper - -40) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().lower - 10) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().upper - 60) < 0.5);

        // A second zoom inside the first still undoes to the view before any zoom.
        drag(Qt::LeftButton, at(-70, 50), at(-50, 20));
        QVERIFY(m_plot->xAxis->range().size() < 30);

        drag(Qt::LeftButton, at(-45, 15), at(-75, 55)); // up and to the left
        QVERIFY(!m_mouse->isHeld());
        QCOMPARE(m_plot->xAxis->range().lower, -100.0);
        QCOMPARE(m_plot->xAxis->range().upper, 0.0);
        QCOMPARE(m_plot->yAxis->range().lower, -30.0);
        QCOMPARE(m_plot->yAxis->range().upper, 100.0);
    }

    void clickIsNoZoom() {
        const QPoint p = at(-50, 50);
        drag(Qt::LeftButton, p, p + QPoint(1, 1));
        QVERIFY(!m_mouse->isHeld());
        QCOMPARE(m_plot->xAxis->range().lower, -100.0);
    }

    void rightDragPansBothAxesUntilTheReverseDrag() {
        const QPoint from = at(-50, 35);
        const QPoint to = at(-40, 45); // the point under the pointer moves right and up
        drag(Qt::RightButton, from, to);
        QVERIFY(qAbs(m_plot->xAxis->range().lower - -110) < 0.5);
        QVERIFY(qAbs(m_plot->xAxis->range().upper - -10) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().lower - -40) < 0.5);
        QVERIFY(qAbs(m_plot->yAxis->range().upper - 90) < 0.5);
        QVERIFY(m_mouse->isHeld());

        drag(Qt::LeftButton, at(-45, 15), at(-75, 55));
        QCOMPARE(m_plot->yAxis->range().lower, -30.0);
        QCOMPARE(m_plot->yAxis->range().upper, 100.0);
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

    void viewChosenWhileHeldOutlastsTheReverseDrag() {
        drag(Qt::LeftButton, at(-80, 60), at(-40, 10));
        FMain->N12Click();
        const QCPRange optical = m_plot->yAxis->range();
        drag(Qt::LeftButton, at(-45, 15), at(-75, 55));
        QCOMPARE(m_plot->yAxis->range(), optical);
    }

    void heldViewStaysWhilePollsLog() {
        ScriptedInstrument instrument;
        detect(instrument);
        polls(3);
        QCOMPARE(timeAxis(), QCPRange(-98, 2));
        drag(Qt::LeftButton, at(-60, 60), at(1, 0));
        const QCPRange held = timeAxis();
        QVERIFY(noteShown());

        QCoreApplication::processEvents(); // the replot the drag queued
        QSignalSpy replots(m_plot, &QCustomPlot::afterReplot);
        polls(2);
        QCoreApplication::processEvents();
        QCOMPARE(timeAxis(), held);
        QCOMPARE(FMain->Log.count(0), qsizetype(5));
        QCOMPARE(replots.count(), 0); // the new points lie right of the held view

        drag(Qt::LeftButton, at(0, 10), at(-30, 50));
        QCOMPARE(timeAxis(), QCPRange(-96, 4));
        QVERIFY(!noteShown());
    }

    void clearAndStartEndTheHold_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<double>("newest"); // the newest point after one more poll
        QTest::newRow("Очистить") << QStringLiteral("ButtonClear") << 0.0;
        QTest::newRow("Старт") << QStringLiteral("ButtonStartStop") << 3.0;
    }
    void clearAndStartEndTheHold() {
        QFETCH(QString, button);
        QFETCH(double, newest);
        ScriptedInstrument instrument;
        detect(instrument);
        polls(3);
        drag(Qt::LeftButton, at(-60, 60), at(1, 0));
        QVERIFY(m_mouse->isHeld());

        FMain->findChild<QPushButton*>(button)->click();
        settleLink();
        polls(1);
        QVERIFY(!m_mouse->isHeld());
        QVERIFY(!noteShown());
        QCOMPARE(timeAxis(), QCPRange(newest - 100, newest));
    }

    void readoutText_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("series");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        const QLocale en(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("measured ru") << ru << 0 << 20.5 << "t, *С: 20,5\n14:05:09";
        QTest::newRow("measured en") << en << 0 << 20.5 << "t, *С: 20.5\n2:05:09 PM";
        QTest::newRow("derived ru") << ru << 2 << 14.3 << "tвл., *С: 14,3\n14:05:09";
        QTest::newRow("derived en") << en << 3 << -2.0 << "tтр., *С: -2\n2:05:09 PM";
        QTest::newRow("optical ru") << ru << 7 << 51200.0 << "E, лк: 51,2k\n14:05:09";
        QTest::newRow("optical en") << en << 8 << 123.4 << "L, Кд/м²: 123.4\n2:05:09 PM";
    }
    void readoutText() {
        QFETCH(QLocale, locale);
        QFETCH(int, series);
        QFETCH(double, value);
        QFETCH(QString, text);
        RegionalSettings::setLocale(locale);
        MeasurementLog log;
        log.append(series, value, QDateTime(QDate(2026, 3, 2), QTime(14, 5, 9)));
        QCOMPARE(PointReadout::text(log, series, 0), text);
    }

    void readoutNearShownPointOnly() {
        const QDateTime noon(QDate(2026, 3, 2), QTime(12, 0, 0));
        for (int i = 0; i < 4; ++i) {
            FMain->Log.append(Channel::T, 20 + i, noon.addSecs(3 * i));
            FMain->Log.append(Channel::E, 20.1 + i, noon.addSecs(3 * i)); // hidden, nearer
        }
        m_plot->xAxis->setRange(-2, 6);
        m_plot->replot();
        const QPoint point = at(2, 22);
        const QString expected = QStringLiteral("t, *С: 22\n12:00:06");
        // A shown point of another series 3 pixels above, also within reach: the nearer wins.
        const double above = m_plot->yAxis->pixelToCoord(point.y() - 3);
        for (int i = 0; i < 4; ++i)
            FMain->Log.append(Channel::RH, i == 2 ? above : 90, noon.addSecs(3 * i));

        QHelpEvent rest(QEvent::ToolTip, point + QPoint(0, 1), m_plot->mapToGlobal(point));
        QApplication::sendEvent(m_plot, &rest);
        QCOMPARE(QToolTip::text(), expected);
        const PointReadout* readout = m_plot->findChild<PointReadout*>();
        QCOMPARE(readout->textAt(point + QPoint(0, 20)), QString());
        QCOMPARE(readout->textAt(at(5, 22)), QString()); // beyond the newest point
    }
};

QTEST_MAIN(ChartMouseTest)
#include "chart_mouse.moc"
