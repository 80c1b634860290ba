// Publishing against a real mosquitto broker on 127.0.0.1, started by the test with a
// config of its own: what a subscriber receives, login and TLS, a wrong password, an
// untrusted certificate, and a broker that goes away mid-run and comes back.
#include "session/MqttPublisher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString Prefix = QStringLiteral("vilta/test");
const QString User = QStringLiteral("site");
const QString Password = QStringLiteral("s3cret");

// A CA that signs the broker's certificate for 127.0.0.1, a stranger CA the broker never
// saw, and the password file for the user; run in the broker's folder.
const char* const MakeSecrets = R"(set -e
for ca in ca stranger; do
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
    -keyout $ca.key -out $ca.crt -subj /CN=$ca
done
openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key \
  -out server.csr -subj /CN=127.0.0.1
echo subjectAltName=IP:127.0.0.1 > san.ext
openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
  -extfile san.ext -out server.crt
mosquitto_passwd -b -c passwords "$1" "$2")";

// A broker of the test's own: its config, password file and certificates in a temporary
// folder. As root the broker stays root (user root), so it reads them wherever they are.
class Broker {
public:
    explicit Broker(bool secured) : m_secured(secured) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
        probe.close();
        QString config = QStringLiteral("listener %1 127.0.0.1\nuser root\n"
                                        "persistence false\nlog_dest stderr\n")
                             .arg(m_port);
        if (secured) {
            QProcess make;
            make.setWorkingDirectory(m_dir.path());
            make.setProcessChannelMode(QProcess::MergedChannels);
            make.start("sh", {"-c", MakeSecrets, "sh", User, Password});
            QVERIFY(make.waitForFinished(60000));
            QVERIFY2(make.exitCode() == 0, make.readAll().constData());
            config +=
                QStringLiteral("allow_anonymous false\npassword_file %1\n"
                               "cafile %2\ncertfile %3\nkeyfile %4\n")
                    .arg(path("passwords"), path("ca.crt"), path("server.crt"), path("server.key"));
        } else {
            config += QStringLiteral("allow_anonymous true\n");
        }
        QFile file(path("mosquitto.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(config.toUtf8());
    }
    ~Broker() { stop(); }

    void start() {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start("mosquitto", {"-c", path("mosquitto.conf")});
        QTRY_VERIFY_WITH_TIMEOUT(running(), 10000);
    }
    void stop() {
        m_process.terminate();
        m_process.waitForFinished(10000);
        m_log.clear();
    }
    bool running() {
        m_log += m_process.readAll();
        return m_log.contains(" running");
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    int port() const { return m_port; }

    // mosquitto_sub's options for this broker, trusting its CA and logging in.
    QStringList clientOptions() const {
        QStringList options{"-h", "127.0.0.1", "-p", QString::number(m_port)};
        if (m_secured)
            options << "--cafile" << path("ca.crt") << "-u" << User << "-P" << Password;
        return options;
    }

private:
    QTemporaryDir m_dir;
    bool m_secured;
    int m_port = 0;
    QProcess m_process;
    QByteArray m_log;
};

// A subscriber to everything the publisher and the dashboards' discovery put out.
class Subscriber {
public:
    explicit Subscriber(const Broker& broker) {
        // Line-buffered: its debug lines tell when the subscription holds.
        m_process.start("stdbuf",
                        QStringList{"-oL", "mosquitto_sub"} + broker.clientOptions() +
                            QStringList{"-d", "-v", "-t", Prefix + "/#", "-t", "homeassistant/#"});
        QTRY_VERIFY_WITH_TIMEOUT(subscribed(), 10000);
    }
    ~Subscriber() {
        m_process.kill();
        m_process.waitForFinished();
    }
    // The payloads received on a topic, in their order.
    QList<QByteArray> on(const QString& topic) {
        read();
        QList<QByteArray> payloads;
        for (const QByteArray& line : std::as_const(m_lines)) {
            if (line.startsWith(topic.toUtf8() + ' '))
                payloads << line.mid(topic.toUtf8().size() + 1);
        }
        return payloads;
    }
    QJsonObject json(const QString& topic, qsizetype index = 0) {
        return QJsonDocument::fromJson(on(topic).value(index)).object();
    }
    // The "time" of each state received.
    QStringList stateTimes() {
        QStringList times;
        for (qsizetype i = 0; i < on(Prefix + "/state").size(); ++i)
            times << json(Prefix + "/state", i).value("time").toString();
        return times;
    }

private:
    bool subscribed() {
        read();
        return m_subscribed;
    }
    void read() {
        m_pending += m_process.readAllStandardOutput();
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
            m_lines << m_pending.left(end);
            m_subscribed |= m_lines.last().contains("SUBACK");
        }
    }
    QProcess m_process;
    QByteArray m_pending;
    bool m_subscribed = false;
    QList<QByteArray> m_lines;
};

PublishedPoll poll(int second) {
    const QDateTime time(QDate(2026, 12, 9), QTime(8, 0, second), Qt::OffsetFromUTC, 3 * 3600);
    return {time,
            {{"t", 21.5 + second}, {"rh", 40.2}, {"e", 312}},
            second % 2 ? QStringList{"t"} : QStringList{}};
}

QString timeOf(int second) {
    return QStringLiteral("2026-12-09T08:00:%1+03:00").arg(second, 2, 10, QLatin1Char('0'));
}

} // namespace

