// The main window as laid out, its menu, resize arithmetic, window toggles, the chart
// views and the splash timer.
#include "MainWindowFixture.h"
#include "chart/LogGraph.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>
#include <qcustomplot.h>

#include <algorithm>
#include <memory>
#include <utility>

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;

private slots:
    void init() { m_forms = std::make_unique<MainWindowFixture>(); }
    void cleanup() { m_forms.reset(); }

    void startState() {
        QCOMPARE(FMain->windowTitle(), QStringLiteral("ВИЛТА Монитор в.1.5"));
        QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
        QVERIFY(!FMain->ButtonStartStop->isEnabled());
        QVERIFY(FMain->ButtonClear->isEnabled());
        for (QLabel* box : FMain->valueBoxes()) {
            QCOMPARE(box->text(), QStringLiteral("0.0"));
            QVERIFY(!box->isEnabled());
        }
        QCOMPARE(FMain->StatusPanels[0]->width(), 40);
        QCOMPARE(FMain->StatusPanels[1]->width(), 50);
        QCOMPARE(FMain->StatusPanels[2]->width(), 50);
        QCOMPARE(FMain->ChartValue->geometry(), QRect(0, 0, 705, 490));
        QCOMPARE(FMain->PanelValue->geometry(), QRect(710, 0, 81, 490));
        QCOMPARE(FMain->ButtonClear->geometry(), QRect(8, 424, 65, 25));
        QCOMPARE(FMain->ButtonStartStop->geometry(), QRect(8, 456, 65, 25));
        QCOMPARE(FMain->ChartValue->yAxis->range().lower, -30.0);
        QCOMPARE(FMain->ChartValue->yAxis->range().upper, 100.0);
        QVERIFY(FMain->N11->isChecked());
        QVERIFY(!FMain->N12->isChecked());
        const auto series = FMain->series();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(series[std::size_t(i)]->visible(), i < 7);
        QVERIFY(!FMain->TimerInterval->isActive());
        QCOMPARE(FMain->TimerInterval->interval(), 3000);
        QCOMPARE(FMain->TimerPeriod->interval(), 20000);
        // Coarse timers fire up to 5 % early.
        QCOMPARE(FMain->TimerInterval->timerType(), Qt::PreciseTimer);
        QCOMPARE(FMain->TimerPeriod->timerType(), Qt::PreciseTimer);
    }

    void valuePanelRows() {
        const QStringList captions{"t, *С", "RH, %",    "tвл., *С", "tтр., *С", "V, м/с",
                                   "THC",   "tсф., *С", "E, лк",    "L, Кд/м",  "UV, мВт/м"};
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(FMain->Labels[std::size_t(k)]->text(), captions[k]);
            QCOMPARE(FMain->Labels[std::size_t(k)]->pos(), QPoint(24, 8 + 40 * k));
            QCOMPARE(FMain->valueBoxes()[std::size_t(k)]->geometry(),
                     QRect(24, 24 + 40 * k, 49, 18));
        }
        QCOMPARE(FMain->Labels[10]->text(), QStringLiteral("2"));
        QCOMPARE(FMain->Labels[10]->y(), 324);
    }

    void menuCaptions() {
        QStringList top;
        for (QAction* a : FMain->menuBar()->actions())
            top << a->text();
        QCOMPARE(top, (QStringList{"Графики ...", "Открыть ...", "Сохранить ...", "Печать ...",
                                   "Статистика", "События", "Настройки", "Помощь",
                                   "\"ОРИЛ \"ВИЛТА\"", "Выход"}));
        QVERIFY(FMain->N10->menu()->actions().contains(FMain->ActionMark));
        QCOMPARE(FMain->ActionMark->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
        QCOMPARE(FMain->N8->text().count(QLatin1Char('"')), 3);
        QCOMPARE(FMain->N11->text(), QStringLiteral("Климатические"));
        QCOMPARE(FMain->N12->text(), QStringLiteral("Оптические"));
        QCOMPARE(FMain->BMP1->text(), QStringLiteral("Paint (*.bmp)"));
        QCOMPARE(FMain->EXL1->text(), QStringLiteral("Microsoft Office Excel (*.xls)"));
        QCOMPARE(FMain->CSV1->text(), QStringLiteral("Текст CSV (*.csv)"));
        QCOMPARE(FMain->PDF1->text(), QStringLiteral("Отчёт PDF (*.pdf)"));
        QCOMPARE(FMain->MeasurementsAction->text(), QStringLiteral("Измерения ..."));
        QCOMPARE(FMain->N3->text(), QStringLiteral("Настройки печати"));
        QCOMPARE(FMain->N4->text(), QStringLiteral("Печать"));
    }

    void resizeArithmetic_data() {
        QTest::addColumn<int>("outerWidth");
        QTest::addColumn<int>("outerHeight");
        QTest::newRow("design size") << 800 << 562;
        QTest::newRow("larger") << 1024 << 768;
        QTest::newRow("wide") << 1600 << 600;
        QTest::newRow("tall") << 900 << 1000;
        QTest::newRow("shrunk") << 500 << 300;
    }
    void resizeArithmetic() {
        QFETCH(int, outerWidth);
        QFETCH(int, outerHeight);
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain));
        const int menu = FMain->menuBar()->height();
        FMain->resize(outerWidth - TFMain::FrameWidth, outerHeight - TFMain::FrameHeight + menu);
        // Never smaller than the design size, which the arithmetic turns into the design.
        outerWidth = std::max(outerWidth, 800);
        outerHeight = std::max(outerHeight, 562);
        QTRY_COMPARE(FMain->ChartValue->height(), outerHeight - 72);
        QCOMPARE(FMain->ChartValue->width(), outerWidth - 95);
        QCOMPARE(FMain->PanelValue->height(), outerHeight - 72);
        QCOMPARE(FMain->PanelValue->x(), outerWidth - 90);
        QCOMPARE(FMain->PanelValue->width(), 81);
        QCOMPARE(FMain->ButtonClear->y(), outerHeight - 138);
        QCOMPARE(FMain->ButtonStartStop->y(), outerHeight - 106);
        QCOMPARE(FMain->ChartValue->pos(), QPoint(0, 0));
        // The status bar keeps its first three panels and stretches the last.
        QCOMPARE(FMain->StatusPanels[0]->width(), 40);
        QVERIFY(FMain->StatusPanels[3]->width() > outerWidth - 200);
        // The panels adjoin: the status text starts 140 px after the port's panel.
        QCOMPARE(FMain->StatusPanels[3]->x() - FMain->StatusPanels[0]->x(), 140);
        // Every menu item keeps its place on the bar.
        for (QAction* a : FMain->menuBar()->actions()) {
            const QRect item = FMain->menuBar()->actionGeometry(a);
            QVERIFY2(!item.isEmpty() && FMain->menuBar()->rect().contains(item),
                     qPrintable(a->text()));
        }
    }

    void toggles_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("statistics") << "N5";
        QTest::newRow("settings") << "N6";
        QTest::newRow("help") << "N7";
        QTest::newRow("splash") << "N8";
    }
    void toggles() {
        QFETCH(QString, action);
        QWidget* window = action == "N5"   ? static_cast<QWidget*>(FStat)
                          : action == "N6" ? static_cast<QWidget*>(FOptions)
                          : action == "N7" ? static_cast<QWidget*>(FHelp)
                                           : static_cast<QWidget*>(FLogo);
        QAction* item = FMain->findChild<QAction*>(action);
        QVERIFY(item);
        QVERIFY(!window->isVisible());
        item->trigger();
        QVERIFY(window->isVisible());
        item->trigger();
        QVERIFY(!window->isVisible());
    }

    // A slow start lets timer ticks through the main window's creation, before the
    // other windows exist: such a tick is not the splash's first, and detection waits.
    void ticksBeforeTheOtherWindowsExist() {
        TFMain early;
        early.TimerLogoTimer();
        QCOMPARE(early.TimerLogo->interval(), 1000);
        ComPort.InstrumentFound.store(1, std::memory_order_release);
        early.TimerDetektTimer();
        QVERIFY(early.TimerDetekt->isActive());
        QCOMPARE(early.panelText(3), QString());
    }

    void splashTiming() {
        QVERIFY(!FLogo->isVisible());
        FMain->TimerLogoTimer(); // 1 s after start
        QVERIFY(FLogo->isVisible());
        QCOMPARE(FMain->TimerLogo->interval(), 10000);
        FMain->TimerLogoTimer(); // 10 s later
        QVERIFY(!FLogo->isVisible());
        QVERIFY(!FMain->TimerLogo->isActive());
        // Called up from the menu later, it stays until toggled off again.
        FMain->N8Click();
        QVERIFY(FLogo->isVisible());
        QTest::qWait(50);
        QVERIFY(FLogo->isVisible());
        FMain->N8Click();
        QVERIFY(!FLogo->isVisible());
    }

    void splashClosedByUserIsShownAndClosedAgain() {
        FMain->TimerLogoTimer();
        FLogo->close();
        FMain->TimerLogoTimer();
        QVERIFY(!FLogo->isVisible());
    }

    void opticalView() {
        FMain->N12Click();
        QCPAxis* left = FMain->ChartValue->yAxis;
        // The chart keeps a logarithmic axis off 0: its lower bound becomes a small
        // positive number.
        QVERIFY(left->range().lower > 0.0 && left->range().lower <= 1.0);
        QCOMPARE(left->range().upper, 200000.0);
        QCOMPARE(left->scaleType(), QCPAxis::stLogarithmic);
        QCOMPARE(left->label(), QStringLiteral("Log10"));
        QVERIFY(!FMain->N11->isChecked());
        QVERIFY(FMain->N12->isChecked());
        QCOMPARE(FOptions->TrackBarYMax->maximum(), 200000);
        QCOMPARE(FOptions->TrackBarYMax->value(), 200000);
        QCOMPARE(FOptions->TrackBarYMax->tickInterval(), 4000);
        QCOMPARE(FOptions->TrackBarYMin->maximum(), 199999);
        QCOMPARE(FOptions->TrackBarYMin->value(), 0);
        QCOMPARE(FOptions->StaticTextYMax->text(), QStringLiteral("Max 200000"));
        const auto s = FMain->series();
        for (int i : {0, 1, 2, 3, 4})
            QVERIFY(!s[std::size_t(i)]->visible());
        for (int i : {5, 6, 7, 8, 9})
            QVERIFY(s[std::size_t(i)]->visible());
        QVERIFY(!FOptions->CheckBox1T->isChecked());
        QVERIFY(FOptions->CheckBox1E->isChecked());
        QVERIFY(FOptions->CheckBox1UV->isChecked());
        // Every decade in view carries a label.
        FMain->ChartValue->replot();
        QCOMPARE(left->tickVector(),
                 QList<double>({0.001, 0.01, 0.1, 1, 10, 100, 1000, 10000, 100000}));
    }

    // Any order of view choices, and a lower bar moved before the last one, ends with the
    // last view's bounds; a negative temperature is then drawn in the climatic view.
    void viewSequences_data() {
        QTest::addColumn<QString>("views");
        QTest::addColumn<int>("lowerBar");
        for (const QString views : {"C", "O", "CC", "CO", "OC", "OO", "CCC", "CCO", "COC", "COO",
                                    "OCC", "OCO", "OOC", "OOO"})
            for (int lowerBar : {0, 50})
                QTest::addRow("%s, lower bar %d", qPrintable(views), lowerBar) << views << lowerBar;
    }
    void viewSequences() {
        QFETCH(QString, views);
        QFETCH(int, lowerBar);
        for (qsizetype i = 0; i < views.size(); ++i) {
            if (i == views.size() - 1)
                FOptions->TrackBarYMin->setValue(lowerBar);
            (views.at(i) == u'C' ? FMain->N11 : FMain->N12)->trigger();
        }
        const QCPRange range = FMain->ChartValue->yAxis->range();
        if (views.endsWith(u'O')) {
            QCOMPARE(FMain->ChartValue->yAxis->scaleType(), QCPAxis::stLogarithmic);
            QVERIFY(range.lower > 0 && range.lower <= 0.001); // the chart's stand-in for 0
            QCOMPARE(range.upper, 200000.0);
            return;
        }
        QCOMPARE(FMain->ChartValue->yAxis->scaleType(), QCPAxis::stLinear);
        QCOMPARE(range.lower, lowerBar == 0 ? -30.0 : 0.0);
        QCOMPARE(range.upper, 100.0);
        if (lowerBar != 0)
            return;
        // t = -5 at three points: its green line and circles are on the chart.
        const QDateTime when(QDate(2026, 12, 7), QTime(10, 0));
        for (int k = 0; k < 3; ++k)
            FMain->Log.append(0, -5.0, when.addSecs(k));
        FMain->ChartValue->xAxis->setRange(-1, 3);
        const QImage image = FMain->ChartValue->toPixmap().toImage();
        const QRect plot = FMain->ChartValue->axisRect()->rect();
        const int y = qRound(FMain->ChartValue->yAxis->coordToPixel(-5.0));
        int green = 0; // pixels of the line's green, however smoothed, along its row
        for (int x = plot.left(); x <= plot.right(); ++x)
            for (int dy : {-1, 0, 1}) {
                const QColor c = image.pixelColor(x, y + dy);
                green += c.green() > c.red() + 60 && c.green() > c.blue() + 60 ? 1 : 0;
            }
        QVERIFY2(green > plot.width() / 4, qPrintable(QString::number(green)));
    }

    void climaticViewWithLowerBarAt_data() {
        QTest::addColumn<int>("lowerBar");
        QTest::addColumn<double>("axisMin");
        QTest::addColumn<QString>("caption");
        QTest::newRow("at 0") << 0 << -30.0 << "Min 0";
        QTest::newRow("at 10") << 10 << 0.0 << "Min 0";
        QTest::newRow("at 60") << 60 << 0.0 << "Min 0";
    }
    void climaticViewWithLowerBarAt() {
        QFETCH(int, lowerBar);
        QFETCH(double, axisMin);
        QFETCH(QString, caption);
        FOptions->TrackBarYMin->setValue(lowerBar);
        FMain->N11Click();
        QCOMPARE(FMain->ChartValue->yAxis->range().lower, axisMin);
        QCOMPARE(FMain->ChartValue->yAxis->range().upper, 100.0);
        QCOMPARE(FOptions->TrackBarYMin->value(), 0);
        QCOMPARE(FOptions->StaticTextYMin->text(), caption);
    }

    // From the optical view with the lower bar high, the upper bar is pulled down onto
    // it and its caption keeps the old text, while the axis follows the view.
    void opticalToClimaticWithLowerBarHigh() {
        FMain->N12Click();
        FOptions->TrackBarYMin->setValue(150);
        FMain->N11Click();
        QCOMPARE(FMain->ChartValue->yAxis->range().upper, 100.0);
        QCOMPARE(FMain->ChartValue->yAxis->range().lower, 0.0);
        QCOMPARE(FOptions->StaticTextYMax->text(), QStringLiteral("Max 200000"));
        QCOMPARE(FOptions->TrackBarYMin->value(), 0);
        QCOMPARE(FMain->ChartValue->yAxis->scaleType(), QCPAxis::stLinear);
    }

    void rechoosingRestoresHiddenSeries() {
        FOptions->CheckBox1RH->setChecked(false);
        QVERIFY(!FMain->Series2->visible());
        FMain->N11Click();
        QVERIFY(FMain->Series2->visible());
        QVERIFY(FOptions->CheckBox1RH->isChecked());
        QVERIFY(FMain->Series6->visible());
        QVERIFY(FMain->Series7->visible());
    }

    void settingsPushToChart() {
        FOptions->TrackBarYMax->setValue(40);
        QCOMPARE(FMain->ChartValue->yAxis->range().upper, 40.0);
        FOptions->TrackBarYMin->setValue(60); // pulled back below the upper bar
        QCOMPARE(FOptions->TrackBarYMin->value(), 39);
        QCOMPARE(FMain->ChartValue->yAxis->range().lower, 39.0);
        FOptions->TrackBarInterv->setValue(600);
        QCOMPARE(FMain->TimerInterval->interval(), 600000);
        // The flow box never changes the chart.
        const bool before = FMain->Series5->visible();
        FOptions->CheckBox1VR->setChecked(true);
        QCOMPARE(FMain->Series5->visible(), before);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window.moc"
