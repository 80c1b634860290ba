#include "EventTableModel.h"

#include "measurement/MeasurementEvents.h"
#include "report/EventTable.h"

EventTableModel::EventTableModel(MeasurementEvents* events, std::function<QDateTime()> now,
                                 QObject* parent)
    : QAbstractTableModel(parent), m_events(events), m_now(std::move(now)),
      m_rows(static_cast<int>(events->count())) {
    m_observer = m_events->addObserver([this](qsizetype index) { eventChanged(index); });
}

EventTableModel::~EventTableModel() {
    m_events->removeObserver(m_observer);
}

int EventTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int EventTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : EventTable::ColumnCount;
}

QVariant EventTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == EventTable::Number ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                    : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return EventTable::cells(m_events->at(index.row()), index.row() + 1, m_now())
        .value(index.column());
}

QVariant EventTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return EventTable::headings().value(section);
}

void EventTableModel::eventChanged(qsizetype index) {
    const auto count = static_cast<int>(m_events->count());
    if (index < 0 || count < m_rows) {
        beginResetModel();
        m_rows = count;
        endResetModel();
        return;
    }
    if (count > m_rows) {
        beginInsertRows({}, m_rows, count - 1);
        m_rows = count;
        endInsertRows();
        return;
    }
    const auto row = static_cast<int>(index);
    emit dataChanged(this->index(row, 0), this->index(row, EventTable::ColumnCount - 1));
}
