#include "Formstat.h"

#include "Formoptions.h"
#include "measurement/ValueText.h"
#include "statistics/Flow.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <qcustomplot.h>

#include <algorithm>
#include <utility>

namespace {
constexpr int ClientWidth = 603;
// Room above the value axis for the marks, which stand 20 px over their bars.
constexpr int MarkRise = 20;
constexpr int MarkRoom = 40;

QLabel* label(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLabel* sunkenText(QWidget* parent, const QRect& place) {
    auto* l = new QLabel(parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(place);
    return l;
}

// A raised digit after a unit (m², m³).
QLabel* superscript(QWidget* parent, const QString& digit, int x, int y) {
    QLabel* l = label(parent, digit, x, y);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.75);
    l->setFont(f);
    l->adjustSize();
    return l;
}

// A condensed face of the same size, for texts that must fit a fixed room.
QFont condensed(const QWidget* w) {
    QFont f = w->font();
    f.setStretch(QFont::Condensed);
    return f;
}

QLineEdit* flowField(QWidget* parent, int x, int y, bool enabled) {
    auto* e = new QLineEdit(QStringLiteral("1"), parent);
    e->setGeometry(x, y, 57, 21);
    e->setEnabled(enabled);
    return e;
}
} // namespace

TFStat::TFStat(QWidget* parent)
    : SecondaryWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FStat"));
    setWindowTitle(QStringLiteral("Статистика"));
    QFont f = font();
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    setFont(f);
    setClientHeight(OuterHeight);

    ComboBoxStat = new QComboBox(this);
    ComboBoxStat->setEditable(true);
    ComboBoxStat->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxStat->addItems({QStringLiteral("Температура t, *С"), QStringLiteral("Влажность RH, %"),
                            QStringLiteral("Скорость потока V, м/с"),
                            QStringLiteral("Освещённость Е, лк"), QStringLiteral("Яркость L, Кд/м"),
                            QStringLiteral("Энергетическая освещённость UV, мВт/м")});
    ComboBoxStat->setCurrentIndex(-1);
    ComboBoxStat->setEditText(QString());
    // At least as wide as its longest item, so that the closed box shows it whole; the
    // button beside it gives up the width, keeping its right edge.
    ComboBoxStat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int widen = std::max(0, ComboBoxStat->sizeHint().width() - 167);
    ComboBoxStat->setGeometry(2, 2, 167 + widen, 21);
    // The open list shows every item whole (with room for a scroll bar, should the style
    // give it one).
    QAbstractItemView* list = ComboBoxStat->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    ButtonStatReload = new QPushButton(QStringLiteral("Обновить"), this);
    ButtonStatReload->setGeometry(181 + widen, 2, 241 - widen, 21);

    PanelMinMax = new QFrame(this);
    PanelMinMax->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelMinMax->setGeometry(432, 0, 169, 25);
    LabelMin = label(PanelMinMax, QStringLiteral("Мин."), 8, 6);
    StaticTextMin = sunkenText(PanelMinMax, QRect(39, 4, 40, 17));
    // Two pixels left of its nominal place, so that it does not touch its box.
    LabelMax = label(PanelMinMax, QStringLiteral("Макс."), 86, 6);
    StaticTextMax = sunkenText(PanelMinMax, QRect(119, 4, 40, 17));
    // Six digits ("200000") fit the 40 px boxes only in a condensed face.
    StaticTextMin->setFont(condensed(StaticTextMin));
    StaticTextMax->setFont(condensed(StaticTextMax));

    buildChart();

    ButtonClose = new QPushButton(QStringLiteral("Закрыть"), this);
    ButtonClose->setGeometry(0, 430, 601, 25);

    buildFlowArea();
    nameControls();

    // The edit text changes with every choice from the list and with every typed key.
    connect(ComboBoxStat, &QComboBox::editTextChanged, this, &TFStat::ComboBoxStatChange);
    connect(ButtonStatReload, &QPushButton::clicked, this, &TFStat::ButtonStatReloadClick);
    connect(ButtonClose, &QPushButton::clicked, this, &TFStat::ButtonCloseClick);
    connect(RadioButtonXY, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButtonXYClick();
    });
    connect(RadioButtonD, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButtonDClick();
    });
    connect(RadioButtonS, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButtonSClick();
    });
}