class MqttPublish : public QObject {
    Q_OBJECT

private slots:
    void publishes_data() {
        QTest::addColumn<QString>("ca"); // given: login and TLS
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QString>("stopReason"); // empty: publishes from the start

        const QString ip = QStringLiteral("127.0.0.1");
        const QString untrusted = QStringLiteral("сертификат брокера не прошёл проверку");
        QTest::newRow("plain") << QString() << QString() << ip << false << QString();
        QTest::newRow("login and TLS") << "ca" << Password << ip << false << QString();
        QTest::newRow("wrong password")
            << "ca"
            << "wrong" << ip << false
            << QStringLiteral("брокер не принял имя пользователя или пароль");
        QTest::newRow("untrusted certificate")
            << "stranger" << Password << ip << false << untrusted;
        QTest::newRow("certificate of another host")
            << "ca" << Password << "localhost" << false << untrusted;
        QTest::newRow("broker restarted") << QString() << QString() << ip << true << QString();
    }

    void publishes() {
        QFETCH(QString, ca);
        QFETCH(QString, password);
        QFETCH(QString, host);
        QFETCH(bool, restart);
        QFETCH(QString, stopReason);

        const bool secured = !ca.isEmpty();
        Broker broker(secured);
        broker.start();
        Subscriber subscriber(broker);

        MqttSettings settings;
        settings.host = host;
        settings.port = broker.port();
        settings.topicPrefix = Prefix;
        settings.haDiscovery = true;
        settings.queueLimit = 2;
        if (secured) {
            settings.user = User;
            settings.passwordFile = broker.path("password");
            QFile file(settings.passwordFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(password.toUtf8() + '\n');
            settings.caFile = broker.path(ca + ".crt");
        }
        auto publisher = std::make_unique<MqttPublisher>(settings);
        QSignalSpy stopped(publisher.get(), &MqttPublisher::publishingStopped);
        QSignalSpy resumed(publisher.get(), &MqttPublisher::publishingResumed);
        publisher->setChannels({{"t", "Температура", "*С"}, {"l", "Яркость", "Кд/м²"}});
        publisher->enqueue(poll(1));
        publisher->enqueue(poll(2));

        if (!stopReason.isEmpty()) {
            QVERIFY(stopped.wait(15000));
            QCOMPARE(stopped.at(0).at(0).toString(), stopReason);
            QVERIFY(subscriber.on(Prefix + "/state").isEmpty());
            QVERIFY(subscriber.on(Prefix + "/status").isEmpty());
            return;
        }

        QTRY_COMPARE_WITH_TIMEOUT(subscriber.stateTimes(), QStringList({timeOf(1), timeOf(2)}),
                                  10000);
        const QJsonObject first = subscriber.json(Prefix + "/state");
        QCOMPARE(first.value("t").toDouble(), 22.5);
        QCOMPARE(first.value("rh").toDouble(), 40.2);
        QCOMPARE(first.value("alarm").toArray(), QJsonArray({"t"}));
        QCOMPARE(subscriber.on(Prefix + "/status"), QList<QByteArray>{"online"});
        // A dashboard's sensors: a device class only where it has one for the unit.
        const QJsonObject t = subscriber.json("homeassistant/sensor/vilta_test/t/config");
        QCOMPARE(t.value("device_class").toString(), QStringLiteral("temperature"));
        QCOMPARE(t.value("unit_of_measurement").toString(), QStringLiteral("°C"));
        QCOMPARE(t.value("availability_topic").toString(), Prefix + "/status");
        const QJsonObject l = subscriber.json("homeassistant/sensor/vilta_test/l/config");
        QVERIFY(!l.contains("device_class"));
        QCOMPARE(l.value("unit_of_measurement").toString(), QStringLiteral("Кд/м²"));

        int newest = 2;
        if (restart) {
            broker.stop();
            QVERIFY(stopped.wait(15000));
            QCOMPARE(stopped.at(0).at(0).toString(), QStringLiteral("брокер недоступен"));
            // More polls than the outbox holds while the broker is away: the oldest go.
            for (newest = 3; newest <= 6; ++newest)
                publisher->enqueue(poll(newest));
            --newest;
            QCOMPARE(publisher->droppedPolls(), qint64(2));
            broker.start();
            QVERIFY(resumed.wait(30000));
            QCOMPARE(stopped.count(), 1);
        }
        // What a dashboard opened now shows first: the newest poll, retained.
        const auto retained = [&broker](const QString& topic) {
            QProcess client;
            client.start("mosquitto_sub",
                         broker.clientOptions() + QStringList{"-C", "1", "-W", "2", "-t", topic});
            client.waitForFinished(15000);
            return client.readAllStandardOutput().trimmed();
        };
        QTRY_COMPARE_WITH_TIMEOUT(
            QJsonDocument::fromJson(retained(Prefix + "/state")).object().value("time").toString(),
            timeOf(newest), 15000);

        // Leaving says offline to whoever watches.
        publisher.reset();
        QCOMPARE(retained(Prefix + "/status"), QByteArray("offline"));
    }
};

QTEST_GUILESS_MAIN(MqttPublish)
#include "mqtt_publish.moc"
