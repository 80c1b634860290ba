// Qt's own texts in the program's dialogs are Russian whatever the regional settings:
// CTest runs this under a Russian and under an English LANG.
#include "MainWindowFixture.h"
#include "windows/QtTranslations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {
// The texts of the dialog's visible buttons, without their mnemonic marks.
QStringList buttonTexts(QDialog* dialog) {
    QStringList texts;
    for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisibleTo(dialog) && !b->text().isEmpty())
            texts << b->text().remove(u'&');
    return texts;
}
} // namespace

class RussianDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> m_forms;

private slots:
    void initTestCase() {
        const QString lang = qEnvironmentVariable("LANG");
        QVERIFY2(!lang.isEmpty() && qEnvironmentVariableIsEmpty("LC_ALL"), "run me through CTest");
        // The regional settings are the ones the test is run under.
        QCOMPARE(QLocale::system().name(), lang.section(u'.', 0, 0));
        QVERIFY(installQtTranslations(qApp));
    }
    void init() { m_forms = std::make_unique<MainWindowFixture>(); }
    void cleanup() { m_forms.reset(); }

    void saveAndPrintDialogsSpeakRussian_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("save the chart") << "BMP1";
        QTest::newRow("save the log") << "EXL1";
        QTest::newRow("save the log as CSV") << "CSV1";
        QTest::newRow("printer setup") << "N3";
    }
    void saveAndPrintDialogsSpeakRussian() {
        QFETCH(QString, command);
        QStringList seen;
        const auto look = [&seen](QDialog* d) {
            d->show();
            seen = buttonTexts(d);
            d->hide();
            return false;
        };
        FMain->RunFileDialog = look;
        FMain->RunPrintDialog = look;
        FMain->findChild<QAction*>(command)->trigger();
        QVERIFY(seen.size() >= 2);
        static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
        for (const QString& text : std::as_const(seen))
            QVERIFY2(!text.contains(latin), qPrintable(seen.join(u'|')));
        if (command != u"N3")
            QVERIFY2(seen.contains(QStringLiteral("Сохранить")) &&
                         seen.contains(QStringLiteral("Отмена")),
                     qPrintable(seen.join(u'|')));
    }
};

QTEST_MAIN(RussianDialogs)
#include "russian_dialogs.moc"
