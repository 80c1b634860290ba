#pragma once

#include "SecondaryWindow.h"

#include <QDateTime>

#include <functional>

class EventTableModel;
class MeasurementEvents;
class QPushButton;
class QTableView;

// The events window: alarms, missed polls and stops of polling as a table, newest last;
// it follows new events while open and keeps the newest in view unless the user has
// scrolled up.
class TFEvents : public SecondaryWindow {
    Q_OBJECT

public:
    TFEvents(MeasurementEvents* events, std::function<QDateTime()> now, QWidget* parent = nullptr);

    QTableView* TableEvents = nullptr;
    QPushButton* ButtonCloseEvents = nullptr;

public slots:
    void ButtonCloseEventsClick();

private:
    EventTableModel* m_model = nullptr;
    bool m_followNewest = true;
};
