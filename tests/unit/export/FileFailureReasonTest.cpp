#include "export/FileFailureReason.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(std::errc)

// The reasons of a failed save that the user reads in Russian, and the system's own words
// kept for every other.
class FileFailureReasonTest : public QObject {
    Q_OBJECT

private slots:
    void reasons_data() {
        QTest::addColumn<std::errc>("error");
        QTest::addColumn<QString>("expected"); // empty: the system's own words
        QTest::newRow("missing folder")
            << std::errc::no_such_file_or_directory << "нет такой папки";
        QTest::newRow("no permission") << std::errc::permission_denied << "нет прав на запись";
        QTest::newRow("not permitted")
            << std::errc::operation_not_permitted << "нет прав на запись";
        QTest::newRow("read-only")
            << std::errc::read_only_file_system << "файловая система доступна только для чтения";
        QTest::newRow("disk full") << std::errc::no_space_on_device << "на диске нет места";
        QTest::newRow("file size limit")
            << std::errc::file_too_large << "файл достиг предельного размера";
        QTest::newRow("a file in a folder's place")
            << std::errc::not_a_directory << "нет такой папки";
        QTest::newRow("file in use") << std::errc::text_file_busy << "файл занят другой программой";
        QTest::newRow("device busy")
            << std::errc::device_or_resource_busy << "файл занят другой программой";
        QTest::newRow("a folder of that name")
            << std::errc::is_a_directory << "под этим именем уже есть папка";
        QTest::newRow("name too long") << std::errc::filename_too_long << "";
        QTest::newRow("input/output error") << std::errc::io_error << "";
    }
    void reasons() {
        QFETCH(std::errc, error);
        QFETCH(QString, expected);
        // As std::filesystem reports it, and as a file device words it.
        const std::error_code code = std::make_error_code(error);
        const QString system = qt_error_string(static_cast<int>(error));
        const QString reason = expected.isEmpty() ? system : expected;
        QCOMPARE(FileFailureReason(code, system), reason);
        QCOMPARE(FileFailureReason(system), reason);
        QCOMPARE(FileFailureReason(code),
                 expected.isEmpty() ? QString::fromLocal8Bit(code.message()) : expected);
    }

    // A real full device, as a file reports it.
    void fullDevice() {
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            QSKIP("no /dev/full here");
        QCOMPARE(full.write(QByteArray(16, 'x')), qint64(-1));
        QCOMPARE(FileFailureReason(full.errorString()), QStringLiteral("на диске нет места"));
    }
};

QTEST_GUILESS_MAIN(FileFailureReasonTest)
#include "FileFailureReasonTest.moc"
