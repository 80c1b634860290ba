// Measurement runs as the main window drives them over a real pseudo-terminal against
// instrument-emulator: start, polls on the timer, stop, the schedule with an injected
// clock, an instrument that fails mid-run, and leaving the program during a run. The
// emulator's byte transcript shows what went over the line.
#include "../gui/MainWindowFixture.h"
#include "EmulatorProcess.h"
#include "TranscriptText.h"
#include "link/PortMap.h"
#include "link/QtSerialDevice.h"
#include "recording/RecordingDatabase.h"
#include "recording/RecordingWriter.h"
#include "report/EventTable.h"
#include "report/MeasurementReport.h"
#include "windows/Formevents.h"
#include "windows/MaskedTimeEdit.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <vector>

namespace {
// Fast polls: the test waits for log counts, never for the clock.
constexpr int PollIntervalMs = 20;
// Long enough that no poll comes while a test looks at the state right after a click.
constexpr int QuietIntervalMs = 60000;

QString hex(int b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

// A command, its acknowledgement and each data byte followed by our echo.
QStringList block(int command, const QList<int>& data) {
    QStringList lines{"H " + hex(command), "I " + hex(command)};
    for (int b : data)
        lines << "I " + hex(b) << "H " + hex(b);
    return lines;
}

const QStringList Probe{QStringLiteral("H 37"), QStringLiteral("I 37")};

QStringList detection(int model) {
    return block(0xA7, {model});
}

QStringList poll(const QList<int>& climatic, const QList<int>& optical) {
    QStringList lines = Probe + block(0xA3, climatic);
    if (!optical.isEmpty())
        lines += block(0xAA, optical);
    return lines;
}

QStringList repeated(const QStringList& lines, qsizetype times) {
    QStringList all;
    for (qsizetype i = 0; i < times; ++i)
        all += lines;
    return all;
}

// Serial calls made on the window's thread other than by the test's own marker: each one
// held the window for the line.
std::atomic<int> g_windowThreadCalls{0};
bool g_markerOnWindowThread = false;

void noteThread() {
    if (QThread::currentThread() == QCoreApplication::instance()->thread() &&
        !g_markerOnWindowThread)
        ++g_windowThreadCalls;
}

// A byte the instrument ignores, written after an action through a port session of our
// own: the line keeps order, so anything the action sent shows before it.
const QString MarkerLine = QStringLiteral("H 55");
void sendMarker() {
    g_markerOnWindowThread = true;
    {
        PortSession session(ComPort.PortNumber);
        WriteByte(0x55);
    }
    g_markerOnWindowThread = false;
}

// Reads of each port session, counted around the real QSerialPort backend.
struct SessionReads {
    int reads = 0;
    int empty = 0;
};
std::vector<SessionReads> g_sessions;

class CountingSerialDevice : public SerialDevice {
public:
    bool open(const QString& device) override {
        noteThread();
        g_sessions.emplace_back();
        return m_port.open(device);
    }
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void writeByte(std::uint8_t b) override {
        noteThread();
        m_port.writeByte(b);
    }
    int readByte(std::uint8_t& b) override {
        noteThread();
        const int n = m_port.readByte(b);
        ++g_sessions.back().reads;
        if (n == 0)
            ++g_sessions.back().empty;
        return n;
    }

private:
    QtSerialDevice m_port;
};

const QString Ready = QStringLiteral("Для начала работы нажмите старт");
const QString NoAnswer = QStringLiteral("Нет отклика от прибора");
const QString Armed = QStringLiteral("Соединение прошло успешно, ожидание начала измерений ");

// Series of model 61: t, RH, wet-bulb, dew point, V, E, L.
const QList<int> Model61Series{0, 1, 2, 3, 4, 7, 8};
} // namespace

class RunControl : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;
    std::unique_ptr<EmulatorProcess> m_instrument;
    QTime m_now;

    // Starts the emulator as COM1 and lets the main window detect it.
    bool detect(const QString& options, int model) {
        m_instrument = std::make_unique<EmulatorProcess>(args("--as COM1 " + options));
        if (!m_instrument->start())
            return false;
        ComPort.PortNumber = 1;
        ComPort.InstrumentFound.store(1);
        FMain->TimerDetektTimer();
        settleLink();
        return FMain->panelText(3) == Ready && FMain->ButtonStartStop->isEnabled() &&
               FMain->ModelCode == model;
    }
    // Replaces the instrument on COM1 during a run, as if another one were plugged in.
    bool replaceInstrument(const QString& options) {
        if (!m_instrument->stop())
            return false;
        m_instrument = std::make_unique<EmulatorProcess>(args("--as COM1 " + options));
        return m_instrument->start();
    }
    QList<QString> boxTexts() const {
        QList<QString> texts;
        for (QLabel* box : FMain->valueBoxes())
            texts << box->text();
        return texts;
    }
    QList<qsizetype> logCounts() const {
        QList<qsizetype> counts;
        for (int s = 0; s < 10; ++s)
            counts << FMain->Log.count(s);
        return counts;
    }
    void scheduleTick(const QTime& time) {
        m_now = time;
        FMain->TimerPeriodTimer();
        settleLink();
    }

private slots:
    void init() {
        m_forms = std::make_unique<MainWindowFixture>();
        g_sessions.clear();
        SetSerialDeviceFactory([] { return std::make_unique<CountingSerialDevice>(); });
        FMain->Clock = [this] { return QDateTime(QDate(2024, 5, 6), m_now); };
        m_now = QTime(7, 0);
    }
    void cleanup() {
        QCOMPARE(g_windowThreadCalls.exchange(0), 0); // the window never waits for the line
        m_forms.reset();
        m_instrument.reset();
        SetSerialDeviceFactory({});
    }

