#include "Formoptions.h"

#include "MaskedTimeEdit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <utility>

namespace {
// Series of the visibility boxes, in channel order.
constexpr int SeriesT = 0, SeriesRH = 1, SeriesTvl = 2, SeriesTtr = 3, SeriesV = 4, SeriesE = 7,
              SeriesL = 8, SeriesUV = 9;

QCheckBox* checkBox(QWidget* parent, const QString& caption, const QRect& place, bool checked,
                    bool enabled) {
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(place);
    box->setChecked(checked);
    box->setEnabled(enabled);
    return box;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLabel* sunkenText(QWidget* parent, const QString& text, const QRect& place) {
    auto* l = new QLabel(text, parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setGeometry(place);
    // "Max 200000" has to fit into the 45 px box.
    QFont narrow = l->font();
    narrow.setStretch(QFont::Condensed);
    narrow.setPointSize(7);
    l->setFont(narrow);
    l->setIndent(0);
    return l;
}

QSlider* trackBar(QWidget* parent, const QRect& place, int minimum, int maximum, int position,
                  int tick, QSlider::TickPosition ticks) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setGeometry(place);
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    bar->setSingleStep(1);
    bar->setPageStep(2);
    bar->setTickInterval(tick);
    bar->setTickPosition(ticks);
    return bar;
}

// A condensed face of the same size: long captions and "08:30" fit their boxes.
QFont condensed(const QWidget* w) {
    QFont f = w->font();
    f.setStretch(QFont::Condensed);
    return f;
}

QLineEdit* limitField(QWidget* parent, int x, int y) {
    auto* field = new QLineEdit(QStringLiteral("0.0"), parent);
    field->setGeometry(x, y, 35, 21);
    return field;
}
} // namespace

TFOptions::TFOptions(QWidget* parent)
    : SecondaryWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FOptions"));
    setWindowTitle(QStringLiteral("Настройки"));
    QFont f = font();
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    setFont(f);
    // Taller than the established form: the link-fault option has a row of its own, and
    // so have the limits taken from the protocol's norm.
    setFixedSize(595, 405);

    buildSeriesGroup();
    buildTimerGroup();
    buildLimitsGroup();
    buildScaleGroup();
    buildIntervalGroup();

    ButtonClose = new QPushButton(QStringLiteral("Закрыть"), this);
    ButtonClose->setGeometry(2, 338, 287, 25);
    buildNormLimitsRow();

    nameControls();
    nameForScreenReaders();
    // Only now: the start captions are not what the handlers would write.
    connectHandlers();
    connectSessionSettings();
}

void TFOptions::nameControls() {
    // Other windows reach these controls by name (detection enables them by name).
    const std::pair<const char*, QWidget*> named[] = {
        {"CheckBox1T", CheckBox1T},         {"CheckBox1RH", CheckBox1RH},
        {"CheckBox1Tvl", CheckBox1Tvl},     {"CheckBox1Ttr", CheckBox1Ttr},
        {"CheckBox1V", CheckBox1V},         {"CheckBox1VR", CheckBox1VR},
        {"CheckBox5", CheckBox5},           {"CheckBox2", CheckBox2},
        {"CheckBox1E", CheckBox1E},         {"CheckBox1L", CheckBox1L},
        {"CheckBox1UV", CheckBox1UV},       {"CheckBoxT", CheckBoxT},
        {"CheckBoxRH", CheckBoxRH},         {"CheckBoxV", CheckBoxV},
        {"CheckBoxE", CheckBoxE},           {"CheckBoxL", CheckBoxL},
        {"CheckBoxUV", CheckBoxUV},         {"CheckBoxBeep", CheckBoxBeep},
        {"CheckBoxTimer", CheckBoxTimer},   {"TrackBarYMax", TrackBarYMax},
        {"TrackBarYMin", TrackBarYMin},     {"TrackBarXKol", TrackBarXKol},
        {"TrackBarInterv", TrackBarInterv}, {"ButtonClose", ButtonClose},
        {"LabelInterv", LabelInterv},       {"CheckBoxLinkFaults", CheckBoxLinkFaults},
    };
    for (const auto& [name, widget] : named)
        widget->setObjectName(QLatin1String(name));
}

