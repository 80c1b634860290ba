#include "Formlogo.h"

#include "Resources.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTextEdit>

namespace {
const QColor SkyBlue(0xA6, 0xCA, 0xF0);

void paint(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}
} // namespace

TFLogo::TFLogo(QWidget* parent) : SecondaryWindow(parent, Qt::Tool | Qt::FramelessWindowHint) {
    initResources();
    setObjectName(QStringLiteral("FLogo"));
    setFixedSize(604, 211);

    PanelLogo = new QFrame(this);
    PanelLogo->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelLogo->setGeometry(0, 0, 605, 211);

    ImageVilta = new QLabel(PanelLogo);
    ImageVilta->setGeometry(2, 3, 300, 205);
    ImageVilta->setPixmap(QPixmap(QStringLiteral(":/logo.jpg")));

    PanelAtributi = new QFrame(PanelLogo);
    PanelAtributi->setGeometry(304, 0, 300, 211);
    PanelAtributi->setAutoFillBackground(true);
    paint(PanelAtributi, QPalette::Window, SkyBlue);

    // Neutral details of a fictitious maker: the program names no real one.
    Memo1 =
        memo(QRect(4, 12, 292, 38),
             {QStringLiteral("Лаборатория приборов"), QStringLiteral("контроля среды")}, 13, false);
    Memo2 = memo(QRect(4, 64, 292, 19), {QStringLiteral("Разработка и изготовление")}, 12, true);
    Memo3 = memo(QRect(4, 96, 292, 30),
                 {QStringLiteral("Приборы контроля параметров"),
                  QStringLiteral("воздушной среды и освещения")},
                 10, false);
    Memo4 =
        memo(QRect(4, 144, 292, 60),
             {QStringLiteral("Адрес: 000000, г. Условный,"), QStringLiteral("ул. Примерная, д. 0"),
              QStringLiteral("Телефон: +0 (000) 000-00-00"),
              QStringLiteral("Эл. почта: info@example.org")},
             10, false);

    for (QWidget* w : {static_cast<QWidget*>(PanelLogo), static_cast<QWidget*>(ImageVilta),
                       static_cast<QWidget*>(PanelAtributi), Memo1->viewport(), Memo2->viewport(),
                       Memo3->viewport(), Memo4->viewport()})
        w->installEventFilter(this);
}

QTextEdit* TFLogo::memo(const QRect& place, const QStringList& lines, int pointSize, bool italic) {
    auto* m = new QTextEdit(PanelAtributi);
    m->setGeometry(place);
    m->setReadOnly(true);
    m->setFrameStyle(QFrame::NoFrame);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setTextInteractionFlags(Qt::NoTextInteraction);
    m->viewport()->setCursor(Qt::ArrowCursor);
    m->document()->setDocumentMargin(0);
    QFont f(QStringLiteral("Serif"), pointSize);
    f.setStyleHint(QFont::Serif);
    f.setBold(true);
    f.setItalic(italic);
    m->setFont(f);
    paint(m, QPalette::Base, SkyBlue);
    paint(m->viewport(), QPalette::Base, SkyBlue);
    m->setPlainText(lines.join(QLatin1Char('\n')));
    QTextCursor all(m->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    // The lines share the block's height evenly, so the last one is not cut off.
    centred.setLineHeight(static_cast<qreal>(place.height()) / lines.size(),
                          QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(centred);
    return m;
}

bool TFLogo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == PanelLogo)
            PanelLogoClick();
        else if (watched == ImageVilta)
            ImageViltaClick();
        else if (watched == PanelAtributi)
            PanelAtributiClick();
        else if (watched == Memo1->viewport())
            Memo1Click();
        else if (watched == Memo2->viewport())
            Memo2Click();
        else if (watched == Memo3->viewport())
            Memo3Click();
        else if (watched == Memo4->viewport())
            Memo4Click();
        else
            return QWidget::eventFilter(watched, event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The card itself, where no part covers it (its last pixel column).
void TFLogo::mouseReleaseEvent(QMouseEvent* event) {
    PanelLogoClick();
    event->accept();
}

void TFLogo::PanelLogoClick() {
    close();
}
void TFLogo::ImageViltaClick() {
    close();
}
void TFLogo::PanelAtributiClick() {
    close();
}
void TFLogo::Memo1Click() {
    close();
}
void TFLogo::Memo2Click() {
    close();
}
void TFLogo::Memo3Click() {
    close();
}
void TFLogo::Memo4Click() {
    close();
}