    void freeRunning_data();
    void freeRunning();
    void scheduledRun_data();
    void scheduledRun();
    void armedRunEndsWithoutPoll_data();
    void armedRunEndsWithoutPoll();
    void scheduledStopSendsStopCommand_data();
    void scheduledStopSendsStopCommand();
    void scheduledStopOfSilentInstrument();
    void instrumentVanishesMidRun_data();
    void instrumentVanishesMidRun();
    void instrumentFailsMidRun_data();
    void instrumentFailsMidRun();
    void strayByteDoesNotShiftLaterPolls_data();
    void strayByteDoesNotShiftLaterPolls();
    void removedLinkEndsTheRun();
    void linkFaultOption_data();
    void linkFaultOption();
    void detectionRecoversOnceInstrumentAnswers();
    void tickAndStopDuringASlowPoll_data();
    void tickAndStopDuringASlowPoll();
    void leavingDuringRunSendsNothing_data();
    void leavingDuringRunSendsNothing();
};

void RunControl::freeRunning_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<int>>("optical");
    QTest::addColumn<QString>("eBox");
    QTest::addColumn<QString>("lBox");
    QTest::newRow("climatic model 60") << 0x3C << QList<int>{} << "0.0"
                                       << "0.0";
    QTest::newRow("optical model 61")
        << 0x3D << QList<int>{0x04, 0xD2, 0x00, 0x01, 0x00, 0x7B, 0x00, 0x00} << "1234"
        << "12,3";
}

void RunControl::freeRunning() {
    QFETCH(int, model);
    QFETCH(QList<int>, optical);
    QFETCH(QString, eBox);
    QFETCH(QString, lBox);
    QVERIFY(detect(QStringLiteral("-t -10 --rh 50 -v 1.23 --model %1").arg(model), model));
    const QStringList detected = detection(model);
    QTRY_COMPARE(m_instrument->transcript(), detected);
    PublisherDouble published;
    FMain->session()->setPublisher(&published);

    // Start: the probe and nothing else; the first poll is an interval away.
    FMain->TimerInterval->setInterval(QuietIntervalMs);
    settleLink(); // a poll under way ends first
    FMain->ButtonStartStopClick();
    settleLink();
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Стоп"));
    QCOMPARE(FMain->panelText(3), QStringLiteral("Чтение каналов"));
    QVERIFY(FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    QCOMPARE(FMain->Log.count(0), qsizetype(0));
    QTRY_COMPARE(m_instrument->transcript(), detected + Probe);

    // Polls come on the timer.
    FMain->TimerInterval->setInterval(PollIntervalMs);
    QTRY_VERIFY(FMain->Log.count(0) >= 3);
    QCOMPARE(FMain->panelText(3), QStringLiteral("Чтение данных ..."));
    QCOMPARE(FMain->StaticTextT->text(), QStringLiteral("-10"));
    QCOMPARE(FMain->StaticTextRH->text(), QStringLiteral("50"));
    QCOMPARE(FMain->StaticTextV->text(), QStringLiteral("1,2"));
    QCOMPARE(FMain->StaticTextE->text(), eBox);
    QCOMPARE(FMain->StaticTextL->text(), lBox);

    // Stop: only the probe byte goes out, after the poll under way, which is logged.
    FMain->ButtonStartStopClick();
    settleLink();
    const qsizetype polls = FMain->Log.count(0);
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(3), QStringLiteral(" "));
    QVERIFY(!FMain->TimerInterval->isActive());
    QCOMPARE(FMain->Log.count(0), polls);
    for (int s : {1, 2, 3, 4})
        QCOMPARE(FMain->Log.count(s), polls);
    QCOMPARE(FMain->Log.count(7), optical.isEmpty() ? 0 : polls);
    // Each logged poll went to publishing with the values shown, from the session's thread.
    FMain->session()->setPublisher(nullptr);
    QCOMPARE(published.polls.size(), polls);
    QCOMPARE(published.polls.last().values.first(), qMakePair(QStringLiteral("t"), -10.0));
    QCOMPARE(published.keys, QStringList({"t", "rh", "tvl", "ttr", "v"}) +
                                 (optical.isEmpty() ? QStringList() : QStringList{"e", "l"}));
    QCOMPARE(published.elsewhere, 0);
    sendMarker();
    const QStringList onePoll = poll({0xFF, 0x9C, 0x01, 0xF4, 0x00, 0x7B}, optical);
    QTRY_COMPARE(m_instrument->transcript(),
                 detected + Probe + repeated(onePoll, polls) + Probe + QStringList{MarkerLine});
    QVERIFY(m_instrument->stop());
    QCOMPARE(m_instrument->transcriptSummary(),
             QStringLiteral("summary wrong-echoes=0 abandoned=0"));
}

