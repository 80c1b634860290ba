// The norm files: the shipped one, a user's broken one, a user's other document.
#include "norms/NormLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class NormFiles : public QObject {
    Q_OBJECT

private slots:
    void shippedFileHoldsEveryRow() {
        NormLibrary library;
        library.load({QStringLiteral(VILTA_SOURCE_DIR "/resources/norms")});
        QCOMPARE(library.problems(), QStringList());
        const NormDocument* doc = library.document(QStringLiteral("СанПиН 1.2.3685-21"));
        QVERIFY(doc);
        QVERIFY(!doc->checkedAgainst.isEmpty());
        for (const char* category : {"Iа", "Iб", "IIа", "IIб", "III"})
            for (YearPeriod period : {YearPeriod::Cold, YearPeriod::Warm}) {
                const NormRow* row = doc->row(QString::fromUtf8(category), period);
                QVERIFY2(row, category);
                QVERIFY(!row->energy.isEmpty());
                QCOMPARE(row->humidityCaps.size(), period == YearPeriod::Warm ? 4u : 0u);
            }
    }

    void userFilesAddDocumentsAndBrokenOnesAreSkipped() {
        QTemporaryDir user;
        auto write = [&](const QString& name, const QByteArray& text) {
            QFile f(user.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        write(QStringLiteral("broken.json"),
              "{\n  \"document\": \"Сломанный\",\n  \"rows\": [\n    {,\n");
        write(QStringLiteral("office.json"), R"({"document": "Нормы офиса", "rows": [
            {"category": "Iа", "period": "тёплый",
             "optimal": {"t": [22, 24], "rh": [40, 60], "v": 0.1},
             "permissible": {"tBelow": [20, 21.9], "tAbove": [24.1, 26], "rh": [30, 70],
                             "vBelow": 0.1, "vAbove": 0.2}}]})");
        NormLibrary library;
        library.load({QStringLiteral(VILTA_SOURCE_DIR "/resources/norms"), user.path()});
        QStringList titles;
        for (const NormDocument& d : library.documents())
            titles << d.title;
        QCOMPARE(titles, QStringList({QStringLiteral("СанПиН 1.2.3685-21"),
                                      QStringLiteral("Нормы офиса")}));
        QCOMPARE(library.problems().size(), 1);
        const QString problem = library.problems().first();
        QVERIFY2(problem.contains(QStringLiteral("«broken.json»")), qPrintable(problem));
        QVERIFY2(problem.contains(QStringLiteral("строке 4")), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(NormFiles)
#include "norm_files.moc"