void TFOptions::nameForScreenReaders() {
    // Without names of their own, screen readers announce the group's title for every
    // field and bar of a group.
    struct LimitRow {
        QCheckBox* enable;
        QLineEdit* min;
        QLineEdit* max;
        const char* quantity;
    };
    const LimitRow rows[] = {
        {CheckBoxT, EditTmin, EditTmax, "Температура t"},
        {CheckBoxRH, EditRHmin, EditRHmax, "Влажность RH"},
        {CheckBoxV, EditVmin, EditVmax, "Скорость воздуха V"},
        {CheckBoxE, EditEmin, EditEmax, "Освещённость E"},
        {CheckBoxL, EditLmin, EditLmax, "Яркость L"},
        {CheckBoxUV, EditUVmin, EditUVmax, "Энергетическая освещённость UV"},
    };
    for (const LimitRow& row : rows) {
        const QString quantity = QString::fromUtf8(row.quantity);
        row.enable->setAccessibleName(quantity + QStringLiteral(", критические уровни"));
        row.min->setAccessibleName(quantity + QStringLiteral(", минимум"));
        row.max->setAccessibleName(quantity + QStringLiteral(", максимум"));
    }
    const std::pair<QWidget*, const char*> others[] = {
        {TrackBarYMax, "Масштаб Y, максимум"},    {TrackBarYMin, "Масштаб Y, минимум"},
        {TrackBarXKol, "Масштаб X, число точек"}, {TrackBarInterv, "Интервал измерений, секунды"},
        {CheckBoxTimer, "Таймер, вкл./выкл."},    {MaskEditTimeN, "Начало измерений"},
        {MaskEditTimeK, "Конец измерений"},
    };
    for (const auto& [widget, name] : others)
        widget->setAccessibleName(QString::fromUtf8(name));
}

void TFOptions::buildSeriesGroup() {
    GroupBoxSeries = new QGroupBox(QStringLiteral("Измеряемые параметры"), this);
    GroupBoxSeries->setGeometry(2, 4, 287, 229);
    QWidget* g = GroupBoxSeries;
    // The style draws the frame's top line below the title: the rows stand 3 px below
    // their nominal tops, clear of it, and the last one still ends above the bottom line.
    auto row = [](int top) { return QRect(8, top + 3, 273, 17); };
    CheckBox1T = checkBox(g, QStringLiteral("Температура t, *С"), row(16), true, false);
    CheckBox1RH =
        checkBox(g, QStringLiteral("Относительная влажность RH, %"), row(32), true, false);
    CheckBox1Tvl = checkBox(g, QStringLiteral("Температура влажного термометра tвл., *С"), row(56),
                            true, false);
    CheckBox1Ttr =
        checkBox(g, QStringLiteral("Температура точки росы tтр., *С"), row(72), true, false);
    CheckBox1V =
        checkBox(g, QStringLiteral("Скорость движения воздуха V, м/с"), row(96), true, false);
    CheckBox1VR = checkBox(g, QStringLiteral("Расход, м/с"), row(112), false, false);
    CheckBox5 =
        checkBox(g, QStringLiteral("Индекс тепловой нагрузки среды THC"), row(136), false, false);
    CheckBox2 = checkBox(g, QStringLiteral("Температура сферы tсф., *С"), row(152), false, false);
    CheckBox1E = checkBox(g, QStringLiteral("Освещённость E, лк"), row(176), false, false);
    CheckBox1L = checkBox(g, QStringLiteral("Яркость L, Кд/м"), row(192), false, false);
    CheckBox1UV = checkBox(g, QStringLiteral("Энергетическая освещённость UV, мВт/м"), row(208),
                           false, false);
    for (QCheckBox* box : g->findChildren<QCheckBox*>())
        box->setFont(condensed(box));
}

void TFOptions::buildTimerGroup() {
    GroupBoxTimer = new QGroupBox(QStringLiteral("Таймер"), this);
    GroupBoxTimer->setGeometry(2, 236, 287, 95);
    QWidget* g = GroupBoxTimer;
    // Everything 4 px below its nominal place, clear of the frame's top line, and the
    // whole 11 px lower, in the middle of the group that grew with the window.
    CheckBoxTimer = checkBox(g, QStringLiteral("Вкл./Выкл."), QRect(8, 47, 97, 17), false, true);
    label(g, QStringLiteral("Начало измерений"), 128, 35);
    MaskEditTimeN = new MaskedTimeEdit(g);
    MaskEditTimeN->setGeometry(245, 31, 35, 21);
    label(g, QStringLiteral("Конец измерений"), 128, 63);
    MaskEditTimeK = new MaskedTimeEdit(g);
    MaskEditTimeK->setGeometry(245, 59, 35, 21);
    MaskEditTimeN->setFont(condensed(MaskEditTimeN));
    MaskEditTimeK->setFont(condensed(MaskEditTimeK));
}