void RunControl::scheduledRun_data() {
    QTest::addColumn<QString>("startField");
    QTest::addColumn<QString>("endField");
    QTest::addColumn<QTime>("before");
    QTest::addColumn<QTime>("startTick");
    QTest::addColumn<QTime>("endTick");
    QTest::newRow("hour typed with a blank")
        << " 8:30"
        << "08:45" << QTime(8, 29, 55) << QTime(8, 30, 15) << QTime(8, 45, 0);
    QTest::newRow("hour with a leading zero")
        << "08:30"
        << " 8:31" << QTime(8, 29, 59) << QTime(8, 30, 0) << QTime(8, 31, 19);
    QTest::newRow("afternoon") << "14:05"
                               << "15:00" << QTime(14, 4, 40) << QTime(14, 5, 0)
                               << QTime(15, 0, 40);
}

void RunControl::scheduledRun() {
    QFETCH(QString, startField);
    QFETCH(QString, endField);
    QFETCH(QTime, before);
    QFETCH(QTime, startTick);
    QFETCH(QTime, endTick);
    QVERIFY(detect(QStringLiteral("--model 0x3C"), 0x3C));
    FOptions->CheckBoxTimer->setChecked(true);
    FOptions->MaskEditTimeN->setText(startField);
    FOptions->MaskEditTimeK->setText(endField);
    QCOMPARE(FOptions->MaskEditTimeN->text(), startField);
    FMain->TimerInterval->setInterval(PollIntervalMs);

    FMain->ButtonStartStopClick();
    settleLink();
    QCOMPARE(FMain->panelText(3), Armed);
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Стоп"));
    QVERIFY(FMain->TimerPeriod->isActive());
    QVERIFY(!FMain->TimerInterval->isActive());

    scheduleTick(before);
    QVERIFY(!FMain->TimerInterval->isActive());
    sendMarker();
    QTRY_COMPARE(m_instrument->transcript(), detection(0x3C) + Probe + QStringList{MarkerLine});
    QCOMPARE(FMain->Log.count(0), qsizetype(0));

    scheduleTick(startTick);
    QVERIFY(FMain->TimerInterval->isActive());
    QCOMPARE(FMain->panelText(3), Armed);
    QTRY_VERIFY(FMain->Log.count(0) >= 2);
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Стоп"));

    // A tick later in the start minute changes nothing: the poll timer runs on, where a
    // restart would wind its remaining time back up (a precise timer counts it in ms).
    QCOMPARE(FMain->TimerInterval->timerType(), Qt::PreciseTimer);
    FMain->TimerInterval->setInterval(QuietIntervalMs);
    settleLink(); // a poll under way ends first
    QTRY_VERIFY(FMain->TimerInterval->remainingTime() < QuietIntervalMs - 100);
    const int remaining = FMain->TimerInterval->remainingTime();
    scheduleTick(startTick.addSecs(20));
    QVERIFY(FMain->TimerInterval->isActive());
    QVERIFY(FMain->TimerInterval->remainingTime() <= remaining);
    QVERIFY(FMain->TimerPeriod->isActive());

    scheduleTick(endTick);
    QVERIFY(!FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(3), QStringLiteral("Чтение данных ..."));
    const qsizetype polls = FMain->Log.count(0);
    sendMarker();
    const QStringList onePoll = poll({0x00, 0xC8, 0x01, 0xC2, 0x00, 0x32}, {});
    QTRY_COMPARE(m_instrument->transcript(), detection(0x3C) + Probe + QStringList{MarkerLine} +
                                                 repeated(onePoll, polls) +
                                                 QStringList{MarkerLine});
}

void RunControl::armedRunEndsWithoutPoll_data() {
    QTest::addColumn<QString>("startField");
    QTest::addColumn<QString>("endField");
    QTest::addColumn<QTime>("tick");
    QTest::newRow("start equals end") << "10:00"
                                      << "10:00" << QTime(10, 0, 5);
    QTest::newRow("start equals end, blank hour") << " 9:15"
                                                  << "09:15" << QTime(9, 15, 40);
    QTest::newRow("end before start") << "09:00"
                                      << "08:00" << QTime(8, 0, 0);
}

