// The Linux port map: which system device each port number gets, and which device a
// found port keeps using.
#include "IsolatedPortMap.h"
#include "ScriptedInstrument.h"
#include "link/PortMap.h"
#include "link/Unitcomport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class PortMapTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetComPortState(); }
    void cleanup() {
        ResetComPortState();
        PortMap::setDeviceLister({});
        PortMap::setEnumerationEnabled(false);
    }

    void ranking_data();
    void ranking();
    void foundPortKeepsItsDevice_data();
    void foundPortKeepsItsDevice();

private:
    IsolatedPortMap m_ports;
};

void PortMapTest::ranking_data() {
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QStringList>("ranked");
    QTest::newRow("nothing") << QStringList{} << QStringList{};
    QTest::newRow("groups, numbers compared as numbers")
        << QStringList{"/dev/ttyS1",   "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyS0",
                       "/dev/ttyUSB2", "/dev/ttyACM1",  "/dev/ttyS10",  "/dev/ttyUSB0"}
        << QStringList{"/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0",
                       "/dev/ttyACM1", "/dev/ttyS0",   "/dev/ttyS1",    "/dev/ttyS10"};
    QTest::newRow("other devices left out")
        << QStringList{"/dev/ttyAMA0", "/dev/rfcomm0",  "/dev/ttyS3", "/dev/ttyUSB",
                       "/dev/pts/4",   "/dev/ttyUSB1x", "/dev/xttyS2"}
        << QStringList{"/dev/ttyS3"};
}

void PortMapTest::ranking() {
    QFETCH(QStringList, system);
    QFETCH(QStringList, ranked);
    QCOMPARE(PortMap::rankDevices(system), ranked);
}

// A port found through a comN link lasts as long as the link; a port found in the
// system's list keeps its device even when the list changes (a poll does not read it).
void PortMapTest::foundPortKeepsItsDevice_data() {
    QTest::addColumn<bool>("linked");
    QTest::addColumn<QString>("afterwards");
    QTest::newRow("found through a link, link removed") << true << QString();
    QTest::newRow("found in the system's list") << false << QStringLiteral("/dev/ttyUSB1");
}

void PortMapTest::foundPortKeepsItsDevice() {
    QFETCH(bool, linked);
    QFETCH(QString, afterwards);
    ScriptedInstrument instrument;
    QStringList system{"/dev/ttyUSB1"};
    PortMap::setDeviceLister([&system] { return system; });
    PortMap::setEnumerationEnabled(true);
    QVERIFY(QDir().mkpath(PortMap::linkFolder()));
    const QString target = QDir(PortMap::linkFolder()).filePath(QStringLiteral("device"));
    {
        QFile device(target);
        QVERIFY(device.open(QIODevice::WriteOnly));
    }
    if (linked)
        QVERIFY(QFile::link(target, PortMap::linkPath(1)));

    // As the search leaves the link state when COM1 answers.
    const PortMap::Pass pass = PortMap::devicesForPass();
    QCOMPARE(pass[0].linked, linked);
    QVERIFY(OpenPortDevice(pass[0]));
    ClosePort();
    ComPort.PortNumber = 1;
    ComPort.InstrumentFound.store(1);

    QFile::remove(PortMap::linkPath(1));
    system = {"/dev/ttyUSB0", "/dev/ttyUSB1"};
    OpenPort(1);
    ClosePort();
    QCOMPARE(ComPort.DeviceName, afterwards);
}

QTEST_GUILESS_MAIN(PortMapTest)
#include "port_map.moc"
