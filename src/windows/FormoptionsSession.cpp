// What the run needs of this window, handed on as plain values whenever a control it
// reads changes, so that no poll reads a widget.
#include "Formoptions.h"
#include "MaskedTimeEdit.h"
#include "measurement/Channel.h"
#include "measurement/ScheduleTime.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {
struct LimitRow {
    Channel channel;
    QCheckBox* TFOptions::*enable;
    QLineEdit* TFOptions::*min;
    QLineEdit* TFOptions::*max;
};

constexpr LimitRow LimitRows[] = {
    {Channel::T, &TFOptions::CheckBoxT, &TFOptions::EditTmin, &TFOptions::EditTmax},
    {Channel::RH, &TFOptions::CheckBoxRH, &TFOptions::EditRHmin, &TFOptions::EditRHmax},
    {Channel::V, &TFOptions::CheckBoxV, &TFOptions::EditVmin, &TFOptions::EditVmax},
    {Channel::E, &TFOptions::CheckBoxE, &TFOptions::EditEmin, &TFOptions::EditEmax},
    {Channel::L, &TFOptions::CheckBoxL, &TFOptions::EditLmin, &TFOptions::EditLmax},
    {Channel::UV, &TFOptions::CheckBoxUV, &TFOptions::EditUVmin, &TFOptions::EditUVmax},
};
} // namespace

SessionSettings TFOptions::sessionSettings() const {
    SessionSettings s;
    for (const LimitRow& row : LimitRows) {
        LimitSetting& limit = s.limits[static_cast<std::size_t>(seriesIndex(row.channel))];
        limit.enabled = (this->*row.enable)->isChecked();
        limit.min = (this->*row.min)->text();
        limit.max = (this->*row.max)->text();
    }
    s.scheduled = CheckBoxTimer->isChecked();
    s.windowStart = scheduleFieldTime(MaskEditTimeN->text()).value_or(QTime());
    s.windowEnd = scheduleFieldTime(MaskEditTimeK->text()).value_or(QTime());
    s.rideOutLinkFaults = CheckBoxLinkFaults->isChecked();
    return s;
}

void TFOptions::connectSessionSettings() {
    const auto changed = [this] { emit sessionSettingsChanged(sessionSettings()); };
    for (const LimitRow& row : LimitRows) {
        connect(this->*row.enable, &QCheckBox::toggled, this, changed);
        connect(this->*row.min, &QLineEdit::textChanged, this, changed);
        connect(this->*row.max, &QLineEdit::textChanged, this, changed);
    }
    connect(CheckBoxTimer, &QCheckBox::toggled, this, changed);
    connect(MaskEditTimeN, &QLineEdit::textChanged, this, changed);
    connect(MaskEditTimeK, &QLineEdit::textChanged, this, changed);
    connect(CheckBoxLinkFaults, &QCheckBox::toggled, this, changed);
}
