#include "Formoptions.h"

#include "measurement/Rounding.h"
#include "measurement/ValueText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

void TFOptions::buildNormLimitsRow() {
    ButtonNormLimits = new QPushButton(QStringLiteral("Пределы по норме"), this);
    ButtonNormLimits->setObjectName(QStringLiteral("ButtonNormLimits"));
    ButtonNormLimits->setGeometry(2, 372, 140, 25);
    ButtonNormLimits->setEnabled(false);
    LabelNormLimits =
        new QLabel(QStringLiteral("Тревога — на десятую за допустимыми величинами нормы протокола; "
                                  "оценку соответствия даёт протокол."),
                   this);
    LabelNormLimits->setObjectName(QStringLiteral("LabelNormLimits"));
    LabelNormLimits->setGeometry(150, 367, 443, 36);
    LabelNormLimits->setWordWrap(true);
    connect(ButtonNormLimits, &QPushButton::clicked, this, &TFOptions::ButtonNormLimitsClick);
}

void TFOptions::setNormRow(std::optional<NormRow> row) {
    m_normRow = std::move(row);
    ButtonNormLimits->setEnabled(m_normRow.has_value());
}

void TFOptions::ButtonNormLimitsClick() {
    if (!m_normRow)
        return;
    const NormRow& r = *m_normRow;
    // A limit counts its own value as beyond, so each stands a tenth outside the
    // permissible bound; air speed has no lower bound, so its limit lies below zero.
    const struct {
        QCheckBox* box;
        QLineEdit* min;
        QLineEdit* max;
        double low;
        double high;
    } limits[] = {
        {CheckBoxT, EditTmin, EditTmax, r.permissibleTBelow.low - 0.1,
         r.permissibleTAbove.high + 0.1},
        {CheckBoxRH, EditRHmin, EditRHmax, r.permissibleRh.low - 0.1, r.permissibleRh.high + 0.1},
        {CheckBoxV, EditVmin, EditVmax, -0.1,
         std::max(r.permissibleVBelow, r.permissibleVAbove) + 0.1},
    };
    for (const auto& l : limits) {
        l.min->setText(ValueText(RoundToTenth(l.low)));
        l.max->setText(ValueText(RoundToTenth(l.high)));
        if (l.box->isEnabled())
            l.box->setChecked(true);
    }
}
