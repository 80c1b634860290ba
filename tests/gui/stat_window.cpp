#include "measurement/RegionalSettings.h"
#include "windows/Formoptions.h"
#include "windows/Formstat.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <qcustomplot.h>

#include <array>
#include <memory>
#include <vector>

using Values = std::vector<double>;

class StatWindowTest : public QObject {
    Q_OBJECT

    std::array<Values, 10> log;
    std::unique_ptr<TFOptions> options;
    std::unique_ptr<TFStat> stat;

    QList<double> bars() const {
        QList<double> values;
        for (auto it = stat->BarSeriesStat->data()->constBegin();
             it != stat->BarSeriesStat->data()->constEnd(); ++it)
            values << it->value;
        return values;
    }

    QStringList barLabels() const {
        auto ticker =
            qSharedPointerDynamicCast<QCPAxisTickerText>(stat->ChartStat->xAxis->ticker());
        return ticker->ticks().values();
    }

private slots:
    void init() {
        RegionalSettings::setLocale(QLocale(QLocale::Russian));
        log = {};
        options = std::make_unique<TFOptions>();
        stat = std::make_unique<TFStat>();
        stat->setOptionsWindow(options.get());
        stat->setSeriesSource([this](int series) {
            const Values& v = log.at(static_cast<std::size_t>(series));
            return StatSeries{static_cast<qsizetype>(v.size()),
                              [&v](qsizetype i) { return v[static_cast<std::size_t>(i)]; }};
        });
    }
    void cleanup() {
        stat.reset();
        options.reset();
    }
    void cleanupTestCase() { RegionalSettings::resetToSystem(); }

    void startState() {
        QCOMPARE(stat->windowTitle(), QString("Статистика"));
        QCOMPARE(stat->size(), QSize(603, 456));
        const QStringList items{"Температура t, *С",      "Влажность RH, %",
                                "Скорость потока V, м/с", "Освещённость Е, лк",
                                "Яркость L, Кд/м",        "Энергетическая освещённость UV, мВт/м"};
        QStringList actual;
        for (int i = 0; i < stat->ComboBoxStat->count(); ++i)
            actual << stat->ComboBoxStat->itemText(i);
        QCOMPARE(actual, items);
        QCOMPARE(items.at(3).at(13), QChar(0x0415)); // the Cyrillic Е
        QCOMPARE(stat->ComboBoxStat->currentIndex(), -1);
        QCOMPARE(stat->ComboBoxStat->currentText(), QString());
        QCOMPARE(stat->ButtonStatReload->text(), QString("Обновить"));
        QCOMPARE(stat->PanelMinMax->geometry(), QRect(432, 0, 169, 25));
        QCOMPARE(stat->ChartStat->geometry(), QRect(2, 26, 600, 400));
        QCOMPARE(stat->ButtonClose->geometry(), QRect(0, 430, 601, 25));
        QCOMPARE(stat->m3c->geometry(), QRect(0, 456, 601, 73));
        QCOMPARE(stat->m3c->title(), QString("Расход"));
        QVERIFY(!stat->rect().intersects(stat->m3c->geometry()));
        QCOMPARE(stat->BarSeriesStat->brush().color(), QColor(0xFF, 0, 0));

        QVERIFY(stat->RadioButtonXY->isChecked());
        QVERIFY(stat->EditX->isEnabled() && stat->EditY->isEnabled());
        QVERIFY(!stat->EditD->isEnabled() && !stat->EditS->isEnabled());
        for (QLineEdit* e : {stat->EditX, stat->EditY, stat->EditD, stat->EditS})
            QCOMPARE(e->text(), QString("1"));
        QCOMPARE(stat->StaticTextP->text(), QString());
        QCOMPARE(stat->Label6->text(), QString("м  /ч"));
        QCOMPARE(stat->Label7->text(), QString("3"));
    }

    // Shown for the first time with nothing chosen: nothing to draw, boxes blank.
    void firstShowWithoutQuantity() {
        log[0] = {20};
        stat->show();
        QVERIFY(bars().isEmpty());
        QVERIFY(stat->markTexts().isEmpty());
        QCOMPARE(stat->StaticTextMin->text(), QString());
        QCOMPARE(stat->StaticTextMax->text(), QString());
    }

