#include "TextQuestion.h"

#include <QInputDialog>
#include <QLineEdit>

namespace {
// A mark's text heads a chart line and a table row: a few words, not a paragraph.
constexpr int MaximumLength = 80;
} // namespace

std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                               const QString& proposed) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("TextQuestion"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(proposed);
    if (auto* edit = dialog.findChild<QLineEdit*>())
        edit->setMaxLength(MaximumLength);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
