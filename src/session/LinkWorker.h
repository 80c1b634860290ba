#pragma once

#include "LinkExchange.h"
#include "link/RelinkSearch.h"

#include <QObject>

// Runs the exchanges with the instrument on the session's link thread, one at a time and
// in the order asked, with the link's own bytes and deadlines; nothing here blocks the
// thread that shows the results.
class LinkWorker : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    // On the link thread: does one exchange and reports it through `done`.
    void perform(const ExchangeRequest& request);

signals:
    // A text to show while the exchange is under way (a poll reading its blocks).
    void progress(const QString& text);
    void done(const ExchangeResult& result);

private:
    ExchangeResult poll(const ExchangeRequest& request);
    RelinkSearch m_relink;
};