void TFOptions::buildLimitsGroup() {
    GroupBoxLimits = new QGroupBox(QStringLiteral("Критические уровни"), this);
    GroupBoxLimits->setGeometry(296, 4, 297, 145);
    QWidget* g = GroupBoxLimits;
    // Two columns of channels, each row a box and its lower and upper field.
    const int boxX[2] = {8, 152};
    const int fieldX[2] = {56, 196};
    const int rowY[3] = {32, 60, 88};
    // The headings sit just below the frame's top line.
    for (int column = 0; column < 2; ++column) {
        label(g, QStringLiteral("min"), fieldX[column] + 8, 19);
        label(g, QStringLiteral("max"), fieldX[column] + 48, 19);
    }
    auto box = [&](const QString& caption, int column, int row) {
        return checkBox(g, caption, QRect(boxX[column], rowY[row] + 2, 46, 17), false, false);
    };
    auto field = [&](int column, int row, int which) {
        return limitField(g, fieldX[column] + which * 40, rowY[row]);
    };
    CheckBoxT = box(QStringLiteral("t"), 0, 0);
    EditTmin = field(0, 0, 0);
    EditTmax = field(0, 0, 1);
    CheckBoxRH = box(QStringLiteral("RH"), 0, 1);
    EditRHmin = field(0, 1, 0);
    EditRHmax = field(0, 1, 1);
    CheckBoxV = box(QStringLiteral("V"), 0, 2);
    EditVmin = field(0, 2, 0);
    EditVmax = field(0, 2, 1);
    CheckBoxE = box(QStringLiteral("E"), 1, 0);
    EditEmin = field(1, 0, 0);
    EditEmax = field(1, 0, 1);
    CheckBoxL = box(QStringLiteral("L"), 1, 1);
    EditLmin = field(1, 1, 0);
    EditLmax = field(1, 1, 1);
    CheckBoxUV = box(QStringLiteral("UV"), 1, 2);
    EditUVmin = field(1, 2, 0);
    EditUVmax = field(1, 2, 1);

    CheckBoxBeep = new QCheckBox(QStringLiteral("звуковая индикация"), g);
    CheckBoxBeep->adjustSize();
    CheckBoxBeep->move((g->width() - CheckBoxBeep->width()) / 2, 118);
}

void TFOptions::buildScaleGroup() {
    GroupBoxScale = new QGroupBox(QStringLiteral("Масштаб"), this);
    GroupBoxScale->setGeometry(296, 152, 297, 129);
    QWidget* g = GroupBoxScale;
    // "Y" below the frame's top line, the upper bar (ticks above) just below the "Y".
    label(g, QStringLiteral("Y"), 168, 17);
    StaticTextYMax = sunkenText(g, QStringLiteral("Max 100"), QRect(4, 32, 45, 17));
    TrackBarYMax = trackBar(g, QRect(52, 29, 241, 21), 1, 100, 100, 2, QSlider::TicksAbove);
    StaticTextYMin = sunkenText(g, QStringLiteral("Min 0"), QRect(4, 56, 45, 17));
    TrackBarYMin = trackBar(g, QRect(52, 50, 241, 25), 0, 99, 0, 2, QSlider::TicksBelow);
    label(g, QStringLiteral("X"), 168, 78);
    StaticTextXKol = sunkenText(g, QStringLiteral("Kol 100"), QRect(4, 100, 45, 17));
    TrackBarXKol = trackBar(g, QRect(52, 94, 241, 25), 100, 500, 100, 10, QSlider::TicksBelow);
}

void TFOptions::buildIntervalGroup() {
    GroupBoxInterval = new QGroupBox(QStringLiteral("Интервал"), this);
    GroupBoxInterval->setGeometry(296, 284, 297, 79);
    QWidget* g = GroupBoxInterval;
    // The caption below the frame's top line, the bar and its end labels below it.
    LabelInterv = new QLabel(QStringLiteral("Интервал измерений, 3 сек."), g);
    LabelInterv->setGeometry(8, 17, 281, 14);
    label(g, QStringLiteral("3"), 10, 37);
    TrackBarInterv = trackBar(g, QRect(24, 32, 240, 22), 3, 600, 3, 9, QSlider::TicksBelow);
    label(g, QStringLiteral("600"), 268, 37);
    // How a run meets a missed poll belongs with how often it polls.
    CheckBoxLinkFaults = checkBox(g, QStringLiteral("Продолжать опрос при сбоях связи"),
                                  QRect(8, 57, 281, 17), false, true);
}

