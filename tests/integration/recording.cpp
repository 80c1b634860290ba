// The recording as it survives the program: killed with SIGKILL at many moments of the
// poll and of the commit, the next start offers what the window had shown and restores
// it exactly; and a disk that takes no more leaves the polls going on.
#include "IsolatedStateFolder.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

namespace {

// The complete lines a child printed so far (a killed child's last line may be cut).
QStringList lines(QProcess& child, QByteArray& pending) {
    pending += child.readAllStandardOutput();
    QStringList complete;
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
        complete << QString::fromUtf8(pending.left(end));
        pending.remove(0, end + 1);
    }
    return complete;
}

QStringList polls(const QStringList& output) {
    QStringList found;
    for (const QString& line : output)
        if (line.startsWith(QLatin1String("poll ")))
            found << line;
    return found;
}

// Runs the driver to its end and gives its lines.
QStringList runDriver(const QStringList& arguments, const QString& shellPrefix = {}) {
    QProcess child;
    if (shellPrefix.isEmpty()) {
        child.start(QStringLiteral(VILTA_RECORDING_DRIVER), arguments);
    } else {
        const QStringList shell{QStringLiteral("-c"), shellPrefix + " exec \"$0\" \"$@\"",
                                QStringLiteral(VILTA_RECORDING_DRIVER)};
        child.start(QStringLiteral("sh"), shell + arguments);
    }
    if (!child.waitForFinished(60000))
        child.kill();
    QByteArray pending;
    return lines(child, pending);
}

} // namespace

class Recording : public QObject {
    Q_OBJECT

private slots:
    void killedAnywhereRestoresWhatWasShown();
    void fullDiskLeavesPollingGoingOn();
};

void Recording::killedAnywhereRestoresWhatWasShown() {
    IsolatedStateFolder state;
    QRandomGenerator random(20261208);
    constexpr int KillPoints = 32;
    int missingOne = 0;
    for (int k = 0; k < KillPoints; ++k) {
        QProcess child;
        child.start(QStringLiteral(VILTA_RECORDING_DRIVER), {QStringLiteral("poll")});
        QVERIFY(child.waitForStarted());
        // At least two polls, so that one is on disk whatever the moment; then a moment
        // anywhere in the next poll's cycle of show, print and commit.
        const int shownBefore = 2 + random.bounded(12);
        QByteArray pending;
        QStringList shown;
        while (shown.size() < shownBefore) {
            QVERIFY2(child.waitForReadyRead(20000), "the driver stopped polling");
            shown += lines(child, pending);
        }
        QThread::usleep(random.bounded(6000));
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        shown = polls(shown + lines(child, pending));

        const QStringList output = runDriver({QStringLiteral("restore")});
        const QStringList restored = polls(output);
        const QString question = output.filter(QStringLiteral("question ")).value(0);
        QVERIFY2(question.contains(QStringLiteral("Опросов: %1").arg(restored.size())),
                 qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(question)));
        QVERIFY2(restored.size() >= shown.size() - 1 && restored.size() <= shown.size() + 1,
                 qPrintable(QStringLiteral("kill %1: shown %2, restored %3")
                                .arg(k)
                                .arg(shown.size())
                                .arg(restored.size())));
        const qsizetype common = std::min(shown.size(), restored.size());
        QCOMPARE(restored.mid(0, common), shown.mid(0, common));
        missingOne += restored.size() < shown.size();
        // The restoring run ended normally: it left nothing for the next start.
        QCOMPARE(QDir(state.recordings()).entryList(QDir::Files), QStringList());
    }
    qInfo("%d of %d kills fell between a poll shown and its commit", missingOne, KillPoints);
}

void Recording::fullDiskLeavesPollingGoingOn() {
    IsolatedStateFolder state;
    // The files of this process may grow to 40 kB: the recording runs out of room
    // after a few hundred polls, as on a full disk.
    const QStringList output = runDriver({QStringLiteral("poll"), QStringLiteral("2000")},
                                         QStringLiteral("trap '' XFSZ; ulimit -f 40;"));
    QCOMPARE(polls(output).size(), 2000);
    QVERIFY(output.contains(QStringLiteral("logged 2000")));
    const QString note = output.filter(QStringLiteral("note ")).value(0);
    QVERIFY2(note.startsWith(QStringLiteral("note Запись журнала на диск остановлена: ")),
             qPrintable(note));
}

QTEST_MAIN(Recording)
#include "recording.moc"