    void histogram_data() {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("series");
        QTest::addColumn<Values>("values");
        QTest::addColumn<QList<double>>("expectedBars");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("maximum");
        const QStringList tLabels{"5", "10", "15", "20", "25", "30", "35", "40", "45", "50"};
        QStringList all100, oneAt4, oneAt1;
        for (int i = 0; i < 10; ++i) {
            all100 << "100 %";
            oneAt4 << (i == 4 ? "100 %" : "0 %");
            oneAt1 << (i == 1 ? "100 %" : "0 %");
        }
        QTest::newRow("empty log")
            << 0 << 0 << Values{} << QList<double>(10, 0.0) << tLabels << all100 << "0"
            << "0";
        QTest::newRow("21 22 23 60")
            << 0 << 0 << Values{21, 22, 23, 60} << QList<double>{0, 0, 0, 0, 3, 0, 0, 0, 0, 0}
            << tLabels << oneAt4 << "21"
            << "60";
        QTest::newRow("5.0 in the second bar")
            << 0 << 0 << Values{5.0} << QList<double>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0} << tLabels
            << oneAt1 << "5"
            << "5";
        QTest::newRow("outside every class")
            << 0 << 0 << Values{-3.5, 50, 72.1} << QList<double>(10, 0.0) << tLabels << all100
            << "-3,5"
            << "72,1";
        QTest::newRow("air speed")
            << 2 << 4 << Values{2.2, 6.6, 22, 1.5} << QList<double>{1, 1, 1, 0, 0, 0, 0, 0, 0, 1}
            << QStringList{"2,2", "4,4", "6,6", "8,8", "11", "13,2", "15,4", "17,6", "19,8", "22"}
            << QStringList{"25 %", "25 %", "25 %", "0 %", "0 %", "0 %", "0 %", "0 %", "0 %", "25 %"}
            << "1,5"
            << "22";
        QTest::newRow("UV reads Series10")
            << 5 << 9 << Values{19999.9, 20000, 30000}
            << QList<double>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0}
            << QStringList{"20000",  "40000",  "60000",  "80000",  "100000",
                           "120000", "140000", "160000", "180000", "200000"}
            << QStringList{"33,33 %", "66,67 %", "0 %", "0 %", "0 %",
                           "0 %",     "0 %",     "0 %", "0 %", "0 %"}
            << "19999,9"
            << "30000";
    }

    void histogram() {
        QFETCH(int, quantity);
        QFETCH(int, series);
        QFETCH(Values, values);
        QFETCH(QList<double>, expectedBars);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, marks);
        QFETCH(QString, minimum);
        QFETCH(QString, maximum);
        log[static_cast<std::size_t>(series)] = values;
        stat->ComboBoxStat->setCurrentIndex(quantity);
        QCOMPARE(bars(), expectedBars);
        QCOMPARE(barLabels(), labels);
        QCOMPARE(stat->markTexts(), marks);
        QCOMPARE(stat->StaticTextMin->text(), minimum);
        QCOMPARE(stat->StaticTextMax->text(), maximum);
        // The tallest bar sets the value axis.
        double tallest = 0;
        for (double b : expectedBars)
            tallest = std::max(tallest, b);
        QCOMPARE(stat->ChartStat->yAxis->range().upper, tallest > 0 ? tallest : 1.0);
    }

    // A snapshot: new points show only on "Обновить", on showing and on a new choice.
    void recomputeOnlyWhenAsked() {
        log[1] = {15};
        stat->ComboBoxStat->setCurrentIndex(1);
        QCOMPARE(stat->StaticTextMax->text(), QString("15"));
        log[1] = {15, 55};
        QCOMPARE(stat->StaticTextMax->text(), QString("15"));
        QTest::mouseClick(stat->ButtonStatReload, Qt::LeftButton);
        QCOMPARE(stat->StaticTextMax->text(), QString("55"));
        QCOMPARE(bars(), (QList<double>{0, 1, 0, 0, 0, 1, 0, 0, 0, 0}));

        stat->show();
        QTest::mouseClick(stat->ButtonClose, Qt::LeftButton);
        QVERIFY(stat->isHidden());
        log[1] = {95};
        stat->show();
        QCOMPARE(stat->StaticTextMax->text(), QString("95"));
        QCOMPARE(stat->ComboBoxStat->currentIndex(), 1);
    }

    // Typed text picks an item only when it is the item's text; anything else leaves
    // the chart empty and the minimum and maximum as they were.
    void typedText() {
        log[0] = {12};
        stat->ComboBoxStat->setCurrentIndex(0);
        QCOMPARE(stat->StaticTextMin->text(), QString("12"));
        stat->ComboBoxStat->setEditText("Темп");
        QCOMPARE(stat->selectedQuantity(), -1);
        QVERIFY(bars().isEmpty());
        QCOMPARE(stat->StaticTextMin->text(), QString("12"));
        log[1] = {33};
        stat->ComboBoxStat->setEditText("Влажность RH, %");
        QCOMPARE(stat->selectedQuantity(), 1);
        QCOMPARE(stat->StaticTextMin->text(), QString("33"));
    }

    void windowHeight_data() {
        QTest::addColumn<bool>("flowBox");
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("outerHeight");
        QTest::newRow("flow box, air speed") << true << 2 << 555;
        QTest::newRow("flow box, temperature") << true << 0 << 480;
        QTest::newRow("flow box, UV") << true << 5 << 480;
        QTest::newRow("no flow box, air speed") << false << 2 << 480;
    }

    void windowHeight() {
        QFETCH(bool, flowBox);
        QFETCH(int, quantity);
        QFETCH(int, outerHeight);
        options->CheckBox1VR->setChecked(flowBox);
        stat->ComboBoxStat->setCurrentIndex(quantity);
        QCOMPARE(stat->height() + TFStat::FrameHeight, outerHeight);
        QCOMPARE(stat->width(), 603);
        QCOMPARE(stat->rect().contains(stat->m3c->geometry()), outerHeight == 555);
    }

    // The flow box is read only when the quantity changes.
    void flowBoxTakesEffectAtNextChange() {
        stat->ComboBoxStat->setCurrentIndex(2);
        QCOMPARE(stat->height(), 456);
        options->CheckBox1VR->setChecked(true);
        QCOMPARE(stat->height(), 456);
        QTest::mouseClick(stat->ButtonStatReload, Qt::LeftButton);
        QCOMPARE(stat->height(), 456);
        stat->ComboBoxStat->setCurrentIndex(0);
        stat->ComboBoxStat->setCurrentIndex(2);
        QCOMPARE(stat->height(), 531);
    }

    void sectionChoice() {
        stat->RadioButtonD->click();
        QVERIFY(stat->EditD->isEnabled());
        QVERIFY(!stat->EditX->isEnabled() && !stat->EditY->isEnabled() &&
                !stat->EditS->isEnabled());
        stat->RadioButtonS->click();
        QVERIFY(stat->EditS->isEnabled());
        QVERIFY(!stat->EditX->isEnabled() && !stat->EditY->isEnabled() &&
                !stat->EditD->isEnabled());
        QVERIFY(!stat->RadioButtonXY->isChecked() && !stat->RadioButtonD->isChecked());
        stat->RadioButtonXY->click();
        QVERIFY(stat->EditX->isEnabled() && stat->EditY->isEnabled());
        QVERIFY(!stat->EditD->isEnabled() && !stat->EditS->isEnabled());
    }

    // A screen reader hears every input by a name of its own, never just the title of
    // the group the input sits in.
    void inputsHaveNamesOfTheirOwn_data() {
        QTest::addColumn<bool>("settings");
        QTest::newRow("settings window") << true;
        QTest::newRow("statistics window") << false;
    }
    void inputsHaveNamesOfTheirOwn() {
        QFETCH(bool, settings);
        QWidget* window = settings ? static_cast<QWidget*>(options.get()) : stat.get();
        QStringList groupTitles;
        for (const QGroupBox* g : window->findChildren<QGroupBox*>())
            groupTitles << g->title();
        QStringList names;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                               qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w);
            if (!input || w->window() != window || qobject_cast<QComboBox*>(w->parentWidget()))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY(a);
            const QString name = a->text(QAccessible::Name);
            QVERIFY2(!name.isEmpty() && !groupTitles.contains(name) && !names.contains(name),
                     qPrintable(w->metaObject()->className() + (u' ' + name)));
            names << name;
        }
        QVERIFY(names.size() >= (settings ? 35 : 9));
    }

    void flow_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<QString>("d");
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("areaAfter");
        QTest::newRow("start state") << "XY"
                                     << "1"
                                     << "1"
                                     << "1"
                                     << "1"
                                     << "0,3"
                                     << "1080"
                                     << "1";
        QTest::newRow("rectangle") << "XY"
                                   << "0,4"
                                   << "0.5"
                                   << "1"
                                   << "7"
                                   << "2,5"
                                   << "1800"
                                   << "0,2";
        QTest::newRow("round D 0.5 V 2") << "D"
                                         << "1"
                                         << "1"
                                         << "0,5"
                                         << "1"
                                         << "2"
                                         << "1413"
                                         << "0,19625";
        QTest::newRow("arbitrary") << "S"
                                   << "1"
                                   << "1"
                                   << "1"
                                   << "0,25"
                                   << "2"
                                   << "1800"
                                   << "0,25";
        QTest::newRow("speed not a number") << "XY"
                                            << "2"
                                            << "1"
                                            << "1"
                                            << "1"
                                            << "???"
                                            << ""
                                            << "";
        QTest::newRow("width not a number") << "XY"
                                            << "x"
                                            << "1"
                                            << "1"
                                            << "5"
                                            << "2"
                                            << ""
                                            << "";
        QTest::newRow("overflow clears an earlier area") << "XY"
                                                         << "1e200"
                                                         << "1e200"
                                                         << "1"
                                                         << "1E+20"
                                                         << "2"
                                                         << ""
                                                         << "";
        QTest::newRow("diameter empty") << "D"
                                        << "1"
                                        << "1"
                                        << ""
                                        << "5"
                                        << "2"
                                        << ""
                                        << "";
    }

    void flow() {
        QFETCH(QString, section);
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(QString, d);
        QFETCH(QString, s);
        QFETCH(QString, speed);
        QFETCH(QString, result);
        QFETCH(QString, areaAfter);
        stat->StaticTextP->setText("old");
        (section == "D"   ? stat->RadioButtonD
         : section == "S" ? stat->RadioButtonS
                          : stat->RadioButtonXY)
            ->click();
        stat->EditX->setText(x);
        stat->EditY->setText(y);
        stat->EditD->setText(d);
        stat->EditS->setText(s);
        stat->FlowUpdate(speed);
        QCOMPARE(stat->StaticTextP->text(), result);
        QCOMPARE(stat->EditS->text(), areaAfter);
    }
};

QTEST_MAIN(StatWindowTest)
#include "stat_window.moc"