void RunControl::armedRunEndsWithoutPoll() {
    QFETCH(QString, startField);
    QFETCH(QString, endField);
    QFETCH(QTime, tick);
    QVERIFY(detect(QStringLiteral("--model 0x3C"), 0x3C));
    FOptions->CheckBoxTimer->setChecked(true);
    FOptions->MaskEditTimeN->setText(startField);
    FOptions->MaskEditTimeK->setText(endField);
    FMain->TimerInterval->setInterval(PollIntervalMs);
    FMain->ButtonStartStopClick();
    settleLink();
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Стоп"));

    scheduleTick(tick);
    QVERIFY(!FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(3), Armed);
    sendMarker();
    QTRY_COMPARE(m_instrument->transcript(), detection(0x3C) + Probe + QStringList{MarkerLine});
    QCOMPARE(logCounts(), QList<qsizetype>(10, 0));
}

void RunControl::scheduledStopSendsStopCommand_data() {
    QTest::addColumn<bool>("polling");
    QTest::newRow("armed") << false;
    QTest::newRow("polling") << true;
}

void RunControl::scheduledStopSendsStopCommand() {
    QFETCH(bool, polling);
    QVERIFY(detect(QStringLiteral("--model 0x3C"), 0x3C));
    FOptions->CheckBoxTimer->setChecked(true);
    FOptions->MaskEditTimeN->setText(QStringLiteral("12:00"));
    FOptions->MaskEditTimeK->setText(QStringLiteral("13:00"));
    FMain->TimerInterval->setInterval(PollIntervalMs);
    FMain->ButtonStartStopClick();
    settleLink();
    if (polling) {
        scheduleTick(QTime(12, 0, 10));
        QTRY_VERIFY(FMain->Log.count(0) >= 1);
        // Polling goes on, but no poll may come between the count and the marker.
        FMain->TimerInterval->setInterval(QuietIntervalMs);
        settleLink(); // a poll under way ends first
    }
    const QString panel = FMain->panelText(3);
    const qsizetype polls = FMain->Log.count(0);
    sendMarker();
    const QStringList onePoll = poll({0x00, 0xC8, 0x01, 0xC2, 0x00, 0x32}, {});
    const QStringList before =
        detection(0x3C) + Probe + repeated(onePoll, polls) + QStringList{MarkerLine};
    QTRY_COMPARE(m_instrument->transcript(), before);

    FMain->ButtonStartStopClick();
    settleLink();
    QVERIFY(!FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(3), panel);
    sendMarker();
    QTRY_COMPARE(m_instrument->transcript().mid(before.size()),
                 dialogue("H 37 I 37 H A2 I A2 H 55"));
}

void RunControl::scheduledStopOfSilentInstrument() {
    QVERIFY(detect(QStringLiteral("--model 0x3C"), 0x3C));
    FOptions->CheckBoxTimer->setChecked(true);
    FMain->ButtonStartStopClick();
    settleLink();
    QCOMPARE(FMain->panelText(3), Armed);
    QVERIFY(replaceInstrument(QStringLiteral("--silent")));

    FMain->ButtonStartStopClick();
    settleLink();
    QVERIFY(!FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(3), Armed);
    sendMarker();
    QTRY_COMPARE(m_instrument->transcript(), dialogue("H 37 H 55"));
    // The probe gave up after its eleven empty reads.
    QCOMPARE(g_sessions.size(), std::size_t(4));
    QCOMPARE(g_sessions[2].empty, ProbeRetryLimit);
}

// The emulator answers a number of commands, then closes its end of the line: the
// detection (1), the start probe (1) and two polls of model 61 (3 each) make 8.
void RunControl::instrumentVanishesMidRun_data() {
    QTest::addColumn<int>("commands");
    QTest::addColumn<QStringList>("failingPoll");
    QTest::addColumn<int>("emptyReads");
    QTest::newRow("at the probe") << 8 << QStringList{"H 37"} << ProbeRetryLimit;
    QTest::newRow("at the climatic command")
        << 9 << dialogue("H 37 I 37 H A3") << WaitByteReadLimit;
    QTest::newRow("at the optical command")
        << 10
        << dialogue("H 37 I 37") + block(0xA3, {0x01, 0x2C, 0x02, 0xBC, 0x01, 0x4A}) +
               QStringList{"H AA"}
        << WaitByteReadLimit;
}