void TFOptions::connectHandlers() {
    connect(TrackBarYMax, &QSlider::valueChanged, this, &TFOptions::TrackBarYMaxChange);
    connect(TrackBarYMin, &QSlider::valueChanged, this, &TFOptions::TrackBarYMinChange);
    connect(TrackBarXKol, &QSlider::valueChanged, this, &TFOptions::TrackBarXKolChange);
    connect(TrackBarInterv, &QSlider::valueChanged, this, &TFOptions::TrackBarIntervChange);
    // toggled, not clicked: setting a box in code must run the same reaction.
    connect(CheckBox1T, &QCheckBox::toggled, this, &TFOptions::CheckBox1TClick);
    connect(CheckBox1RH, &QCheckBox::toggled, this, &TFOptions::CheckBox1RHClick);
    connect(CheckBox1Tvl, &QCheckBox::toggled, this, &TFOptions::CheckBox1TvlClick);
    connect(CheckBox1Ttr, &QCheckBox::toggled, this, &TFOptions::CheckBox1TtrClick);
    connect(CheckBox1V, &QCheckBox::toggled, this, &TFOptions::CheckBox1VClick);
    connect(CheckBox1VR, &QCheckBox::toggled, this, &TFOptions::CheckBox1VClick);
    connect(CheckBox1E, &QCheckBox::toggled, this, &TFOptions::CheckBox1EClick);
    connect(CheckBox1L, &QCheckBox::toggled, this, &TFOptions::CheckBox1LClick);
    connect(CheckBox1UV, &QCheckBox::toggled, this, &TFOptions::CheckBox1UVClick);
    connect(ButtonClose, &QPushButton::clicked, this, &TFOptions::ButtonCloseClick);
}

void TFOptions::TrackBarYMaxChange() {
    const int position = TrackBarYMax->value();
    if (position > TrackBarYMin->value()) {
        emit leftAxisMaxChanged(static_cast<double>(position));
        StaticTextYMax->setText(QStringLiteral("Max ") + QString::number(position));
    } else {
        // Re-enters this handler with the new position, which then sets axis and caption.
        TrackBarYMax->setValue(TrackBarYMin->value() + 1);
    }
}

void TFOptions::TrackBarYMinChange() {
    const int position = TrackBarYMin->value();
    if (position < TrackBarYMax->value()) {
        emit leftAxisMinChanged(static_cast<double>(position));
        StaticTextYMin->setText(QStringLiteral("Min ") + QString::number(position));
    } else {
        TrackBarYMin->setValue(TrackBarYMax->value() - 1);
    }
}

void TFOptions::TrackBarXKolChange() {
    const int count = TrackBarXKol->value();
    StaticTextXKol->setText(QString::number(count));
    emit visiblePointCountChanged(count);
}

void TFOptions::TrackBarIntervChange() {
    const int seconds = TrackBarInterv->value();
    emit pollIntervalChanged(seconds * 1000);
    // Latin c, e, k: the caption has always read so after a move.
    LabelInterv->setText(QStringLiteral("Интервал измерений, ") + QString::number(seconds) +
                         QStringLiteral(" cek."));
}

void TFOptions::CheckBox1TClick() {
    emit seriesVisibilityChanged(SeriesT, CheckBox1T->isChecked());
}

void TFOptions::CheckBox1RHClick() {
    emit seriesVisibilityChanged(SeriesRH, CheckBox1RH->isChecked());
}

void TFOptions::CheckBox1TvlClick() {
    emit seriesVisibilityChanged(SeriesTvl, CheckBox1Tvl->isChecked());
}

void TFOptions::CheckBox1TtrClick() {
    emit seriesVisibilityChanged(SeriesTtr, CheckBox1Ttr->isChecked());
}

// Also the reaction of CheckBox1VR, which therefore only re-applies the state of
// CheckBox1V: the flow box itself is read by the statistics window.
void TFOptions::CheckBox1VClick() {
    emit seriesVisibilityChanged(SeriesV, CheckBox1V->isChecked());
}

void TFOptions::CheckBox1EClick() {
    emit seriesVisibilityChanged(SeriesE, CheckBox1E->isChecked());
}

void TFOptions::CheckBox1LClick() {
    emit seriesVisibilityChanged(SeriesL, CheckBox1L->isChecked());
}

void TFOptions::CheckBox1UVClick() {
    emit seriesVisibilityChanged(SeriesUV, CheckBox1UV->isChecked());
}

void TFOptions::ButtonCloseClick() {
    close();
}
