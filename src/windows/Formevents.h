#pragma once

#include "SecondaryWindow.h"

#include <QDateTime>

#include <functional>
#include <optional>

class EventTableModel;
class MeasurementEvents;
class QPushButton;
class QTableView;

// The events window: alarms, missed polls, stops of polling and marks as a table, newest
// last; it follows new events while open and keeps the newest in view unless the user has
// scrolled up. A selected mark can be renamed or removed.
class TFEvents : public SecondaryWindow {
    Q_OBJECT

public:
    TFEvents(MeasurementEvents* events, std::function<QDateTime()> now, QWidget* parent = nullptr);

    QTableView* TableEvents = nullptr;
    QPushButton* ButtonCloseEvents = nullptr;
    QPushButton* ButtonRenameMark = nullptr;
    QPushButton* ButtonRemoveMark = nullptr;

    // Seams for tests: asks for a text (title, prompt, proposed), asks a yes-or-no question.
    std::function<std::optional<QString>(const QString&, const QString&, const QString&)> AskText;
    std::function<bool(const QString&)> Confirm;

public slots:
    void ButtonCloseEventsClick();
    void ButtonRenameMarkClick();
    void ButtonRemoveMarkClick();

private:
    // The selected row when it is a mark, else -1.
    qsizetype selectedMark() const;
    void selectionChanged();

    MeasurementEvents* m_events = nullptr;
    EventTableModel* m_model = nullptr;
    bool m_followNewest = true;
};