void RunControl::instrumentVanishesMidRun() {
    QFETCH(int, commands);
    QFETCH(QStringList, failingPoll);
    QFETCH(int, emptyReads);
    QTemporaryDir dir;
    const QString values = dir.filePath(QStringLiteral("values.txt"));
    {
        QFile file(values);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
        file.write("# t rh v opt1 range1 opt2 range2\n"
                   "-10.0 50 1.23 123.4 1 12.3 0\n"
                   "5.5 60 2.5 200 0 20 0\n"
                   "30 70 3.3 300 0 30 0\n");
    }
    QVERIFY(detect(
        QStringLiteral("--model 0x3D --values file:%1 --vanish-after %2").arg(values).arg(commands),
        0x3D));
    FMain->TimerInterval->setInterval(PollIntervalMs);
    FMain->ButtonStartStopClick();
    settleLink();
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Стоп"));

    QTRY_COMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(3), NoAnswer);
    QVERIFY(!FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    // Only the two whole polls are shown and logged.
    for (int s = 0; s < 10; ++s)
        QCOMPARE(FMain->Log.count(s), qsizetype(Model61Series.contains(s) ? 2 : 0));
    QCOMPARE(FMain->StaticTextT->text(), QStringLiteral("5,5"));
    QCOMPARE(FMain->StaticTextRH->text(), QStringLiteral("60"));
    QCOMPARE(FMain->StaticTextV->text(), QStringLiteral("2,5"));
    QCOMPARE(FMain->StaticTextE->text(), QStringLiteral("200"));
    QCOMPARE(FMain->StaticTextL->text(), QStringLiteral("20"));
    QCOMPARE(FMain->Log.y(0, 1), 5.5);

    QVERIFY(m_instrument->waitForExit());
    const QStringList polls = poll({0xFF, 0x9C, 0x01, 0xF4, 0x00, 0x7B},
                                   {0x04, 0xD2, 0x00, 0x01, 0x00, 0x7B, 0x00, 0x00}) +
                              poll({0x00, 0x37, 0x02, 0x58, 0x00, 0xFA},
                                   {0x07, 0xD0, 0x00, 0x00, 0x00, 0xC8, 0x00, 0x00});
    QCOMPARE(m_instrument->transcript(), detection(0x3D) + Probe + polls + failingPoll);
    // The failing poll waited once and gave up, at its bound or at the poll's deadline.
    QCOMPARE(int(g_sessions.size()), 5);
    QVERIFY(g_sessions.back().empty <= emptyReads);
}

// The failing poll ends at the probe's limit, at WaitByte's bound or at the poll's
// deadline, whichever comes first: no more empty reads than `emptyReads`. How far a
// slow instrument got depends on the machine's timing, so only the start of its
// transcript is known (not `whole`).
void RunControl::instrumentFailsMidRun_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("failingPoll");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<int>("emptyReads");
    QTest::addColumn<bool>("scheduled");
    const int model61PollBytes = ProbeBytes + commandBytes(6) + commandBytes(8);
    const int withinDeadline = (ExchangeGrace + model61PollBytes * ByteLineTime) /
                                   std::chrono::milliseconds(QtSerialDevice::ReadTimeoutMs) +
                               1;
    // The replacement sends t = -10 (FF 9C), which would show if anything of it were used.
    QTest::newRow("reply stops in the climatic block")
        << "--stop-after 3" << dialogue("H 37 I 37 H A3 I A3 I FF H FF I 9C H 9C I 01 H 01") << true
        << WaitByteReadLimit << false;
    QTest::newRow("reply stops in the optical block")
        << "--stop-after 6"
        << dialogue("H 37 I 37") + block(0xA3, {0xFF, 0x9C, 0x01, 0xC2, 0x00, 0x32}) +
               dialogue("H AA I AA I 04 H 04 I D2 H D2 I 00 H 00 I 01 H 01 I 00 H 00 I 7B H 7B")
        << true << WaitByteReadLimit << false;
    QTest::newRow("falls silent") << "--silent" << QStringList{"H 37"} << true << ProbeRetryLimit
                                  << false;
    QTest::newRow("falls silent in a scheduled run")
        << "--silent" << QStringList{"H 37"} << true << ProbeRetryLimit << true;
    // Each byte comes within WaitByte's bound; the poll runs past its deadline.
    QTest::newRow("300 ms per byte")
        << "--slow 300" << QStringList{"H 37"} << false << withinDeadline << false;
    QTest::newRow("420 ms per byte")
        << "--slow 420" << QStringList{"H 37"} << false << withinDeadline << false;
}

void RunControl::instrumentFailsMidRun() {
    QFETCH(QString, failure);
    QFETCH(QStringList, failingPoll);
    QFETCH(bool, whole);
    QFETCH(int, emptyReads);
    QFETCH(bool, scheduled);
    QVERIFY(detect(QStringLiteral("--model 0x3D"), 0x3D));
    FOptions->CheckBoxTimer->setChecked(scheduled);
    FOptions->MaskEditTimeN->setText(QStringLiteral("07:00"));
    FMain->TimerInterval->setInterval(PollIntervalMs);
    FMain->ButtonStartStopClick();
    settleLink();
    if (scheduled)
        scheduleTick(QTime(7, 0, 20));
    QTRY_VERIFY(FMain->Log.count(0) >= 2);
    FMain->TimerInterval->setInterval(QuietIntervalMs);
    settleLink(); // a poll under way ends first
    const QList<QString> boxes = boxTexts();
    const QList<qsizetype> counts = logCounts();
    QCOMPARE(FMain->StaticTextT->text(), QStringLiteral("20"));

    QVERIFY(replaceInstrument("--model 0x3D -t -10 " + failure));
    FMain->TimerInterval->setInterval(PollIntervalMs);
    const std::size_t sessionsBefore = g_sessions.size();
    QTRY_COMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(3), NoAnswer);
    QVERIFY(!FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    QCOMPARE(boxTexts(), boxes);
    QCOMPARE(logCounts(), counts);
    QCOMPARE(g_sessions.size(), sessionsBefore + 1);
    QVERIFY(g_sessions.back().empty <= emptyReads);
    if (!whole) {
        QCOMPARE(m_instrument->transcript().mid(0, failingPoll.size()), failingPoll);
        return;
    }
    sendMarker();
    QTRY_COMPARE(m_instrument->transcript(), failingPoll + QStringList{MarkerLine});
}