void TFStat::buildChart() {
    ChartStat = new QCustomPlot(this);
    ChartStat->setGeometry(2, 26, 600, 400);
    ChartStat->setBackground(QColor(0xC0, 0xC0, 0xC0));
    ChartStat->axisRect()->setBackground(Qt::white);
    ChartStat->legend->setVisible(false);
    ChartStat->axisRect()->setAutoMargins(QCP::msLeft | QCP::msRight | QCP::msBottom);
    ChartStat->axisRect()->setMargins(QMargins(0, MarkRoom, 0, 0));
    m_classLabels = QSharedPointer<QCPAxisTickerText>::create();
    ChartStat->xAxis->setTicker(m_classLabels);
    ChartStat->xAxis->setRange(0.5, 10.5);
    ChartStat->yAxis->setRange(0, 1);

    BarSeriesStat = new QCPBars(ChartStat->xAxis, ChartStat->yAxis);
    BarSeriesStat->setName(QStringLiteral("BarSeriesStat"));
    BarSeriesStat->setPen(QPen(Qt::black));
    BarSeriesStat->setBrush(QColor(0xFF, 0x00, 0x00));
    BarSeriesStat->setWidth(0.7);
}

void TFStat::buildFlowArea() {
    m3c = new QGroupBox(QStringLiteral("Расход"), this);
    m3c->setGeometry(0, 456, 601, 73);
    // The style draws the frame's top line below the title: the buttons, fields and their
    // labels stand 2 to 3 px lower than nominal, clear of it.
    Label8 = label(m3c, QStringLiteral("Сечение "), 8, 24);
    Label9 = label(m3c, QStringLiteral("воздуховода:"), 8, 40);
    RadioButtonXY = new QRadioButton(QStringLiteral("Прямоугольная"), m3c);
    RadioButtonXY->move(104, 18);
    RadioButtonXY->adjustSize();
    RadioButtonXY->setChecked(true);
    RadioButtonD = new QRadioButton(QStringLiteral("Круглая"), m3c);
    RadioButtonD->move(104, 34);
    RadioButtonD->adjustSize();
    RadioButtonS = new QRadioButton(QStringLiteral("Произвольная"), m3c);
    RadioButtonS->move(104, 50);
    RadioButtonS->adjustSize();

    // The field labels are condensed so that they end clear of their fields, and the
    // raised "2" follows "Площадь, м" wherever that ends.
    Label1 = label(m3c, QStringLiteral("Ширина, м"), 224, 23);
    EditX = flowField(m3c, 288, 19, true);
    Label2 = label(m3c, QStringLiteral("Высота, м"), 225, 47);
    EditY = flowField(m3c, 288, 43, true);
    Label3 = label(m3c, QStringLiteral("Диаметр, м"), 353, 23);
    EditD = flowField(m3c, 424, 19, false);
    Label4 = label(m3c, QStringLiteral("Площадь, м"), 352, 47);
    for (QLabel* l : {Label1, Label2, Label3, Label4}) {
        l->setFont(condensed(l));
        l->adjustSize();
    }
    Label5 = superscript(m3c, QStringLiteral("2"), Label4->geometry().right() + 1, 39);
    EditS = flowField(m3c, 424, 43, false);

    StaticTextP = sunkenText(m3c, QRect(504, 36, 89, 25));
    StaticTextP->setAutoFillBackground(true);
    QPalette p = StaticTextP->palette();
    p.setColor(QPalette::Window, Qt::white);
    StaticTextP->setPalette(p);
    // Bold 16 point, condensed: a flow such as "868,995" (m³/h) fits the 89 px box.
    QFont bold = condensed(StaticTextP);
    bold.setPointSize(16);
    bold.setBold(true);
    StaticTextP->setFont(bold);
    // The unit above the result box, its raised "3" in the gap after the "м", both below
    // the frame's top line.
    Label6 = label(m3c, QStringLiteral("м  /ч"), 533, 23);
    Label7 =
        superscript(m3c, QStringLiteral("3"),
                    533 + Label6->fontMetrics().horizontalAdvance(QStringLiteral("м")) + 1, 18);
}

// Tests and other windows reach the controls by their object names. Screen readers would
// announce the group's title ("Расход") for every field without names of their own.
void TFStat::nameControls() {
    struct Named {
        QWidget* widget;
        const char* objectName;
        const char* accessibleName; // none for buttons, which are named by their captions
    };
    const Named named[] = {
        {ComboBoxStat, "ComboBoxStat", "Величина"},
        {ButtonStatReload, "ButtonStatReload", nullptr},
        {StaticTextMin, "StaticTextMin", "Минимум"},
        {StaticTextMax, "StaticTextMax", "Максимум"},
        {ButtonClose, "ButtonClose", nullptr},
        {EditX, "EditX", "Ширина воздуховода, м"},
        {EditY, "EditY", "Высота воздуховода, м"},
        {EditD, "EditD", "Диаметр воздуховода, м"},
        {EditS, "EditS", "Площадь сечения, м²"},
        {StaticTextP, "StaticTextP", "Расход, м³/ч"},
    };
    for (const Named& n : named) {
        n.widget->setObjectName(QLatin1String(n.objectName));
        if (n.accessibleName)
            n.widget->setAccessibleName(QString::fromUtf8(n.accessibleName));
    }
}

void TFStat::setSeriesSource(std::function<StatSeries(int)> source) {
    m_source = std::move(source);
}

