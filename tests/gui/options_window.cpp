#include "windows/Formoptions.h"
#include "windows/MaskedTimeEdit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <map>
#include <memory>

namespace {
// The first argument of every signal the spy caught.
template <typename T> QList<T> firstArguments(const QSignalSpy& spy) {
    QList<T> values;
    for (const QList<QVariant>& args : spy)
        values << args.at(0).value<T>();
    return values;
}

QCheckBox* visibilityBox(TFOptions& o, const QString& name) {
    const std::map<QString, QCheckBox*> boxes{
        {"CheckBox1T", o.CheckBox1T},     {"CheckBox1RH", o.CheckBox1RH},
        {"CheckBox1Tvl", o.CheckBox1Tvl}, {"CheckBox1Ttr", o.CheckBox1Ttr},
        {"CheckBox1V", o.CheckBox1V},     {"CheckBox1VR", o.CheckBox1VR},
        {"CheckBox5", o.CheckBox5},       {"CheckBox2", o.CheckBox2},
        {"CheckBox1E", o.CheckBox1E},     {"CheckBox1L", o.CheckBox1L},
        {"CheckBox1UV", o.CheckBox1UV}};
    return boxes.at(name);
}
} // namespace

class OptionsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TFOptions> o;

private slots:
    void init() { o = std::make_unique<TFOptions>(); }
    void cleanup() { o.reset(); }

    void visibilityBoxesStart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("top");
        QTest::newRow("t") << "CheckBox1T"
                           << "Температура t, *С" << true << 16;
        QTest::newRow("RH") << "CheckBox1RH"
                            << "Относительная влажность RH, %" << true << 32;
        QTest::newRow("tvl") << "CheckBox1Tvl"
                             << "Температура влажного термометра tвл., *С" << true << 56;
        QTest::newRow("ttr") << "CheckBox1Ttr"
                             << "Температура точки росы tтр., *С" << true << 72;
        QTest::newRow("V") << "CheckBox1V"
                           << "Скорость движения воздуха V, м/с" << true << 96;
        QTest::newRow("VR") << "CheckBox1VR"
                            << "Расход, м/с" << false << 112;
        QTest::newRow("THC") << "CheckBox5"
                             << "Индекс тепловой нагрузки среды THC" << false << 136;
        QTest::newRow("tsf") << "CheckBox2"
                             << "Температура сферы tсф., *С" << false << 152;
        QTest::newRow("E") << "CheckBox1E"
                           << "Освещённость E, лк" << false << 176;
        QTest::newRow("L") << "CheckBox1L"
                           << "Яркость L, Кд/м" << false << 192;
        QTest::newRow("UV") << "CheckBox1UV"
                            << "Энергетическая освещённость UV, мВт/м" << false << 208;
    }

    void visibilityBoxesStart() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, checked);
        QFETCH(int, top);
        QCheckBox* box = visibilityBox(*o, name);
        QCOMPARE(box->text(), caption);
        QCOMPARE(box->isChecked(), checked);
        QVERIFY(!box->isEnabled());
        QCOMPARE(box->parentWidget(), o->GroupBoxSeries);
        QCOMPARE(box->y(), top + 3); // 3 px lower, clear of the frame's top line
    }

    void otherStartStates() {
        QCOMPARE(o->windowTitle(), QString("Настройки"));
        QCOMPARE(o->size(), QSize(595, 405));
        QCOMPARE(o->GroupBoxSeries->geometry(), QRect(2, 4, 287, 229));
        QCOMPARE(o->GroupBoxTimer->geometry(), QRect(2, 236, 287, 95));
        QCOMPARE(o->GroupBoxLimits->geometry(), QRect(296, 4, 297, 145));
        QCOMPARE(o->GroupBoxScale->geometry(), QRect(296, 152, 297, 129));
        QCOMPARE(o->GroupBoxInterval->geometry(), QRect(296, 284, 297, 79));
        QCOMPARE(o->ButtonClose->geometry(), QRect(2, 338, 287, 25));

        for (QCheckBox* box : {o->CheckBoxT, o->CheckBoxRH, o->CheckBoxV, o->CheckBoxE,
                               o->CheckBoxL, o->CheckBoxUV}) {
            QVERIFY(!box->isChecked());
            QVERIFY(!box->isEnabled());
        }
        for (QLineEdit* field :
             {o->EditTmin, o->EditTmax, o->EditRHmin, o->EditRHmax, o->EditVmin, o->EditVmax,
              o->EditEmin, o->EditEmax, o->EditLmin, o->EditLmax, o->EditUVmin, o->EditUVmax})
            QCOMPARE(field->text(), QString("0.0"));
        QVERIFY(!o->CheckBoxBeep->isChecked() && o->CheckBoxBeep->isEnabled());
        QCOMPARE(o->CheckBoxBeep->text(), QString("звуковая индикация"));
        QVERIFY(!o->CheckBoxTimer->isChecked() && o->CheckBoxTimer->isEnabled());
        QVERIFY(!o->CheckBoxLinkFaults->isChecked() && o->CheckBoxLinkFaults->isEnabled());
        QCOMPARE(o->MaskEditTimeN->text(), QString("  :  "));
        QCOMPARE(o->MaskEditTimeK->text(), QString("  :  "));

        QCOMPARE(o->StaticTextYMax->text(), QString("Max 100"));
        QCOMPARE(o->StaticTextYMin->text(), QString("Min 0"));
        QCOMPARE(o->StaticTextXKol->text(), QString("Kol 100"));
        QCOMPARE(o->LabelInterv->text(), QString("Интервал измерений, 3 сек."));
        struct Bar {
            QSlider* bar;
            int min, max, value, tick;
        };
        for (const Bar& b :
             {Bar{o->TrackBarYMax, 1, 100, 100, 2}, Bar{o->TrackBarYMin, 0, 99, 0, 2},
              Bar{o->TrackBarXKol, 100, 500, 100, 10}, Bar{o->TrackBarInterv, 3, 600, 3, 9}}) {
            QCOMPARE(b.bar->minimum(), b.min);
            QCOMPARE(b.bar->maximum(), b.max);
            QCOMPARE(b.bar->value(), b.value);
            QCOMPARE(b.bar->tickInterval(), b.tick);
            QCOMPARE(b.bar->pageStep(), 2);
            QCOMPARE(b.bar->width(), b.bar == o->TrackBarInterv ? 240 : 241);
        }
    }

    // Each row: optional lower-bar range, a start position for each bar (set before the
    // spies listen), then one move of one bar; what the bars, captions and axis pushes
    // show afterwards.
    void valueBarCascades_data() {
        QTest::addColumn<int>("lowerStart");
        QTest::addColumn<int>("upperStart");
        QTest::addColumn<bool>("moveUpper");
        QTest::addColumn<int>("moveTo");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("lower");
        QTest::addColumn<QString>("upperCaption");
        QTest::addColumn<QString>("lowerCaption");
        QTest::addColumn<QList<double>>("axisMax");
        QTest::addColumn<QList<double>>("axisMin");

        QTest::newRow("upper to 85") << 0 << 100 << true << 85 << 85 << 0 << "Max 85"
                                     << "Min 0" << QList<double>{85} << QList<double>{};
        QTest::newRow("upper to 40 under lower 60")
            << 60 << 100 << true << 40 << 61 << 60 << "Max 61"
            << "Min 60" << QList<double>{61} << QList<double>{};
        QTest::newRow("upper onto lower") << 30 << 100 << true << 30 << 31 << 30 << "Max 31"
                                          << "Min 30" << QList<double>{31} << QList<double>{};
        QTest::newRow("lower to 10") << 0 << 100 << false << 10 << 100 << 10 << "Max 100"
                                     << "Min 10" << QList<double>{} << QList<double>{10};
        QTest::newRow("lower beyond upper 100")
            << 0 << 100 << false << 100 << 100 << 99 << "Max 100"
            << "Min 99" << QList<double>{} << QList<double>{99};
        QTest::newRow("lower to 70 over upper 50")
            << 0 << 50 << false << 70 << 50 << 49 << "Max 50"
            << "Min 49" << QList<double>{} << QList<double>{49};
        QTest::newRow("same position runs nothing")
            << 20 << 80 << true << 80 << 80 << 20 << "Max 80"
            << "Min 20" << QList<double>{} << QList<double>{};
    }

    void valueBarCascades() {
        QFETCH(int, lowerStart);
        QFETCH(int, upperStart);
        QFETCH(bool, moveUpper);
        QFETCH(int, moveTo);
        QFETCH(int, upper);
        QFETCH(int, lower);
        QFETCH(QString, upperCaption);
        QFETCH(QString, lowerCaption);
        QFETCH(QList<double>, axisMax);
        QFETCH(QList<double>, axisMin);

        if (upperStart < o->TrackBarYMax->value()) {
            o->TrackBarYMax->setValue(upperStart);
            o->TrackBarYMin->setValue(lowerStart);
        } else {
            o->TrackBarYMin->setValue(lowerStart);
            o->TrackBarYMax->setValue(upperStart);
        }
        QSignalSpy maxSpy(o.get(), &TFOptions::leftAxisMaxChanged);
        QSignalSpy minSpy(o.get(), &TFOptions::leftAxisMinChanged);
        (moveUpper ? o->TrackBarYMax : o->TrackBarYMin)->setValue(moveTo);

        QCOMPARE(o->TrackBarYMax->value(), upper);
        QCOMPARE(o->TrackBarYMin->value(), lower);
        QCOMPARE(o->StaticTextYMax->text(), upperCaption);
        QCOMPARE(o->StaticTextYMin->text(), lowerCaption);
        QCOMPARE(firstArguments<double>(maxSpy), axisMax);
        QCOMPARE(firstArguments<double>(minSpy), axisMin);
    }

    // Back from the optical ranges with the lower bar above the climatic range of the
    // upper bar: the upper bar is clamped, cannot pass the lower one, and the cascade ends
    // without touching the axis or the caption.
    void clampedMoveChangesNothing() {
        o->TrackBarYMax->setMaximum(200000);
        o->TrackBarYMax->setValue(200000);
        o->TrackBarYMin->setMaximum(199999);
        o->TrackBarYMin->setValue(150);
        QCOMPARE(o->StaticTextYMax->text(), QString("Max 200000"));
        QCOMPARE(o->StaticTextYMin->text(), QString("Min 150"));
        QSignalSpy maxSpy(o.get(), &TFOptions::leftAxisMaxChanged);
        QSignalSpy minSpy(o.get(), &TFOptions::leftAxisMinChanged);
        o->TrackBarYMax->setMaximum(100);
        o->TrackBarYMax->setValue(50);
        QCOMPARE(o->TrackBarYMax->value(), 100);
        QCOMPARE(o->TrackBarYMin->value(), 150);
        QCOMPARE(o->StaticTextYMax->text(), QString("Max 200000"));
        QCOMPARE(maxSpy.count(), 0);
        QCOMPARE(minSpy.count(), 0);
    }

    // A user's page key runs the same handler as a move in code.
    void valueBarByKeyboard() {
        QSignalSpy minSpy(o.get(), &TFOptions::leftAxisMinChanged);
        QTest::keyClick(o->TrackBarYMin, Qt::Key_PageUp);
        QCOMPARE(o->TrackBarYMin->value(), 2);
        QCOMPARE(o->StaticTextYMin->text(), QString("Min 2"));
        QCOMPARE(firstArguments<double>(minSpy), QList<double>{2});
    }

    void pointCountBar() {
        QSignalSpy spy(o.get(), &TFOptions::visiblePointCountChanged);
        o->TrackBarXKol->setValue(500);
        QCOMPARE(o->StaticTextXKol->text(), QString("500"));
        o->TrackBarXKol->setValue(250);
        QCOMPARE(o->StaticTextXKol->text(), QString("250"));
        o->TrackBarXKol->setValue(100);
        QCOMPARE(o->StaticTextXKol->text(), QString("100")); // "Kol 100" is not restored
        QCOMPARE(firstArguments<int>(spy), (QList<int>{500, 250, 100}));
    }

    void intervalBar_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("milliseconds");
        QTest::addColumn<QString>("caption");
        // The suffix is Latin c, e, k after a move.
        QTest::newRow("600") << 600 << 600000 << "Интервал измерений, 600 cek.";
        QTest::newRow("60") << 60 << 60000 << "Интервал измерений, 60 cek.";
        QTest::newRow("beyond the range") << 1000 << 600000 << "Интервал измерений, 600 cek.";
    }

    void intervalBar() {
        QFETCH(int, seconds);
        QFETCH(int, milliseconds);
        QFETCH(QString, caption);
        QSignalSpy spy(o.get(), &TFOptions::pollIntervalChanged);
        o->TrackBarInterv->setValue(seconds);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), milliseconds);
        QCOMPARE(o->LabelInterv->text(), caption);
        QVERIFY(o->LabelInterv->text().endsWith(QLatin1String(" cek.")));
    }

    void intervalBarBackToThree() {
        o->TrackBarInterv->setValue(9);
        QSignalSpy spy(o.get(), &TFOptions::pollIntervalChanged);
        o->TrackBarInterv->setValue(3);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 3000);
        QCOMPARE(o->LabelInterv->text(), QString("Интервал измерений, 3 cek."));
    }

    void seriesBoxes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("series");
        QTest::newRow("t") << "CheckBox1T" << 0;
        QTest::newRow("RH") << "CheckBox1RH" << 1;
        QTest::newRow("tvl") << "CheckBox1Tvl" << 2;
        QTest::newRow("ttr") << "CheckBox1Ttr" << 3;
        QTest::newRow("V") << "CheckBox1V" << 4;
        QTest::newRow("E") << "CheckBox1E" << 7;
        QTest::newRow("L") << "CheckBox1L" << 8;
        QTest::newRow("UV") << "CheckBox1UV" << 9;
    }

    void seriesBoxes() {
        QFETCH(QString, name);
        QFETCH(int, series);
        QCheckBox* box = visibilityBox(*o, name);
        QSignalSpy spy(o.get(), &TFOptions::seriesVisibilityChanged);
        const bool start = box->isChecked();

        box->setChecked(start); // the state it has: nothing runs
        QCOMPARE(spy.count(), 0);

        box->setChecked(!start);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0), (QList<QVariant>{series, !start}));

        // A user's click once the box is enabled, as detection does.
        box->setEnabled(true);
        o->show();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), start);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1), (QList<QVariant>{series, start}));
    }

    // The flow box shares the air-speed box's handler, which re-applies the air-speed
    // box's own state: what the chart shows never changes.
    void flowBoxNeverChangesTheChart_data() {
        QTest::addColumn<bool>("speedShown");
        QTest::newRow("V shown") << true;
        QTest::newRow("V hidden") << false;
    }

    void flowBoxNeverChangesTheChart() {
        QFETCH(bool, speedShown);
        // What the chart shows, as the main window would follow it.
        std::map<int, bool> shown{{4, o->CheckBox1V->isChecked()}};
        connect(o.get(), &TFOptions::seriesVisibilityChanged, this,
                [&shown](int series, bool on) { shown[series] = on; });
        o->CheckBox1V->setChecked(speedShown);
        const auto before = shown;
        QSignalSpy spy(o.get(), &TFOptions::seriesVisibilityChanged);
        o->CheckBox1VR->setChecked(true);
        o->CheckBox1VR->setChecked(false);
        o->CheckBox1VR->setChecked(true);
        QCOMPARE(spy.count(), 3);
        for (const QList<QVariant>& args : spy)
            QCOMPARE(args, (QList<QVariant>{4, speedShown}));
        QCOMPARE(shown, before);
    }

    void neverEnabledBoxes() {
        QSignalSpy spy(o.get(), &TFOptions::seriesVisibilityChanged);
        o->CheckBox2->setChecked(true);
        o->CheckBox5->setChecked(true);
        QCOMPARE(spy.count(), 0);
    }

    void timeFields_data() {
        QTest::addColumn<QString>("setText");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QString() << 0 << ""
                               << "  :  "
                               << "__:__";
        QTest::newRow("set two-digit hour") << "08:30" << 0 << ""
                                            << "08:30"
                                            << "08:30";
        QTest::newRow("set one-digit hour") << " 8:30" << 0 << ""
                                            << " 8:30"
                                            << "_8:30";
        QTest::newRow("typed 0830") << QString() << 0 << "0830"
                                    << "08:30"
                                    << "08:30";
        QTest::newRow("typed 830 after the optional place") << QString() << 1 << "830"
                                                            << " 8:30"
                                                            << "_8:30";
        QTest::newRow("one hour digit in the first place") << "8 :30" << 0 << ""
                                                           << " 8:30"
                                                           << "8_:30";
        QTest::newRow("letters refused") << QString() << 0 << "ab:cd"
                                         << "  :  "
                                         << "__:__";
        QTest::newRow("at most five characters") << QString() << 0 << "123456"
                                                 << "12:34"
                                                 << "12:34";
        QTest::newRow("minutes incomplete") << QString() << 0 << "173"
                                            << "17:3 "
                                            << "17:3_";
    }

    void timeFields() {
        QFETCH(QString, setText);
        QFETCH(int, cursor);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        MaskedTimeEdit* field = o->MaskEditTimeN;
        if (!setText.isNull())
            field->setText(setText);
        field->setCursorPosition(cursor);
        QTest::keyClicks(field, typed);
        QCOMPARE(field->text(), text);
        QCOMPARE(field->displayText(), shown);
        QCOMPARE(o->MaskEditTimeK->text(), QString("  :  "));
    }

    // The limits a tenth outside the permissible ranges of the protocol's norm row (cold,
    // IIа): a limit counts its own value as beyond, and V has no lower bound.
    void normLimitsEnvelope() {
        QVERIFY(!o->ButtonNormLimits->isEnabled());
        NormRow row;
        row.permissibleTBelow = {17.0, 18.9};
        row.permissibleTAbove = {21.1, 23.0};
        row.permissibleRh = {15, 75};
        row.permissibleVBelow = 0.1;
        row.permissibleVAbove = 0.3;
        o->setNormRow(row);
        o->CheckBoxT->setEnabled(true);
        QTest::mouseClick(o->ButtonNormLimits, Qt::LeftButton);
        const QStringList limits{o->EditTmin->text(),  o->EditTmax->text(), o->EditRHmin->text(),
                                 o->EditRHmax->text(), o->EditVmin->text(), o->EditVmax->text()};
        QCOMPARE(limits.join(u' ').replace(u',', u'.'),
                 QStringLiteral("16.9 23.1 14.9 75.1 -0.1 0.4"));
        QVERIFY(o->CheckBoxT->isChecked());
        QVERIFY(!o->CheckBoxRH->isChecked()); // this instrument has no RH: left as it was
        o->setNormRow(std::nullopt);
        QVERIFY(!o->ButtonNormLimits->isEnabled());
    }

    void closeOnlyHides() {
        QPointer<TFOptions> window = o.get();
        o->show();
        o->TrackBarXKol->setValue(300);
        o->MaskEditTimeN->setText("09:15");
        QTest::mouseClick(o->ButtonClose, Qt::LeftButton);
        QVERIFY(window && o->isHidden());
        o->show();
        QVERIFY(o->close() || o->isHidden());
        QVERIFY(window && o->isHidden());
        QCOMPARE(o->StaticTextXKol->text(), QString("300"));
        QCOMPARE(o->MaskEditTimeN->text(), QString("09:15"));
    }
};

QTEST_MAIN(OptionsWindowTest)
#include "options_window.moc"
