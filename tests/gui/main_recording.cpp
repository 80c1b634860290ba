// The main window's recording of the log: the question before leaving with unsaved
// polls, the offer of a recording left by a dead program, and damaged files set aside.
#include "MainWindowFixture.h"
#include "measurement/PollReading.h"
#include "recording/MeasurementFile.h"
#include "recording/RecordingDatabase.h"
#include "recording/RecordingFolder.h"
#include "recording/RecordingWriter.h"
#include "report/MeasuringPoints.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <sqlite3.h>

namespace {
const QString DeadName = QStringLiteral("log-20261201-120000-999999.db");

void poll(int times, int model = 60) {
    FMain->ModelCode = static_cast<std::int8_t>(model); // 60: t, RH, wet-bulb, dew point, V
    for (int i = 0; i < times; ++i) {
        PollReading r;
        r.AcceptedT = 20.5f + static_cast<float>(i);
        r.AcceptedRH = 40.25f - static_cast<float>(i);
        r.AcceptedV = 0.3f * static_cast<float>(i);
        r.AcceptedE = 1.5f + static_cast<float>(i);
        r.ERange = 2;
        r.AcceptedL = 7.25f;
        r.LRange = 1;
        r.AcceptedUV = 0.125f * static_cast<float>(i);
        r.UVRange = 3;
        FMain->showPoll(r);
    }
}

// Every point of the log, its missed polls and events, as lines to compare.
QStringList contents(const MeasurementLog& log) {
    QStringList lines;
    for (int s = 0; s < MeasurementLog::SeriesCount; ++s)
        for (qsizetype i = 0; i < log.count(s); ++i)
            lines << QStringLiteral("%1 %2 %3 %4")
                         .arg(s)
                         .arg(log.y(s, i), 0, 'g', 17)
                         .arg(log.time(s, i).toString(Qt::ISODate))
                         .arg(log.gapBefore(s, i));
    for (const QDateTime& t : log.missedPolls())
        lines << QStringLiteral("missed ") + t.toString(Qt::ISODate);
    for (const LogEvent& e : log.events().all())
        lines << QStringLiteral("event %1 %2 %3 %4 %5 %6 %7 %8")
                     .arg(e.kind)
                     .arg(e.series)
                     .arg(e.limit)
                     .arg(e.extreme)
                     .arg(e.missedPolls)
                     .arg(e.text, e.start.toString(Qt::ISODateWithMs),
                          e.end.toString(Qt::ISODateWithMs));
    return lines;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void execSql(const QString& file, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}
} // namespace

class MainRecording : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;
    QStringList m_messages;

    QString inState(const QString& name) const {
        QDir().mkpath(m_forms->state.recordings());
        return QDir(m_forms->state.recordings()).filePath(name);
    }
    static QDateTime at(int second) { return QDateTime(QDate(2026, 12, 1), QTime(12, 0, second)); }
    // The events of deadRecording() once restored: an alarm left open, ended at the last
    // poll, and the missed poll's gap.
    static std::vector<LogEvent> deadEvents() {
        LogEvent alarm{LogEvent::Alarm, 0, LimitCrossing::Min, 0, -3.4, 0, at(3), at(9)};
        LogEvent gap{LogEvent::MissedPolls, -1, LimitCrossing::None, 0, 0, 1, at(6), at(9)};
        return {alarm, gap};
    }
    // A recording left by a dead program: the second poll has a point a second late and
    // a missed poll after it; the last has no RH and a Y beyond whole tenths.
    QString deadRecording(const QString& name = DeadName) {
        const QString path = inState(name);
        const qint64 t0 = wallSeconds(at(0));
        RecordedPoll a, b, c;
        a.add(0, 20.1, t0);
        a.add(1, 45, t0);
        b.add(0, -3.4, t0 + 3);
        b.add(1, 46, t0 + 4);
        c.add(0, 3.0e8, t0 + 9);
        auto [alarm, gap] = std::pair(deadEvents()[0], deadEvents()[1]);
        alarm.end = QDateTime();
        LogEvent gapOpen = gap;
        gapOpen.end = QDateTime();
        RecordingDatabase db;
        const bool ok = db.create(path) && db.append(a) && db.append(b, {{0, alarm}}) &&
                        db.appendMissed(t0 + 6, {{1, gapOpen}}) && db.append(c, {{1, gap}}) &&
                        db.writeDetails({{"head", "2"}});
        return ok ? path : QString();
    }
    static std::vector<LogEvent> readBack(const QString& path) {
        RecordingDatabase db;
        MeasurementLog log;
        return db.open(path, true) && db.readInto(log, {}) ? log.events().all()
                                                           : std::vector<LogEvent>{};
    }

