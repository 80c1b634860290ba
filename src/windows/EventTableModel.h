#pragma once

#include <QAbstractTableModel>
#include <QDateTime>

#include <functional>

class MeasurementEvents;

// The log's events as a table, newest last, following the list as it changes.
class EventTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // now gives the time an event still going on lasts until.
    EventTableModel(MeasurementEvents* events, std::function<QDateTime()> now,
                    QObject* parent = nullptr);
    ~EventTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void eventChanged(qsizetype index);

    MeasurementEvents* m_events;
    std::function<QDateTime()> m_now;
    int m_observer = -1;
    int m_rows = 0;
};