// The emulator sends an unsolicited 0xFF after the reply that ends an exchange: after
// the detection only, or after it and every poll. Each poll starts with the byte
// waiting in the port.
void RunControl::strayByteDoesNotShiftLaterPolls_data() {
    QTest::addColumn<QString>("when");
    QTest::addColumn<QStringList>("afterPoll");
    QTest::newRow("once") << "once" << QStringList{};
    QTest::newRow("after every reply") << "every" << QStringList{"I FF"};
}

void RunControl::strayByteDoesNotShiftLaterPolls() {
    QFETCH(QString, when);
    QFETCH(QStringList, afterPoll);
    QVERIFY(detect("--model 0x3C -t 12.3 --rh 45 -v 0.5 --stray-byte " + when, 0x3C));
    QStringList expected = detection(0x3C) + QStringList{"I FF"};
    QTRY_COMPARE(m_instrument->transcript(), expected);
    for (int i = 0; i < 3; ++i) {
        FMain->PollInstrument();
        settleLink();
        expected += poll({0x00, 0x7B, 0x01, 0xC2, 0x00, 0x32}, {}) + afterPoll;
        QTRY_COMPARE(m_instrument->transcript(), expected);
    }
    QCOMPARE(FMain->Log.count(0), qsizetype(3));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(FMain->Log.y(0, i), 12.3);
        QCOMPARE(FMain->Log.y(1, i), 45.0);
        QCOMPARE(FMain->Log.y(4, i), 0.5);
    }
    QVERIFY(m_instrument->stop());
    QCOMPARE(m_instrument->transcriptSummary(),
             QStringLiteral("summary wrong-echoes=0 abandoned=0"));
}

// The user deletes the comN link during a run: the port is gone, even though the
// device it named is still there.
void RunControl::removedLinkEndsTheRun() {
    QVERIFY(detect(QStringLiteral("--model 0x3C"), 0x3C));
    FMain->TimerInterval->setInterval(QuietIntervalMs);
    settleLink(); // a poll under way ends first
    FMain->ButtonStartStopClick();
    settleLink();
    FMain->PollInstrument();
    settleLink();
    QCOMPARE(FMain->Log.count(0), qsizetype(1));

    QVERIFY(QFile::remove(PortMap::linkPath(1)));
    FMain->PollInstrument();
    settleLink();
    QCOMPARE(FMain->panelText(3), NoAnswer);
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QVERIFY(!FMain->TimerInterval->isActive());
    QCOMPARE(FMain->Log.count(0), qsizetype(1));
    // Nothing went to the device: the marker follows the one poll directly.
    QtSerialDevice device;
    QVERIFY(device.open(m_instrument->devicePath()));
    device.writeByte(0x55);
    device.close();
    QTRY_COMPARE(m_instrument->transcript(), detection(0x3C) + Probe +
                                                 poll({0x00, 0xC8, 0x01, 0xC2, 0x00, 0x32}, {}) +
                                                 QStringList{MarkerLine});
}

// The emulator misbehaves after one poll; the script says what the test does then: "tick"
// runs a poll, "gone" and "back" wait for the emulator to say it vanished and came back.
// `after` is the dialogue from the first poll on to the second, if there is one.
void RunControl::linkFaultOption_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("rideOut");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("missed");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("status"); // empty: polling again
    const QString silent = QStringLiteral("--silent-after 1 --silent-polls 3");
    const QString vanish = QStringLiteral("--vanish-after 4 --vanish-for 2");
    const QString relink = QStringLiteral("H 37 H 37 I 37 H A7 I A7 I 3C H 3C");
    QTest::newRow("off: a silent poll ends the run")
        << 0x3C << false << silent << "tick" << 0 << "H 37"
        << "COM1" << NoAnswer;
    QTest::newRow("on: three silent polls")
        << 0x3C << true << silent << "tick tick tick tick" << 3 << "H 37 H 37 H 37"
        << "COM1"
        << "";
    QTest::newRow("on: gone and back")
        << 0x3C << true << vanish << "tick gone tick back tick tick" << 3 << relink << "COM1"
        << "";
    QTest::newRow("on: back as COM2") << 0x3C << true << vanish + " --return-as COM2"
                                      << "tick gone tick back tick tick" << 3 << relink << "COM2"
                                      << "";
    QTest::newRow("on: back as another model")
        << 0x3C << true << vanish + " --return-model 0x3E"
        << "tick gone tick back tick" << 2 << "H 37 H 37 I 37 H A7 I A7 I 3E H 3E"
        << "COM1"
        << "На COM1 другой прибор (ДАРЕН/22), опрос остановлен";
    // The same model with another head measures other things.
    QTest::newRow("on: back with another head")
        << 0x41 << true << "--vanish-after 6 --vanish-for 2 --head 2 --return-head 1"
        << "tick gone tick back tick" << 2 << ""
        << "COM1"
        << "На COM1 другой прибор (ДАРЕН/25, гол.2), опрос остановлен";
}

