// Polls as the main window runs them against a scripted instrument: what is shown,
// coloured, beeped and logged, and what a broken-off reply leaves behind.
#include "MainWindowFixture.h"
#include "ScriptedInstrument.h"
#include "chart/LogGraph.h"
#include "report/EventTable.h"
#include "sound/AlarmTone.h"
#include "windows/Formevents.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <qcustomplot.h>

#include <memory>

namespace {
using Bytes6 = std::array<std::uint8_t, 6>;
using Bytes8 = std::array<std::uint8_t, 8>;

// The colour the box is filled with, read from its rendering inside the frame.
QColor fill(QLabel* box) {
    return box->grab().toImage().pixelColor(3, 3);
}
bool isRed(QLabel* box) {
    return fill(box) == QColor(255, 0, 0);
}

// The longest the window's event loop went without turning while this was watching.
class LoopLatency {
public:
    LoopLatency() {
        m_tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_tick, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart()); });
        m_since.start();
        m_tick.start(5);
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_tick;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};
} // namespace

class MainPoll : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;
    std::unique_ptr<ScriptedInstrument> m_instrument;
    ScriptedInstrument::Replies m_replies;
    // A sound server that takes the connection and never answers.
    QTemporaryDir m_soundDir;
    QLocalServer m_silentSoundServer;

    void detect(int model, int head = 0) {
        m_replies.model = static_cast<std::uint8_t>(model);
        m_replies.head = static_cast<std::uint8_t>(head);
        m_instrument->answerLikeInstrument(m_replies);
        ComPort.PortNumber = 1;
        ComPort.InstrumentFound.store(1);
        FMain->TimerDetektTimer();
        settleLink();
        QCOMPARE(FMain->panelText(3), QStringLiteral("Для начала работы нажмите старт"));
    }
    void reply(const Bytes6& climatic, const Bytes8& optical = {}) {
        m_replies.climatic = climatic;
        m_replies.optical = optical;
        m_instrument->answerLikeInstrument(m_replies);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_silentSoundServer.listen(m_soundDir.filePath(QStringLiteral("native"))));
        qputenv("PULSE_SERVER", "unix:" + m_silentSoundServer.fullServerName().toUtf8());
    }
    void init() {
        m_forms = std::make_unique<MainWindowFixture>();
        m_instrument = std::make_unique<ScriptedInstrument>();
        m_replies = {};
    }
    void cleanup() {
        m_instrument.reset();
        m_forms.reset();
    }

    void pollsOfModel60() {
        detect(0x3C);
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B}); // 20.0 °C, 50.0 %, 1.23 m/s
        for (int i = 0; i < 3; ++i) {
            FMain->PollInstrument();
            settleLink();
        }
        QCOMPARE(FMain->panelText(3), QStringLiteral("Чтение данных ..."));
        QCOMPARE(FMain->StaticTextT->text(), QStringLiteral("20"));
        QCOMPARE(FMain->StaticTextRH->text(), QStringLiteral("50"));
        QCOMPARE(FMain->StaticTextTvl->text(), QStringLiteral("14,3"));
        QCOMPARE(FMain->StaticTextTtr->text(), QStringLiteral("9,3"));
        QCOMPARE(FMain->StaticTextV->text(), QStringLiteral("1,2"));
        for (int s : {0, 1, 2, 3, 4})
            QCOMPARE(FMain->Log.count(s), qsizetype(3));
        for (int s : {5, 6, 7, 8, 9})
            QCOMPARE(FMain->Log.count(s), qsizetype(0));
        QCOMPARE(FMain->Log.y(4, 2), 1.2);
        QCOMPARE(FMain->ChartValue->xAxis->range().lower, -98.0);
        QCOMPARE(FMain->ChartValue->xAxis->range().upper, 2.0);
        QCOMPARE(FMain->StaticTextTHC->text(), QStringLiteral("0.0"));
        QCOMPARE(fill(FMain->StaticTextTHC), QApplication::palette().color(QPalette::Light));
        QCOMPARE(FMain->StaticTextTcf->text(), QStringLiteral("0.0"));
        // Only the climatic block was asked for.
        QVERIFY(!m_instrument->written().contains(0xAA));

        // RH exactly 0 has no dew point: its box keeps the last one and logs no point.
        reply({0x00, 0xC8, 0x00, 0x00, 0x00, 0x7B});
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->StaticTextRH->text(), QStringLiteral("0"));
        QCOMPARE(FMain->StaticTextTtr->text(), QStringLiteral("9,3"));
        QCOMPARE(FMain->Log.count(2), qsizetype(4));
        QCOMPARE(FMain->Log.count(3), qsizetype(3));
    }

    void timeAxisFollowsNewestPoints_data() {
        QTest::addColumn<int>("visible");
        QTest::addColumn<double>("min");
        QTest::newRow("100") << 100 << 49.0;
        QTest::newRow("500") << 500 << -351.0;
    }
    void timeAxisFollowsNewestPoints() {
        QFETCH(int, visible);
        QFETCH(double, min);
        detect(0x32);
        reply({0x00, 0x00, 0x00, 0x00, 0x01, 0x00});
        FOptions->TrackBarXKol->setValue(visible); // pushed to the main window
        for (int i = 0; i < 150; ++i) {
            FMain->PollInstrument();
            settleLink();
        }
        QCOMPARE(FMain->ChartValue->xAxis->range().lower, min);
        QCOMPARE(FMain->ChartValue->xAxis->range().upper, 149.0);
    }

    void model50ChangesOnlyAirSpeed() {
        detect(0x32);
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B});
        FMain->PollInstrument();
        settleLink();
        const auto boxes = FMain->valueBoxes();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(boxes[std::size_t(i)]->text(),
                     i == 4 ? QStringLiteral("1,2") : QStringLiteral("0.0"));
    }

    void opticalRangeCodes() {
        detect(0x3D);
        // E mantissa 512.0 with code 2; L mantissa 0.5 with code 1.
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B},
              {0x14, 0x00, 0x00, 0x02, 0x00, 0x05, 0x00, 0x01});
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->StaticTextE->text(), QStringLiteral("51,2k"));
        QCOMPARE(FMain->StaticTextL->text(), QStringLiteral("5"));
        QCOMPARE(FMain->StaticTextUV->text(), QStringLiteral("0.0"));
        QCOMPARE(FMain->Log.y(7, 0), 51200.0);
        QCOMPARE(FMain->Log.y(8, 0), 5.0);
        // A garbled range code: the box keeps its text and E logs no point, so its
        // indexes lag behind from then on.
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B},
              {0x14, 0x00, 0x00, 0x07, 0x00, 0x05, 0x00, 0x01});
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->StaticTextE->text(), QStringLiteral("51,2k"));
        QCOMPARE(FMain->Log.count(7), qsizetype(1));
        QCOMPARE(FMain->Log.count(8), qsizetype(2));
        QCOMPARE(FMain->Log.count(0), qsizetype(2));
    }

    void headOneShowsLuminanceAndUv() {
        detect(0x41, 1);
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B},
              {0x04, 0xD2, 0x00, 0x00, 0x00, 0x7B, 0x00, 0x01});
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->StaticTextL->text(), QStringLiteral("123,4"));
        QCOMPARE(FMain->StaticTextUV->text(), QStringLiteral("123"));
        QCOMPARE(FMain->StaticTextE->text(), QStringLiteral("0.0"));
        QCOMPARE(FMain->StaticTextT->text(), QStringLiteral("0.0"));
        // The time axis follows the UV series here.
        QCOMPARE(FMain->ChartValue->xAxis->range().upper, 0.0);
    }

    void limits_data() {
        QTest::addColumn<int>("tWord");
        QTest::addColumn<QString>("max");
        QTest::addColumn<bool>("alarm");
        QTest::newRow("23.5 at max 23.5") << 235 << "23.5" << true;
        QTest::newRow("23.5 below 23.6") << 235 << "23,6" << false;
        QTest::newRow("23.4 at max 23.4") << 234 << "23.4" << true;
        QTest::newRow("max not a number") << 234 << "abc" << false;
        QTest::newRow("above max") << 300 << "25" << true;
    }
    void limits() {
        QFETCH(int, tWord);
        QFETCH(QString, max);
        QFETCH(bool, alarm);
        detect(0x3C);
        FOptions->CheckBoxT->setChecked(true);
        FOptions->EditTmin->setText(QStringLiteral("10"));
        FOptions->EditTmax->setText(max);
        reply({std::uint8_t(tWord >> 8), std::uint8_t(tWord & 0xFF), 0x01, 0xF4, 0x00, 0x7B});
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(isRed(FMain->StaticTextT), alarm);
        QVERIFY(!isRed(FMain->StaticTextRH));
        QCOMPARE(FMain->Log.count(0), qsizetype(1));  // the poll went on
        QCOMPARE(FMain->Beeper->requestedCount(), 0); // no beep unless asked
    }

    // The window "События" follows the alarms of the polls while open; clearing the log
    // empties it.
    void eventsWindowFollowsAlarms() {
        detect(0x3C);
        FOptions->CheckBoxT->setChecked(true);
        FOptions->EditTmin->setText(QStringLiteral("10"));
        FOptions->EditTmax->setText(QStringLiteral("23,5"));
        FMain->N13->trigger();
        QVERIFY(FEvents->isVisible());
        const QAbstractItemModel* table = FEvents->TableEvents->model();
        const auto text = [table](int column) {
            return table->data(table->index(table->rowCount() - 1, column)).toString();
        };
        QDateTime now(QDate(2026, 12, 7), QTime(10, 0, 0));
        FMain->Clock = [&now] { return now; };
        for (int tWord : {200, 235, 240}) {
            reply({std::uint8_t(tWord >> 8), std::uint8_t(tWord & 0xFF), 0x01, 0xF4, 0x00, 0x7B});
            FMain->PollInstrument();
            settleLink();
            now = now.addSecs(3);
        }
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(text(EventTable::What), QStringLiteral("Тревога: максимум"));
        QCOMPARE(text(EventTable::ChannelName), QStringLiteral("t, *С"));
        QCOMPARE(text(EventTable::Limit), QStringLiteral("23,5"));
        QCOMPARE(text(EventTable::Extreme), QStringLiteral("24"));
        QCOMPARE(text(EventTable::End), QStringLiteral("продолжается"));
        QCOMPARE(text(EventTable::Duration), QStringLiteral("0:00:06")); // up to now
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B});
        FMain->PollInstrument();
        settleLink();
        QVERIFY(text(EventTable::End) != QStringLiteral("продолжается"));
        FMain->ButtonClear->click();
        settleLink();
        QCOMPARE(table->rowCount(), 0);
        FMain->N13->trigger();
        QVERIFY(!FEvents->isVisible());
    }

    // A mark from the menu begins with the next poll, one from the chart's right click at the
    // poll under the pointer; the chart draws each with its text, the events window lists,
    // renames and removes them.
    void marksFromTheMenuAndTheChart() {
        detect(0x3C);
        QDateTime clock(QDate(2026, 12, 7), QTime(10, 0, 0));
        FMain->Clock = [&clock] { return clock; };
        QStringList texts{QStringLiteral("  Точка 1,  высота 1,1 м "), QString(), "Б"};
        FMain->AskText = [&texts](const QString&, const QString&, const QString&) {
            return std::optional<QString>(texts.takeFirst());
        };
        FMain->RunMenu = [](QMenu* menu, const QPoint&) { return menu->actions().value(0); };
        FEvents->AskText = FMain->AskText;
        FEvents->Confirm = [](const QString&) { return true; };
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B});
        const auto poll = [&clock] {
            FMain->PollInstrument();
            settleLink();
            clock = clock.addSecs(3);
        };
        poll();
        FMain->ActionMark->trigger();
        QCOMPARE(FMain->Log.events().count(), qsizetype(0)); // it waits for the next poll
        for (int i = 0; i < 4; ++i)
            poll();
        // A right click on the first point without moving: a mark there, before the other.
        QCustomPlot* chart = FMain->ChartValue;
        chart->xAxis->setRange(-1, 5);
        chart->replot();
        const QPoint first(int(chart->xAxis->coordToPixel(0)), chart->height() / 2);
        QTest::mouseClick(chart, Qt::RightButton, {}, first);

        const QAbstractItemModel* table = FEvents->TableEvents->model();
        const auto cell = [table](int row, int column) {
            return table->data(table->index(row, column)).toString();
        };
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(cell(0, EventTable::What), QStringLiteral("Метка: Метка 2"));
        QCOMPARE(cell(0, EventTable::Start), QStringLiteral("07.12.2026 10:00:00"));
        QCOMPARE(cell(1, EventTable::What), QStringLiteral("Метка: Точка 1, высота 1,1 м"));
        QCOMPARE(cell(1, EventTable::Start), QStringLiteral("07.12.2026 10:00:03"));
        const auto chartTexts = [chart] {
            QStringList shown;
            for (int i = 0; i < chart->itemCount(); ++i)
                if (auto* text = qobject_cast<QCPItemText*>(chart->item(i)))
                    shown << text->text();
            return shown;
        };
        QCOMPARE(chartTexts(), (QStringList{"Метка 2", "Точка 1, высота 1,1 м"}));

        // Only a mark can be renamed or removed; removing one leaves the other.
        FMain->N13->trigger();
        FEvents->TableEvents->selectRow(0);
        QVERIFY(FEvents->ButtonRenameMark->isEnabled());
        FEvents->ButtonRenameMark->click();
        QCOMPARE(cell(0, EventTable::What), QStringLiteral("Метка: Б"));
        FEvents->ButtonRemoveMark->click();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(chartTexts(), QStringList{"Точка 1, высота 1,1 м"});
        FMain->ButtonClear->click();
        settleLink();
        QCOMPARE(chartTexts(), QStringList());
    }

    void humidityComparedAsNumber() {
        detect(0x3C);
        FOptions->CheckBoxRH->setChecked(true);
        FOptions->EditRHmin->setText(QStringLiteral("0"));
        FOptions->EditRHmax->setText(QStringLiteral("10"));
        reply({0x00, 0xC8, 0x00, 0x5F, 0x00, 0x7B}); // RH 9.5
        FMain->PollInstrument();
        settleLink();
        QVERIFY(!isRed(FMain->StaticTextRH));
    }

    void twoAlarmsTwoTones() {
        detect(0x3C);
        FOptions->CheckBoxBeep->setChecked(true);
        FOptions->CheckBoxT->setChecked(true);
        FOptions->EditTmax->setText(QStringLiteral("10"));
        FOptions->CheckBoxV->setChecked(true);
        FOptions->EditVmax->setText(QStringLiteral("1"));
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B});
        PublisherDouble published;
        FMain->session()->setPublisher(&published);
        FMain->ButtonStartStopClick();
        settleLink();
        LoopLatency latency;
        FMain->PollInstrument();
        settleLink();
        QVERIFY(isRed(FMain->StaticTextT));
        QVERIFY(isRed(FMain->StaticTextV));
        // A dashboard shows the same two channels in alarm.
        QCOMPARE(published.polls.last().alarms, QStringList({"t", "v"}));
        FMain->session()->setPublisher(nullptr);
        QCOMPARE(FMain->Beeper->requestedCount(), 2);
        // The sound server hangs: the system beep stands in for both tones, and for the
        // next poll's while the output still waits for the server, and the window turns.
        QTRY_VERIFY(m_silentSoundServer.hasPendingConnections());
        QTRY_COMPARE(FMain->Beeper->fallbackCount(), 2);
        FMain->PollInstrument();
        settleLink();
        QTRY_COMPARE(FMain->Beeper->fallbackCount(), 4);
        QVERIFY2(latency.longestMs() <= 100, qPrintable(QString::number(latency.longestMs())));
        FMain->ButtonStartStopClick(); // Стоп silences the tones still to come
        settleLink();
        QVERIFY(!FMain->Beeper->isSounding() && FMain->Beeper->pendingCount() == 0);
        // Back to the colour of a text field at the first poll within the limits, as
        // the boxes without a limit test are.
        FOptions->EditTmax->setText(QStringLiteral("30"));
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(fill(FMain->StaticTextT), QApplication::palette().color(QPalette::Base));
        QCOMPARE(fill(FMain->StaticTextRH), QApplication::palette().color(QPalette::Base));
    }

    // The scripted instrument cuts every reply after stopAfter data bytes (-1: never):
    // with 6 the climatic block arrives whole and the optical one breaks off. A slow
    // one sends each byte after some empty 40 ms reads, within WaitByte's bound, and
    // runs out of the poll's deadline (a second and its bytes' line time) instead.
    // With "Продолжать опрос при сбоях связи" (rideOut) the same polls leave a gap each
    // and the run goes on.
    void brokenOffReplyLeavesNoHalfPoll_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("stopAfter");
        QTest::addColumn<int>("emptyReadsBeforeEachByte");
        QTest::addColumn<bool>("rideOut");
        for (const bool rideOut : {false, true}) {
            const char* tag = rideOut ? ", riding out" : "";
            QTest::addRow("climatic, 3 bytes%s", tag) << 0x3C << 3 << 0 << rideOut;
            QTest::addRow("climatic, nothing%s", tag) << 0x3C << 0 << 0 << rideOut;
            QTest::addRow("optical, 6 bytes%s", tag) << 0x3D << 6 << 0 << rideOut;
            QTest::addRow("climatic, 320 ms a byte%s", tag) << 0x3C << -1 << 8 << rideOut;
            QTest::addRow("optical, 400 ms a byte%s", tag) << 0x3D << -1 << 10 << rideOut;
        }
    }
    void brokenOffReplyLeavesNoHalfPoll() {
        QFETCH(int, model);
        QFETCH(int, stopAfter);
        QFETCH(int, emptyReadsBeforeEachByte);
        QFETCH(bool, rideOut);
        detect(model);
        FOptions->CheckBoxLinkFaults->setChecked(rideOut);
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B}, {0x04, 0xD2, 0, 0, 0, 0x7B, 0, 1});
        FMain->ButtonStartStopClick();
        settleLink();
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Стоп"));
        QCOMPARE(FMain->Log.count(0), qsizetype(1));

        ScriptedInstrument::Replies broken = m_replies;
        broken.climatic = {0x01, 0x2C, 0x02, 0x58, 0x01, 0x00}; // would change every box
        if (stopAfter >= 0)
            broken.stopAfter = stopAfter;
        broken.emptyReadsBeforeEachByte = emptyReadsBeforeEachByte;
        m_instrument->answerLikeInstrument(broken);
        const auto start = m_instrument->elapsed();
        FMain->PollInstrument();
        settleLink();
        // The window was held no longer than the deadline and the read under way.
        QVERIFY(m_instrument->elapsed() - start <= std::chrono::milliseconds(1100));
        if (rideOut) {
            FMain->PollInstrument();
            settleLink();
        }
        QCOMPARE(FMain->panelText(3), rideOut ? QStringLiteral("Нет отклика от прибора (2)")
                                              : QStringLiteral("Нет отклика от прибора"));
        QCOMPARE(FMain->ButtonStartStop->text(),
                 rideOut ? QStringLiteral("Стоп") : QStringLiteral("Старт"));
        QCOMPARE(FMain->TimerInterval->isActive(), rideOut);
        QVERIFY(!FMain->TimerPeriod->isActive());
        for (int s = 0; s < 10; ++s)
            QVERIFY(FMain->Log.count(s) <= 1);
        QCOMPARE(FMain->StaticTextT->text(), QStringLiteral("20"));
        QCOMPARE(FMain->StaticTextV->text(), QStringLiteral("1,2"));
        QCOMPARE(m_instrument->openCount(), m_instrument->closeCount());
        QVERIFY(!m_instrument->isOpen());
        if (!rideOut)
            return;
        // The next tick polls again (an instrument without the slow bytes still under
        // way); the two misses are one break in the line.
        m_instrument.reset();
        m_instrument = std::make_unique<ScriptedInstrument>();
        m_instrument->answerLikeInstrument(m_replies);
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->Log.count(0), qsizetype(2));
        QCOMPARE(FMain->Log.missedPolls().size(), std::size_t(2));
        QVERIFY(FMain->Log.gapBefore(0, 1));
        // A new run counts its own misses.
        FMain->ButtonStartStopClick();
        settleLink();
        FMain->ButtonStartStopClick();
        settleLink();
        m_instrument->answerLikeInstrument(broken);
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->panelText(3), QStringLiteral("Нет отклика от прибора (1)"));
    }

    void silentProbeEndsTheRun() {
        detect(0x3C);
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B});
        FMain->ButtonStartStopClick();
        settleLink();
        m_instrument->failOpens();
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->panelText(3), QStringLiteral("Нет отклика от прибора"));
        QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
        QVERIFY(!FMain->TimerInterval->isActive());
        QCOMPARE(FMain->Log.count(0), qsizetype(0));
    }

    void clearDuringRun() {
        detect(0x3C);
        reply({0x00, 0xC8, 0x01, 0xF4, 0x00, 0x7B});
        FMain->ButtonStartStopClick();
        settleLink();
        FMain->PollInstrument();
        settleLink();
        FMain->PollInstrument();
        settleLink();
        FMain->ButtonClearClick();
        settleLink();
        for (int s = 0; s < 10; ++s)
            QCOMPARE(FMain->Log.count(s), qsizetype(0));
        for (QLabel* box : FMain->valueBoxes())
            QCOMPARE(box->text(), QStringLiteral("0.0"));
        QVERIFY(FMain->TimerInterval->isActive());
        FMain->PollInstrument();
        settleLink();
        QCOMPARE(FMain->Log.count(0), qsizetype(1));
        QCOMPARE(FMain->ChartValue->xAxis->range().upper, 0.0);
        QCOMPARE(FMain->ChartValue->xAxis->range().lower, -100.0);
    }
};

QTEST_MAIN(MainPoll)
#include "main_poll.moc"
