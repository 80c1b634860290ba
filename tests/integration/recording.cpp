// The recording as it survives the program: killed with SIGKILL at many moments of the
// poll and of the commit, the next start offers what the window had shown and restores
// it exactly; and a disk or folder that takes no more leaves the polls going on.
#include "IsolatedStateFolder.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

namespace {

// The complete lines a child printed so far (a killed child's last line may be cut),
// with the polls among them.
struct Output {
    QByteArray pending;
    QStringList lines;
    QStringList polls;
    void read(QProcess& child) {
        pending += child.readAllStandardOutput();
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            lines << QString::fromUtf8(pending.left(end));
            if (lines.last().startsWith(QLatin1String("poll ")))
                polls << lines.last();
        }
    }
};

// Runs the driver to its end, its shell set up by setup (which may set RUN to a command
// that runs it).
Output runDriver(const QStringList& arguments, const QString& setup = {}) {
    QProcess child;
    child.start(
        QStringLiteral("sh"),
        QStringList{"-c", "RUN=; " + setup + " exec $RUN \"$0\" \"$@\"", VILTA_RECORDING_DRIVER} +
            arguments);
    if (!child.waitForFinished(60000))
        child.kill();
    Output out;
    out.read(child);
    return out;
}

} // namespace

class Recording : public QObject {
    Q_OBJECT

private slots:
    void killedAnywhereRestoresWhatWasShown() {
        IsolatedStateFolder state;
        QRandomGenerator random(20261208);
        constexpr int KillPoints = 32;
        int inCommit = 0;
        for (int k = 0; k < KillPoints; ++k) {
            QProcess child;
            child.start(QStringLiteral(VILTA_RECORDING_DRIVER), {QStringLiteral("poll")});
            // At least two polls, so that one is on disk whatever the moment; then a
            // moment anywhere in a poll's cycle of show, print and commit (about 4 ms).
            const int shownBefore = 2 + random.bounded(12);
            Output shown;
            while (shown.polls.size() < shownBefore) {
                QVERIFY2(child.waitForReadyRead(20000), "the driver stopped polling");
                shown.read(child);
            }
            QThread::usleep(random.bounded(6000));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            shown.read(child);

            const Output restore = runDriver({QStringLiteral("restore")});
            const QString what = QStringLiteral("kill %1: shown %2, restored %3")
                                     .arg(k)
                                     .arg(shown.polls.size())
                                     .arg(restore.polls.size());
            QVERIFY2(restore.lines.value(0).contains(
                         QStringLiteral("Опросов: %1").arg(restore.polls.size())),
                     qPrintable(what + restore.lines.value(0)));
            QVERIFY2(std::abs(restore.polls.size() - shown.polls.size()) <= 1, qPrintable(what));
            const qsizetype common = std::min(shown.polls.size(), restore.polls.size());
            QCOMPARE(restore.polls.mid(0, common), shown.polls.mid(0, common));
            inCommit += restore.polls.size() < shown.polls.size();
            // The restoring run ended normally: it left nothing for the next start.
            QCOMPARE(QDir(state.recordings()).entryList(QDir::Files), QStringList());
        }
        qInfo("%d of %d kills fell between a poll shown and its commit", inCommit, KillPoints);
    }

    // A second instance while the first still polls, however long that has been: it
    // neither offers, takes nor removes the first one's recording.
    void runningInstanceKeepsItsRecording() {
        IsolatedStateFolder state;
        QProcess running;
        running.start(QStringLiteral(VILTA_RECORDING_DRIVER), {QStringLiteral("poll")});
        Output shown;
        while (shown.polls.size() < 3) {
            QVERIFY2(running.waitForReadyRead(20000), "the driver stopped polling");
            shown.read(running);
        }
        const QDir folder(state.recordings());
        for (const QString& lock : folder.entryList({QStringLiteral("*.lock")})) {
            QFile file(folder.filePath(lock));
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QDateTime::currentDateTime().addYears(-1),
                                     QFileDevice::FileModificationTime));
        }
        const QStringList recordings = folder.entryList({QStringLiteral("log-*.db")});
        const Output second = runDriver({QStringLiteral("restore")});
        const QStringList left = folder.entryList({QStringLiteral("log-*.db")});
        running.kill();
        QVERIFY(running.waitForFinished(10000));
        QCOMPARE(recordings.size(), 1);
        QVERIFY2(second.lines.filter(QStringLiteral("question")).isEmpty(),
                 "a second instance offered the running one's recording");
        QVERIFY2(left == recordings, "a second instance removed the running one's recording");
    }

    // The state folder takes no more: each row sets up the driver's shell.
    void unwritableDiskLeavesPollingGoingOn_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("reason");
        QTest::newRow("files limited to 40 kB, as on a full disk")
            << "trap '' XFSZ; ulimit -f 40;"
            << "файл достиг предельного размера";
        // Root writes into read-only folders: it runs the driver without that power.
        QTest::newRow("read-only state folder")
            << "mkdir -p \"$F\"; chmod 555 \"$F\"; touch \"$F/x\" 2>/dev/null && rm \"$F/x\" &&"
               " RUN='setpriv --inh-caps=-dac_override,-dac_read_search,-fowner"
               " --bounding-set=-dac_override,-dac_read_search,-fowner';"
            << "нет прав на запись";
        QTest::newRow("a file in the state folder's place") << ": > \"$F\";"
                                                            << "нет такой папки";
    }
    void unwritableDiskLeavesPollingGoingOn() {
        QFETCH(QString, setup);
        QFETCH(QString, reason);
        IsolatedStateFolder state;
        qputenv("F", state.recordings().toLocal8Bit());
        const Output out = runDriver({QStringLiteral("poll"), QStringLiteral("2000")}, setup);
        QVERIFY2(!out.lines.isEmpty(), "the driver did not run");
        QCOMPARE(out.polls.size(), 2000);
        QVERIFY(out.lines.contains(QStringLiteral("logged 2000")));
        QCOMPARE(out.lines.filter("note").value(0),
                 QStringLiteral("note Запись журнала на диск остановлена: ") + reason);
    }
};

QTEST_MAIN(Recording)
#include "recording.moc"