void RunControl::linkFaultOption() {
    QFETCH(int, model);
    QFETCH(bool, rideOut);
    QFETCH(QString, fault);
    QFETCH(QString, script);
    QFETCH(int, missed);
    QFETCH(QString, after);
    QFETCH(QString, port);
    QFETCH(QString, status);
    QVERIFY(detect(QStringLiteral("--model %1 ").arg(model) + fault, model));
    FOptions->CheckBoxLinkFaults->setChecked(rideOut);
    FOptions->CheckBoxT->setChecked(true); // t 20 is an alarm from the first poll on
    FOptions->EditTmax->setText(QStringLiteral("10"));
    FMain->TimerInterval->setInterval(QuietIntervalMs);
    settleLink(); // a poll under way ends first
    FMain->ButtonStartStopClick();
    settleLink();
    FMain->PollInstrument();
    settleLink();
    for (const QString& step : args(script)) {
        if (step == QLatin1String("tick")) {
            FMain->PollInstrument();
            settleLink();
        } else if (step == QLatin1String("gone")) {
            QTRY_VERIFY(m_instrument->output().contains(QStringLiteral("vanished")));
        } else {
            QTRY_COMPARE(m_instrument->output().count(QStringLiteral("ready")), 2);
        }
    }
    const bool polling = status.isEmpty();
    QCOMPARE(FMain->panelText(3), polling ? QStringLiteral("Чтение данных ...") : status);
    const bool running = rideOut && !status.endsWith(QStringLiteral("опрос остановлен"));
    QCOMPARE(FMain->ButtonStartStop->text(),
             running ? QStringLiteral("Стоп") : QStringLiteral("Старт"));
    QCOMPARE(FMain->panelText(0), port);
    QCOMPARE(FMain->Log.count(0), qsizetype(polling ? 2 : 1));
    QCOMPARE(FMain->Log.missedPolls().size(), std::size_t(missed));
    QCOMPARE(FMain->Log.gapBefore(0, 1), missed > 0);

    // The events window a minute later: the first poll's alarm ended with the run, or goes
    // on with it.
    m_now = m_now.addSecs(60);
    FMain->N13->trigger();
    const QAbstractItemModel* events = FEvents->TableEvents->model();
    QVERIFY2(events->data(events->index(0, EventTable::End)).toString() ==
                 (running ? "продолжается" : "06.05.2024 07:00:00"),
             "the alarm's end is not the end of the run");

    // A crash now: the restored recording has the run's gaps and missed polls.
    FMain->recording()->waitUntilWritten();
    MeasurementLog afterCrash;
    RecordingDatabase db;
    QVERIFY(db.open(FMain->recording()->path(), true) && db.readInto(afterCrash, {}));
    QVERIFY2(afterCrash.gapBefore(0, 1) == FMain->Log.gapBefore(0, 1) &&
                 MeasurementReport::build(afterCrash, {}).facts ==
                     MeasurementReport::build(FMain->Log, {}).facts,
             "after a crash the chart and the report lose the run's missed polls");
    if (model != 0x3C)
        return; // its exchanges are another model's
    const QStringList onePoll = poll({0x00, 0xC8, 0x01, 0xC2, 0x00, 0x32}, {});
    sendMarker();
    QTRY_COMPARE(m_instrument->transcript(), detection(0x3C) + Probe + onePoll + dialogue(after) +
                                                 (polling ? onePoll : QStringList()) +
                                                 QStringList{MarkerLine});
}

