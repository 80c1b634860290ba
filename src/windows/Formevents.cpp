#include "Formevents.h"

#include "EventTableModel.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

TFEvents::TFEvents(MeasurementEvents* events, std::function<QDateTime()> now, QWidget* parent)
    : SecondaryWindow(parent, Qt::Window) {
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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(TableEvents);
    layout->addWidget(ButtonCloseEvents);

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
