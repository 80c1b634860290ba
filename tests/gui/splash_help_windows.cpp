#include "windows/Formhelp.h"
#include "windows/Formlogo.h"

#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <memory>

class SplashHelpWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void logoIsAJpegOfItsSize() {
        QVERIFY(QImageReader::supportedImageFormats().contains("jpeg"));
        QImageReader reader(QStringLiteral(":/logo.jpg"));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(300, 205));
    }

    void splashLayout() {
        TFLogo logo;
        QCOMPARE(logo.size(), QSize(604, 211));
        QVERIFY(logo.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(logo.ImageVilta->geometry(), QRect(2, 3, 300, 205));
        QCOMPARE(logo.ImageVilta->pixmap().size(), QSize(300, 205));
        QCOMPARE(logo.PanelAtributi->geometry(), QRect(304, 0, 300, 211));
        QCOMPARE(logo.PanelAtributi->palette().color(QPalette::Window), QColor(0xA6, 0xCA, 0xF0));
        struct Memo {
            QTextEdit* memo;
            QRect place;
            int lines;
            int pointSize;
            bool italic;
        };
        for (const Memo& m : {Memo{logo.Memo1, QRect(4, 12, 292, 38), 2, 13, false},
                              Memo{logo.Memo2, QRect(4, 64, 292, 19), 1, 12, true},
                              Memo{logo.Memo3, QRect(4, 96, 292, 30), 2, 10, false},
                              Memo{logo.Memo4, QRect(4, 144, 292, 60), 4, 10, false}}) {
            QCOMPARE(m.memo->geometry(), m.place);
            QVERIFY(m.memo->isReadOnly());
            QCOMPARE(m.memo->document()->blockCount(), m.lines);
            QCOMPARE(m.memo->font().pointSize(), m.pointSize);
            QVERIFY(m.memo->font().bold());
            QCOMPARE(m.memo->font().italic(), m.italic);
            QCOMPARE(m.memo->document()->firstBlock().blockFormat().alignment() & Qt::AlignHCenter,
                     Qt::AlignHCenter);
            QCOMPARE(m.memo->palette().color(QPalette::Base), QColor(0xA6, 0xCA, 0xF0));
        }
    }

    void anyClickClosesTheSplash_data() {
        QTest::addColumn<QString>("part");
        QTest::newRow("PanelLogo") << "PanelLogo";
        QTest::newRow("ImageVilta") << "ImageVilta";
        QTest::newRow("PanelAtributi") << "PanelAtributi";
        QTest::newRow("Memo1") << "Memo1";
        QTest::newRow("Memo2") << "Memo2";
        QTest::newRow("Memo3") << "Memo3";
        QTest::newRow("Memo4") << "Memo4";
    }

    void anyClickClosesTheSplash() {
        QFETCH(QString, part);
        TFLogo logo;
        QWidget* target = part == "PanelLogo"       ? logo.PanelLogo
                          : part == "ImageVilta"    ? logo.ImageVilta
                          : part == "PanelAtributi" ? logo.PanelAtributi
                          : part == "Memo1"         ? logo.Memo1->viewport()
                          : part == "Memo2"         ? logo.Memo2->viewport()
                          : part == "Memo3"         ? logo.Memo3->viewport()
                                                    : logo.Memo4->viewport();
        // A spot of the part that no other part covers.
        QPoint spot = target->rect().center();
        if (part == "PanelLogo")
            spot = QPoint(1, 1);
        else if (part == "PanelAtributi")
            spot = QPoint(150, 56);
        logo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&logo));
        QCOMPARE(target->childAt(spot), nullptr);
        QTest::mouseClick(target, Qt::LeftButton, {}, spot);
        QVERIFY(logo.isHidden());
        // Hidden, not gone: it shows again as it was.
        logo.show();
        QVERIFY(logo.isVisible());
        QCOMPARE(logo.ImageVilta->pixmap().size(), QSize(300, 205));
    }

    void helpLayout() {
        TFHelp help;
        QCOMPARE(help.windowTitle(), QString("Помощь"));
        QCOMPARE(help.size(), QSize(462, 477));
        QCOMPARE(help.MemoHelp->geometry(), QRect(0, 0, 461, 449));
        QCOMPARE(help.MemoHelp->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(!help.MemoHelp->isReadOnly());
        QCOMPARE(help.MemoHelp->palette().color(QPalette::Base),
                 help.palette().color(QPalette::ToolTipBase));
        QCOMPARE(help.ButtonCloseHelp->text(), QString("Закрыть"));
        QCOMPARE(help.ButtonCloseHelp->geometry(), QRect(0, 451, 461, 25));
        help.show();
        QTest::mouseClick(help.ButtonCloseHelp, Qt::LeftButton);
        QVERIFY(help.isHidden());
    }

    void instructionShape() {
        TFHelp help;
        const QStringList lines = help.MemoHelp->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 73);
        QCOMPARE(help.MemoHelp->document()->blockCount(), 73);
        QVERIFY(lines.last().endsWith(QString("прибор (от 3 до 600с).")));
        const QList<qsizetype> indents{0, 3, 7, 14, 21, 28};
        for (const QString& line : lines) {
            qsizetype lead = 0;
            while (lead < line.size() && line.at(lead) == QLatin1Char(' '))
                ++lead;
            if (lead == line.size()) {
                QVERIFY2(line.isEmpty(), "a separating line holds no blanks");
                continue;
            }
            QVERIFY2(indents.contains(lead), qPrintable(line));
            // The only lines starting with "- " are the list items, indented by 3.
            QCOMPARE(line.mid(lead).startsWith(QLatin1String("- ")), lead == 3);
        }
    }

    void instructionBlocks_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("indent");
        QTest::newRow("title") << "ИНСТРУКЦИЯ ПОЛЬЗОВАТЕЛЯ" << 28;
        QTest::newRow("warning") << "ВНИМАНИЕ !!!" << 7;
        QTest::newRow("first step") << "вначале запустить программу;" << 7;
        QTest::newRow("second step") << "затем включить прибор." << 7;
        QTest::newRow("chapter 1") << "МОНИТОР КАНАЛОВ" << 21;
        QTest::newRow("chapter 2") << "НАСТРОЙКИ" << 21;
        for (const char* section : {"ВЫХОД", "СТАРТ/СТОП", "ОЧИСТКА", "СОХРАНИТЬ ...", "ПЕЧАТЬ ...",
                                    "МАСШТАБ ГРАФИКОВ", "КРИТИЧЕСКИЕ УРОВНИ", "ТАЙМЕР"})
            QTest::newRow(section) << QString::fromUtf8(section) << 14;
    }

    void instructionBlocks() {
        QFETCH(QString, line);
        QFETCH(int, indent);
        const QStringList lines = TFHelp::instruction().split(QLatin1Char('\n'));
        const QString expected = QString(indent, QLatin1Char(' ')) + line;
        QCOMPARE(lines.count(expected), 1);
        const auto at = lines.indexOf(expected);
        // Each heading but the warning's steps starts a block after a blank line.
        if (indent >= 14 && at > 0)
            QCOMPARE(lines.at(at - 1), QString());
    }

    void instructionOrderAndSaving() {
        const QString text = TFHelp::instruction();
        QVERIFY(text.contains("\nДля работы с прибором необходимо: \n"));
        qsizetype last = -1;
        for (const char* heading :
             {"ВНИМАНИЕ !!!", "МОНИТОР КАНАЛОВ", "ВЫХОД", "СТАРТ/СТОП", "ОЧИСТКА", "СОХРАНИТЬ ...",
              "ПЕЧАТЬ ...", "НАСТРОЙКИ", "МАСШТАБ ГРАФИКОВ", "КРИТИЧЕСКИЕ УРОВНИ", "ТАЙМЕР"}) {
            const qsizetype at = text.indexOf(QString::fromUtf8(heading));
            QVERIFY2(at > last, heading);
            last = at;
        }
        // The workbook is written by the program itself: no spreadsheet program is needed.
        const QString saving = text.mid(text.indexOf("СОХРАНИТЬ ..."),
                                        text.indexOf("ПЕЧАТЬ ...") - text.indexOf("СОХРАНИТЬ ..."));
        QVERIFY(saving.contains(".xlsx"));
        QVERIFY(saving.contains("не нужно"));
        QVERIFY(!text.contains("Excel"));
    }

    // Whatever was typed, a new start shows the instruction again.
    void typedTextIsNotKept() {
        auto help = std::make_unique<TFHelp>();
        help->show();
        QTest::keyClicks(help->MemoHelp, "abc");
        QVERIFY(help->MemoHelp->toPlainText() != TFHelp::instruction());
        help = std::make_unique<TFHelp>();
        QCOMPARE(help->MemoHelp->toPlainText(), TFHelp::instruction());
    }
};

QTEST_MAIN(SplashHelpWindowsTest)
#include "splash_help_windows.moc"