// An instrument that answers the search's probe but not the model query, then a good
// one in its place: the search, which runs here as in the program, finds it again and
// detection runs anew.
void RunControl::detectionRecoversOnceInstrumentAnswers() {
    m_forms.reset();
    SetSerialDeviceFactory({});
    m_forms = std::make_unique<MainWindowFixture>(MainWindowFixture::WithSearch);
    m_instrument = std::make_unique<EmulatorProcess>(args("--as COM1 --model 0x3D --stop-after 0"));
    QVERIFY(m_instrument->start());
    FMain->TimerDetekt->start(50);
    // Probe, model query without model byte, and the search's probe again.
    const QStringList recovering = dialogue("H 37 I 37 H A7 I A7 H 37 I 37");
    QTRY_VERIFY_WITH_TIMEOUT(m_instrument->transcript().mid(0, recovering.size()) == recovering,
                             10000);
    QVERIFY(!FMain->ButtonStartStop->isEnabled());

    QVERIFY(replaceInstrument(QStringLiteral("--model 0x3D")));
    QTRY_COMPARE_WITH_TIMEOUT(FMain->panelText(3), Ready, 10000);
    QCOMPARE(FMain->panelText(1), QStringLiteral("ДАРЕН/21"));
    QVERIFY(FMain->ButtonStartStop->isEnabled());
    QTRY_COMPARE(m_instrument->transcript().mid(m_instrument->transcript().size() - 4),
                 detection(0x3D));
}

void RunControl::tickAndStopDuringASlowPoll_data() {
    QTest::addColumn<bool>("clearToo");
    QTest::newRow("Стоп") << false;
    QTest::newRow("Очистить, then Стоп") << true;
}

// A slow instrument's poll runs on the link thread: a tick during it is skipped, not
// queued, and Стоп pressed during it ends the run once the poll's values are logged.
// Очистить pressed during it empties the log after the poll, so that poll is gone too.
void RunControl::tickAndStopDuringASlowPoll() {
    QFETCH(bool, clearToo);
    QVERIFY(detect(QStringLiteral("--model 0x3C --slow 100"), 0x3C));
    FMain->TimerInterval->setInterval(QuietIntervalMs);
    FMain->ButtonStartStopClick();
    settleLink();
    FMain->PollInstrument();
    QVERIFY(FMain->session()->isExchanging());
    FMain->PollInstrument();
    if (clearToo)
        FMain->ButtonClearClick();
    FMain->ButtonStartStopClick();
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Стоп"));
    settleLink();
    QCOMPARE(FMain->Log.count(0), qsizetype(clearToo ? 0 : 1));
    QCOMPARE(FMain->StaticTextT->text(), clearToo ? QStringLiteral("0.0") : QStringLiteral("20"));
    QCOMPARE(FMain->ButtonStartStop->text(), QStringLiteral("Старт"));
    QVERIFY(!FMain->TimerInterval->isActive());
    sendMarker();
    const QStringList onePoll = poll({0x00, 0xC8, 0x01, 0xC2, 0x00, 0x32}, {});
    QTRY_COMPARE(m_instrument->transcript(),
                 detection(0x3C) + Probe + onePoll + Probe + QStringList{MarkerLine});
}

void RunControl::leavingDuringRunSendsNothing_data() {
    QTest::addColumn<bool>("scheduled");
    QTest::newRow("free-running") << false;
    QTest::newRow("scheduled polling") << true;
}

void RunControl::leavingDuringRunSendsNothing() {
    QFETCH(bool, scheduled);
    QVERIFY(detect(QStringLiteral("--model 0x3C"), 0x3C));
    FOptions->CheckBoxTimer->setChecked(scheduled);
    FOptions->MaskEditTimeN->setText(QStringLiteral("07:00"));
    FMain->TimerInterval->setInterval(PollIntervalMs);
    FMain->show();
    FMain->ButtonStartStopClick();
    settleLink();
    if (scheduled)
        scheduleTick(QTime(7, 0, 20));
    QTRY_VERIFY(FMain->Log.count(0) >= 1);
    const qsizetype polls = FMain->Log.count(0);

    FMain->N9Click();
    QVERIFY(!FMain->isVisible());
    QVERIFY(!FMain->TimerInterval->isActive());
    QVERIFY(!FMain->TimerPeriod->isActive());
    settleLink(); // a poll under way gives up at its next read, and is not logged
    QCOMPARE(FMain->Log.count(0), polls);
    ComPort.Abandoned.store(false); // for the marker only
    sendMarker();
    const QStringList onePoll = poll({0x00, 0xC8, 0x01, 0xC2, 0x00, 0x32}, {});
    const QStringList logged = detection(0x3C) + Probe + repeated(onePoll, polls);
    QTRY_VERIFY2(m_instrument->transcript().indexOf(MarkerLine, logged.size()) >= 0,
                 qPrintable(m_instrument->transcript().join(u' ')));
    const QStringList all = m_instrument->transcript();
    QCOMPARE(all.mid(0, logged.size()), logged);
    // At most the poll that was under way: what it had sent before the end (the instrument
    // may still answer the marker, which it takes for an echo).
    const QStringList rest =
        all.mid(logged.size(), all.indexOf(MarkerLine, logged.size()) - logged.size());
    QVERIFY2(rest.size() <= onePoll.size(), qPrintable(rest.join(u' ')));
    QCOMPARE(rest, onePoll.mid(0, rest.size()));
}

QTEST_MAIN(RunControl)
#include "run_control.moc"
