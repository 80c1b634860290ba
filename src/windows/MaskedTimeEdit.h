#pragma once

#include <QLineEdit>

// A five-character time field "hh:mm": an optional and a required hour digit, the
// separator, two required minute digits; empty places are shown as "_".
//
// text() gives the field as the rest of the program compares it with the clock: five
// characters with the separator kept and empty places as blanks ("  :  " when empty,
// " 8:30" for a one-digit hour, "08:30"). Qt's own text() drops the blanks instead, so
// this class hides it; use the field through a MaskedTimeEdit pointer.
class MaskedTimeEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit MaskedTimeEdit(QWidget* parent = nullptr);

    QString text() const;
    // Takes the same five-character form; blanks mark empty places.
    void setText(const QString& text);
};
