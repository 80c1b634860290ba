#include "MaskedTimeEdit.h"

namespace {
constexpr QChar Blank = u'_';
constexpr QChar Space = u' ';
} // namespace

MaskedTimeEdit::MaskedTimeEdit(QWidget* parent) : QLineEdit(parent) {
    // Qt's mask letters: 0 an optional digit, 9 a required one.
    setInputMask(QStringLiteral("09:99;_"));
}

QString MaskedTimeEdit::text() const {
    QString t = displayText();
    t.replace(Blank, Space);
    // A one-digit hour typed into the first place is still a one-digit hour: the missing
    // optional digit is kept as a leading blank.
    if (t.size() >= 2 && t.at(0) != Space && t.at(1) == Space) {
        t[1] = t.at(0);
        t[0] = Space;
    }
    return t;
}

void MaskedTimeEdit::setText(const QString& text) {
    QString t = text;
    t.replace(Space, Blank);
    QLineEdit::setText(t);
}