void TFStat::setOptionsWindow(const TFOptions* options) {
    m_options = options;
}

int TFStat::selectedQuantity() const {
    return ComboBoxStat->findText(ComboBoxStat->currentText(),
                                  Qt::MatchExactly | Qt::MatchCaseSensitive);
}

QStringList TFStat::markTexts() const {
    QStringList texts;
    for (const QCPItemText* t : m_markTexts)
        texts << t->text();
    return texts;
}

void TFStat::clearMarks() {
    for (QCPItemText* t : std::as_const(m_markTexts))
        ChartStat->removeItem(t);
    for (QCPItemLine* l : std::as_const(m_markLines))
        ChartStat->removeItem(l);
    m_markTexts.clear();
    m_markLines.clear();
}

void TFStat::addMark(double key, double value, const QString& text) {
    // The line runs from the top of the bar 20 px up; the mark sits on its upper end.
    auto* line = new QCPItemLine(ChartStat);
    line->setClipToAxisRect(false);
    line->start->setCoords(key, value);
    line->end->setParentAnchor(line->start);
    line->end->setCoords(0, -MarkRise);
    auto* mark = new QCPItemText(ChartStat);
    mark->setClipToAxisRect(false);
    mark->position->setParentAnchor(line->end);
    mark->position->setCoords(0, 0);
    mark->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    mark->setText(text);
    mark->setPen(QPen(Qt::black));
    mark->setBrush(QColor(0xFF, 0xFF, 0xE1));
    mark->setPadding(QMargins(2, 1, 2, 1));
    m_markLines << line;
    m_markTexts << mark;
}

void TFStat::Recompute() {
    BarSeriesStat->data()->clear();
    clearMarks();
    m_classLabels->clear();

    const int quantity = selectedQuantity();
    if (!Histogram::isQuantity(quantity)) {
        ChartStat->replot();
        return;
    }
    const StatSeries series = m_source ? m_source(Histogram::seriesIndex(quantity)) : StatSeries{};
    const Histogram h = Histogram::compute(quantity, series);

    const auto shares = h.shares();
    int tallest = 0;
    for (int k = 0; k < Histogram::ClassCount; ++k) {
        const double key = k + 1;
        const int count = h.counts()[static_cast<std::size_t>(k)];
        BarSeriesStat->addData(key, count);
        m_classLabels->addTick(key, h.labels().at(k));
        addMark(key, count, Histogram::shareText(shares[static_cast<std::size_t>(k)]));
        tallest = std::max(tallest, count);
    }
    ChartStat->yAxis->setRange(0, tallest > 0 ? tallest : 1);
    ChartStat->replot();

    StaticTextMax->setText(ValueText(h.maximum()));
    StaticTextMin->setText(ValueText(h.minimum()));
}

void TFStat::setClientHeight(int outerHeight) {
    setFixedSize(ClientWidth, outerHeight - FrameHeight);
}

void TFStat::FormShow() {
    Recompute();
}

void TFStat::ButtonStatReloadClick() {
    Recompute();
}

void TFStat::ComboBoxStatChange() {
    Recompute();
    // Only here: the flow box takes effect at the next change of quantity.
    const bool flowWanted = m_options && m_options->CheckBox1VR->isChecked();
    setClientHeight(flowWanted && selectedQuantity() == 2 ? OuterHeightWithFlow : OuterHeight);
}

void TFStat::ButtonCloseClick() {
    close();
}

void TFStat::RadioButtonXYClick() {
    EditX->setEnabled(true);
    EditY->setEnabled(true);
    EditD->setEnabled(false);
    EditS->setEnabled(false);
}

void TFStat::RadioButtonDClick() {
    EditD->setEnabled(true);
    EditX->setEnabled(false);
    EditY->setEnabled(false);
    EditS->setEnabled(false);
}

void TFStat::RadioButtonSClick() {
    EditS->setEnabled(true);
    EditX->setEnabled(false);
    EditY->setEnabled(false);
    EditD->setEnabled(false);
}

void TFStat::FlowUpdate(const QString& speedText) {
    FlowFields fields;
    fields.section = RadioButtonD->isChecked()   ? FlowSection::Round
                     : RadioButtonS->isChecked() ? FlowSection::Arbitrary
                                                 : FlowSection::Rectangular;
    fields.width = EditX->text();
    fields.height = EditY->text();
    fields.diameter = EditD->text();
    fields.area = EditS->text();
    fields.speed = speedText;
    const FlowResult result = computeFlow(fields);
    StaticTextP->setText(result.flowText);
    if (fields.section != FlowSection::Arbitrary)
        EditS->setText(result.areaText);
}

void TFStat::showEvent(QShowEvent* event) {
    SecondaryWindow::showEvent(event);
    // Only when shown by the program, not when the window system restores it.
    if (!event->spontaneous())
        FormShow();
}
