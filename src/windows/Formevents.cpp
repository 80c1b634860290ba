#include "Formevents.h"

#include "EventTableModel.h"
#include "TextQuestion.h"
#include "measurement/MeasurementEvents.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

TFEvents::TFEvents(MeasurementEvents* events, std::function<QDateTime()> now, QWidget* parent)
    : SecondaryWindow(parent, Qt::Window), m_events(events) {
    setObjectName(QStringLiteral("FEvents"));
    setWindowTitle(QStringLiteral("События"));
    resize(860, 360);

    m_model = new EventTableModel(events, std::move(now), this);
    TableEvents = new QTableView(this);
    TableEvents->setObjectName(QStringLiteral("TableEvents"));
    TableEvents->setModel(m_model);
    TableEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableEvents->verticalHeader()->hide();
    TableEvents->setWordWrap(false);
    TableEvents->horizontalHeader()->setStretchLastSection(true);
    TableEvents->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    ButtonCloseEvents = new QPushButton(QStringLiteral("Закрыть"), this);
    ButtonCloseEvents->setObjectName(QStringLiteral("ButtonCloseEvents"));
    connect(ButtonCloseEvents, &QPushButton::clicked, this, &TFEvents::ButtonCloseEventsClick);
    ButtonRenameMark = new QPushButton(QStringLiteral("Переименовать метку ..."), this);
    ButtonRenameMark->setObjectName(QStringLiteral("ButtonRenameMark"));
    connect(ButtonRenameMark, &QPushButton::clicked, this, &TFEvents::ButtonRenameMarkClick);
    ButtonRemoveMark = new QPushButton(QStringLiteral("Удалить метку"), this);
    ButtonRemoveMark->setObjectName(QStringLiteral("ButtonRemoveMark"));
    connect(ButtonRemoveMark, &QPushButton::clicked, this, &TFEvents::ButtonRemoveMarkClick);
    connect(TableEvents->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFEvents::selectionChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TFEvents::selectionChanged);
    selectionChanged();

    AskText = [this](const QString& title, const QString& prompt, const QString& proposed) {
        return askText(this, title, prompt, proposed);
    };
    Confirm = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonRenameMark);
    buttons->addWidget(ButtonRemoveMark);
    buttons->addStretch();
    buttons->addWidget(ButtonCloseEvents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(TableEvents);
    layout->addLayout(buttons);

    // The newest row stays in view while the user looks at the newest rows.
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        QScrollBar* bar = TableEvents->verticalScrollBar();
        m_followNewest = bar->value() == bar->maximum();
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_followNewest)
            TableEvents->scrollToBottom();
    });
}

void TFEvents::ButtonCloseEventsClick() {
    close();
}

qsizetype TFEvents::selectedMark() const {
    const QModelIndexList rows = TableEvents->selectionModel()->selectedRows();
    if (rows.size() != 1)
        return -1;
    const qsizetype row = rows.first().row();
    return row < m_events->count() && m_events->at(row).kind == LogEvent::Mark ? row : -1;
}

void TFEvents::selectionChanged() {
    const bool mark = selectedMark() >= 0;
    ButtonRenameMark->setEnabled(mark);
    ButtonRemoveMark->setEnabled(mark);
}

void TFEvents::ButtonRenameMarkClick() {
    const qsizetype row = selectedMark();
    if (row < 0)
        return;
    const auto text = AskText(QStringLiteral("Метка"), QStringLiteral("Новый текст метки:"),
                              m_events->at(row).text);
    if (text)
        m_events->renameMark(row, *text);
}

void TFEvents::ButtonRemoveMarkClick() {
    const qsizetype row = selectedMark();
    if (row >= 0 && Confirm(QStringLiteral("Удалить метку «%1»?").arg(m_events->at(row).text)))
        m_events->removeMark(row);
}
