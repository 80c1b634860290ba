#include "Formhelp.h"

#include "Resources.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

TFHelp::TFHelp(QWidget* parent)
    : SecondaryWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FHelp"));
    setWindowTitle(QStringLiteral("Помощь"));
    setFixedSize(462, 477);

    // Typing into the field is allowed, but nothing keeps it: each start shows the
    // instruction afresh.
    MemoHelp = new QPlainTextEdit(this);
    MemoHelp->setGeometry(0, 0, 461, 449);
    MemoHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoHelp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette p = MemoHelp->palette();
    p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
    p.setColor(QPalette::Text, p.color(QPalette::ToolTipText));
    MemoHelp->setPalette(p);
    MemoHelp->setPlainText(instruction());

    ButtonCloseHelp = new QPushButton(QStringLiteral("Закрыть"), this);
    ButtonCloseHelp->setGeometry(0, 451, 461, 25);
    connect(ButtonCloseHelp, &QPushButton::clicked, this, &TFHelp::ButtonCloseHelpClick);
}

QString TFHelp::instruction() {
    initResources();
    QFile file(QStringLiteral(":/help-ru.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

void TFHelp::ButtonCloseHelpClick() {
    close();
}