    QByteArray csvOf(const QString& path) {
        QSignalSpy done(FMain, &TFMain::exportFinished);
        FMain->RunFileDialog = [&](QFileDialog* d) {
            d->selectFile(path);
            return true;
        };
        FMain->CSV1->trigger();
        return done.wait() ? readAll(path) : QByteArray();
    }

private slots:
    void init() {
        m_forms = std::make_unique<MainWindowFixture>();
        m_messages.clear();
        FMain->ShowMessage = [this](const QString&, const QString& text) { m_messages << text; };
    }
    void cleanup() { m_forms.reset(); }

    // Rows: polls, whether exported first, the answer, whether the save dialog is accepted.
    void leaving_data() {
        QTest::addColumn<int>("polls");
        QTest::addColumn<bool>("exported");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("closes");
        QTest::newRow("empty log") << 0 << false << "" << false << true;
        QTest::newRow("all exported") << 3 << true << "" << true << true;
        QTest::newRow("Отмена") << 3 << false << "Отмена" << false << false;
        QTest::newRow("Не сохранять") << 3 << false << "Не сохранять" << false << true;
        QTest::newRow("Сохранить…") << 3 << false << "Сохранить…" << true << true;
        QTest::newRow("Сохранить…, cancelled") << 3 << false << "Сохранить…" << false << false;
    }
    void leaving() {
        QFETCH(int, polls);
        QFETCH(bool, exported);
        QFETCH(QString, answer);
        QFETCH(bool, accept);
        QFETCH(bool, closes);
        QTemporaryDir dir;
        QStringList proposed;
        FMain->RunFileDialog = [&](QFileDialog* d) {
            // The exit question proposes the measurement file, the one that loses nothing.
            proposed << QFileInfo(d->selectedFiles().value(0)).fileName();
            d->selectFile(dir.filePath(proposed.back()));
            return accept;
        };
        QSignalSpy exports(FMain, &TFMain::exportFinished);
        FMain->show();
        poll(polls);
        if (exported) {
            FMain->EXL1Click();
            QVERIFY(exports.wait());
        }
        m_forms->answers = QStringList{answer};
        FMain->N9Click();
        QTRY_COMPARE(FMain->isVisible(), !closes);
        QCOMPARE(exports.size(), int(accept));
        if (answer == QStringLiteral("Сохранить…"))
            QVERIFY2(proposed.back().endsWith(QStringLiteral("Измерения.vilta")),
                     qPrintable(proposed.join(',')));
        QCOMPARE(m_forms->questions,
                 answer.isEmpty() ? QStringList{}
                                  : QStringList{"В журнале есть несохранённые измерения (3). "
                                                "Сохранить их перед выходом?"});
        // The end of the program removes the recording, whatever was asked.
        FMain->recording()->waitUntilWritten();
        QCOMPARE(QFile::exists(FMain->recording()->path()), polls > 0);
        const QString folder = m_forms->state.recordings();
        m_forms.reset();
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{});
    }

    // The real question box: Enter takes its default, Escape and the close box put off.
    void exitQuestionKeys_data() {
        QTest::addColumn<int>("key"); // 0: the close box
        QTest::addColumn<bool>("saves");
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("close box") << 0 << false;
    }
    void exitQuestionKeys() {
        QFETCH(int, key);
        QFETCH(bool, saves);
        FMain->Ask = m_forms->messageBox;
        int saveDialogs = 0;
        FMain->RunFileDialog = [&](QFileDialog*) { return ++saveDialogs < 0; };
        FMain->show();
        poll(3);
        QString asked;
        QTimer::singleShot(0, FMain, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked = box->text() + " / " + box->defaultButton()->text();
            if (key == 0)
                box->close();
            else
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key(key));
        });
        FMain->N9Click();
        QVERIFY2(FMain->isVisible(), "the program quit without saving the polls");
        QCOMPARE(saveDialogs, int(saves));
        QCOMPARE(asked, QStringLiteral("В журнале есть несохранённые измерения (3). Сохранить "
                                       "их перед выходом? / Сохранить…"));
    }

    void offer_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("sql");
        QTest::newRow("restore") << QStringList{"Восстановить"} << true << true << "";
        // A file of the first schema: no events but the gap its missed poll makes.
        QTest::newRow("restore, schema 1")
            << QStringList{"Восстановить"} << true << true
            << "DROP TABLE event; DROP TABLE run; PRAGMA user_version = 1";
        // Schema 2: events without texts, no details of the run.
        QTest::newRow("restore, schema 2")
            << QStringList{"Восстановить"} << true << true
            << "ALTER TABLE event DROP COLUMN text; DROP TABLE run; PRAGMA user_version = 2";
        QTest::newRow("keep") << QStringList{"Оставить на потом"} << false << true << "";
        QTest::newRow("delete") << QStringList{"Удалить…", "Удалить"} << false << false << "";
        QTest::newRow("delete, then not")
            << QStringList{"Удалить…", "Не удалять"} << false << true << "";
    }
    void offer() {
        QFETCH(QStringList, answers);
        QFETCH(bool, restored);
        QFETCH(bool, kept);
        QFETCH(QString, sql);
        const QString path = deadRecording();
        execSql(path, sql.toUtf8().constData());
        // A second instance still running: its recording is neither offered nor touched.
        const QString live = deadRecording(QStringLiteral("log-20261201-130000-999998.db"));
        auto liveLock = RecordingFolder::lockFor(live);
        QVERIFY(!path.isEmpty() && liveLock->tryLock(0));
        m_forms->answers = answers;
        FMain->offerRecordings();
        QCOMPARE(m_forms->questions.size(), answers.size());
        QVERIFY2(m_forms->questions.first().contains(
                     "Начало: 01.12.2026 12:00:00\nКонец: 01.12.2026 12:00:09\n"
                     "Опросов: 3\nПропущенных опросов: 1"),
                 qPrintable(m_forms->questions.first()));
        QCOMPARE(QFile::exists(path), kept);
        QVERIFY(QFile::exists(live));
        const MeasurementLog& log = FMain->Log;
        QCOMPARE(log.count(0), qsizetype(restored ? 3 : 0));
        if (!restored)
            return;
        QCOMPARE((QList<double>{log.y(0, 0), log.y(0, 1), log.y(0, 2), log.y(1, 1)}),
                 (QList<double>{20.1, -3.4, 3.0e8, 46}));
        QCOMPARE(log.TimeLabel(1, 1), QStringLiteral("12:00:04"));
        QCOMPARE(log.missedPolls(),
                 std::vector<QDateTime>{QDateTime(QDate(2026, 12, 1), QTime(12, 0, 6))});
        QVERIFY(log.gapBefore(0, 2) && !log.gapBefore(0, 1));
        QCOMPARE(FMain->unsavedPolls(), qsizetype(3));
        const bool schema1 = sql.contains("DROP TABLE event");
        QCOMPARE(log.events().all(), schema1 ? std::vector{deadEvents()[1]} : deadEvents());
        QCOMPARE(log.detail("head"), sql.isEmpty() ? QStringLiteral("2") : QString());
        // A new run appends to the restored log and to the same file, its events too (the
        // stop the dead program left now ends, a mark set from the menu begins with the
        // new poll), to a file of either schema.
        FMain->AskText = [](const QString&, const QString&, const QString&) {
            return std::optional<QString>(QStringLiteral("Точка 2"));
        };
        FMain->ActionMark->trigger();
        poll(1);
        FMain->recording()->waitUntilWritten();
        QCOMPARE(FMain->recording()->path(), path);
        RecordingDatabase db;
        RecordingDatabase::Summary summary;
        QVERIFY(db.open(path, true) && db.summarize(summary));
        QCOMPARE(summary.polls, qint64(4));
        QCOMPARE(readBack(path), log.events().all());
        QStringList points;
        for (const MeasuringPoint& p : measuringPoints(log))
            points << QStringLiteral("%1 %2").arg(p.name).arg(p.polls);
        QCOMPARE(points, (QStringList{"Без метки 3", "Точка 2 1"}));
        // A mark's text and the run's details go to a file of any schema from now on.
        LogEvent mark{LogEvent::Mark, -1, LimitCrossing::None, 0, 0, 0, at(9), at(9), "Точка 1"};
        FMain->Log.events().append(mark);
        FMain->setLogDetail("head", "3");
        QTRY_COMPARE(readBack(path).back(), mark); // an event alone is written once idle
        MeasurementLog back;
        QVERIFY(db.readInto(back, {}));
        QCOMPARE(back.details(), (QMap<QString, QString>{{"head", "3"}}));
        // "Очистить" empties the file's events with the log's.
        FMain->ButtonClearClick();
        settleLink();
        FMain->recording()->waitUntilWritten();
        QCOMPARE(readBack(path), std::vector<LogEvent>{});
    }

    // Two recordings left behind: the first restored, the second cannot replace it.
    void secondRecordingOnlyKeptOrDeleted() {
        const QString first = inState(QStringLiteral("log-20261201-110000-999997.db"));
        RecordedPoll p;
        p.add(0, 7.5, wallSeconds(at(30)));
        RecordingDatabase db;
        QVERIFY(db.create(first) && db.append(p));
        db.close();
        const QString second = deadRecording();
        m_forms->answers = QStringList{"Восстановить", "Восстановить"};
        FMain->offerRecordings();
        QCOMPARE(m_forms->questions.size(), 2);
        QVERIFY2(m_forms->questions.last().endsWith(
                     "Журнал уже восстановлен из другой записи; эту можно оставить на потом или "
                     "удалить."),
                 qPrintable(m_forms->questions.last()));
        QVERIFY2(FMain->Log.count(0) == 1, "the restored recording was replaced by another");
        QVERIFY2(QFile::exists(second), "the recording not restored was lost");
    }

    // A log saved, cleared and opened again is the same log: its points and times, gaps,
    // events and marks, and the same CSV byte for byte. Saved through the window (from the
    // recording, while polls go on) or from memory (as when the recording stopped).
    void measurementFile_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<bool>("fromMemory");
        QTest::newRow("climatic, restored part") << 60 << true << false;
        QTest::newRow("climatic, restored part, from memory") << 60 << true << true;
        QTest::newRow("optical E and L, from memory") << 61 << false << true;
        QTest::newRow("optical E and UV") << 62 << false << false;
    }
    void measurementFile() {
        QFETCH(int, model);
        QFETCH(bool, restored);
        QFETCH(bool, fromMemory);
        QDateTime clock = at(30);
        FMain->Clock = [&] { return clock = clock.addSecs(3); };
        if (restored) {
            QVERIFY(!deadRecording().isEmpty());
            m_forms->answers = QStringList{"Восстановить"};
            FMain->offerRecordings();
        }
        poll(4, model);
        LogEvent mark{LogEvent::Mark, -1,    LimitCrossing::None,    0, 0, 0,
                      clock,          clock, "Точка 1, высота 1,1 м"};
        FMain->Log.events().append(mark);
        poll(2, model);
        FMain->Log.events().runEnded(clock); // as "Стоп" ends a run
        const QStringList before = contents(FMain->Log);
        QTemporaryDir dir;
        const QByteArray csv = csvOf(dir.filePath("before.csv"));
        const QString file = dir.filePath("m.vilta");
        if (fromMemory) {
            QString reason;
            QVERIFY2(MeasurementFile::writeLog(FMain->Log, file, reason), qPrintable(reason));
        } else {
            QSignalSpy saved(FMain, &TFMain::exportFinished);
            FMain->RunFileDialog = [&](QFileDialog* d) {
                d->selectFile(file);
                return true;
            };
            FMain->MeasurementsAction->trigger();
            poll(2, model); // polling goes on: these stay out of the file, and unsaved
            QVERIFY(saved.wait());
            QCOMPARE(FMain->unsavedPolls(), qsizetype(2));
            QCOMPARE(FMain->windowTitle().left(8), QStringLiteral("m.vilta*"));
        }
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0)));
        FMain->ButtonClearClick();
        settleLink();
        QVERIFY(FMain->openMeasurementFile(file));
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0)));
        QCOMPARE(contents(FMain->Log), before);
        QCOMPARE(csvOf(dir.filePath("after.csv")), csv);
        QCOMPARE(FMain->unsavedPolls(), qsizetype(0));
        QCOMPARE(FMain->windowTitle().left(8), QStringLiteral("m.vilta "));
        // Continuing it appends to a copy: the file stays as saved.
        const QByteArray saved = readAll(file);
        poll(1, model);
        FMain->recording()->waitUntilWritten();
        QVERIFY(FMain->recording()->path() != file);
        QCOMPARE(readAll(file), saved);
        QCOMPARE(FMain->unsavedPolls(), qsizetype(1));
    }

    // Opening over unsaved polls asks the exit question's question, "Открыть" in place of
    // leaving; a file named at start (a double-click) is asked about the same way.
    void openAsksFirst_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("Открыть") << "Открыть" << true;
        QTest::newRow("Отмена") << "Отмена" << false;
    }
    void openAsksFirst() {
        QFETCH(QString, answer);
        QFETCH(bool, opened);
        QTemporaryDir dir;
        const QString file = dir.filePath("m.vilta");
        poll(2);
        QString reason;
        QVERIFY2(MeasurementFile::writeLog(FMain->Log, file, reason), qPrintable(reason));
        poll(1);
        m_forms->answers = QStringList{answer};
        FMain->openFile(file);
        QCOMPARE(m_forms->questions, QStringList{"В журнале есть несохранённые измерения (3). "
                                                 "Сохранить их перед открытием файла?"});
        QCOMPARE(FMain->Log.count(0), qsizetype(opened ? 2 : 3));
        QCOMPARE(FMain->measurementFile(), opened ? QFileInfo(file).absoluteFilePath() : QString());
    }

    // "Старт" on a file made by another model or head is refused, naming both; the log
    // stays as the file left it.
    void startRefusesAnotherInstrument() {
        QTemporaryDir dir;
        const QString file = dir.filePath("m.vilta");
        poll(2, 61);
        FMain->setLogDetail(MeasurementFile::modelKey(), "ВИЛТА-61");
        FMain->setLogDetail(MeasurementFile::headKey(), "без головки");
        FMain->setLogDetail(MeasurementFile::modelCodeKey(), "61");
        FMain->setLogDetail(MeasurementFile::headCodeKey(), "0");
        QString reason;
        QVERIFY2(MeasurementFile::writeLog(FMain->Log, file, reason), qPrintable(reason));
        FMain->ButtonClearClick();
        settleLink();
        QVERIFY(FMain->openMeasurementFile(file));
        FMain->ModelCode = 60;
        FMain->ButtonStartStopClick();
        settleLink();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().startsWith("Файл «m.vilta» записан прибором ВИЛТА-61 (без "
                                               "головки), а подключён прибор"),
                 qPrintable(m_messages.first()));
        QVERIFY(!FMain->TimerInterval->isActive());
        QCOMPARE(FMain->Log.count(0), qsizetype(2));
    }

    // A file of these bytes, or one of our recordings (ours) or a new database, changed by
    // sql, then cut to cutTo bytes.
    void damaged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ours");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("cutTo");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("openReason"); // the same file opened as measurements
        QByteArray noise;
        for (uint i = 0; i < 8192; ++i)
            noise += char(qHash(i));
        QTest::newRow("truncated mid-page")
            << QByteArray() << true << "" << 6000 << "файл повреждён или обрезан"
            << "файл повреждён или обрезан";
        QTest::newRow("zero bytes") << QByteArray("") << false << "" << 0 << "файл пуст"
                                    << "файл пуст";
        QTest::newRow("random bytes")
            << noise << false << "" << 0 << "файл не является базой данных SQLite"
            << "файл не является базой данных SQLite";
        QTest::newRow("foreign SQLite file")
            << QByteArray() << false << "CREATE TABLE poll(id INTEGER PRIMARY KEY, t, c1)" << 0
            << "это не запись журнала этой программы"
            << "это не файл измерений этой программы";
        QTest::newRow("newer schema") << QByteArray() << true << "PRAGMA user_version = 4" << 0
                                      << "запись сделана более новой версией программы"
                                      << "файл сделан более новой версией программы";
        // Ours in name only: a trigger added to our schema.
        QTest::newRow("extra schema object")
            << QByteArray() << true
            << "CREATE TRIGGER t AFTER INSERT ON poll BEGIN DELETE FROM poll; END" << 0 << ""
            << "это не файл измерений этой программы";
    }
    void damaged() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ours);
        QFETCH(QString, sql);
        QFETCH(int, cutTo);
        QFETCH(QString, reason);
        QFETCH(QString, openReason);
        const QString path = ours ? deadRecording() : inState(DeadName);
        QFile file(path);
        QVERIFY(bytes.isNull() || (file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0));
        file.close();
        if (!sql.isEmpty())
            execSql(path, sql.toUtf8().constData());
        QVERIFY(cutTo == 0 || file.resize(cutTo));
        // A journal beside the file: polls committed to the journal only go aside with it,
        // whatever the file's damage.
        const bool journal = true;
        QFile wal(path + "-wal");
        QVERIFY(!journal || (wal.open(QIODevice::WriteOnly) && wal.write("journal") == 7));
        wal.close();
        // Opened as a measurement file (from anyone): a message naming it, the log as it
        // was, the file as it was.
        poll(2);
        const QStringList before = contents(FMain->Log);
        QTemporaryDir dir;
        const QString copy = dir.filePath("m.vilta");
        QVERIFY(QFile::copy(path, copy));
        const QByteArray bytesBefore = readAll(copy);
        QVERIFY(!FMain->openMeasurementFile(copy));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first(),
                 QStringLiteral("Не удалось открыть файл «m.vilta»: %1.").arg(openReason));
        QCOMPARE(contents(FMain->Log), before);
        QCOMPARE(readAll(copy), bytesBefore);
        FMain->ButtonClearClick();
        settleLink();
        m_messages.clear();
        if (reason.isEmpty())
            return; // a recording with a trigger is still read as one
        FMain->offerRecordings();
        QCOMPARE(m_forms->questions, QStringList{});
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(reason), qPrintable(m_messages.first()));
        QVERIFY(!QFile::exists(path) && QFile::exists(inState("damaged-" + DeadName)));
        QFile aside(inState("damaged-" + DeadName + "-wal"));
        QVERIFY2(!journal || (aside.open(QIODevice::ReadOnly) && aside.readAll() == "journal"),
                 "the journal's polls were not kept beside the damaged recording");
        // The program goes on as usual and records its own run.
        poll(2);
        FMain->recording()->waitUntilWritten();
        QVERIFY(QFile::exists(FMain->recording()->path()));
        QVERIFY(FMain->RecordingNote->isHidden());
    }
};

QTEST_MAIN(MainRecording)
#include "main_recording.moc"
