// The user's marks: where a measuring point begins.
#include "Formmain.h"

#include "TextQuestion.h"
#include "report/ReportTexts.h"

#include <QMenu>

namespace {
const QString Title = QStringLiteral("Метка");
const QString Prompt =
    QStringLiteral("Короткий текст метки, например «Точка 1, высота 1,1 м».\nБез текста метка "
                   "получит номер.");
} // namespace

void TFMain::MarkClick() {
    // The instrument has just been moved: the mark begins with the next poll.
    const auto text = AskText(Title, Prompt, QString());
    if (text)
        Log.events().setMark(*text);
}

void TFMain::chartPointChosen(const QDateTime& poll, const QPoint& globalPos) {
    if (!poll.isValid())
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ChartMenu"));
    QAction* mark = menu.addAction(
        QStringLiteral("Метка с опроса %1 ...").arg(ReportTexts::dateTimeText(poll)));
    if (RunMenu(&menu, globalPos) != mark)
        return;
    const auto text = AskText(Title, Prompt, QString());
    if (text)
        Log.events().setMarkAt(poll, *text);
}
