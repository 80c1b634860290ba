#pragma once

#include "IsolatedPortMap.h"
#include "IsolatedStateFolder.h"
#include "link/Unitcomport.h"
#include "measurement/RegionalSettings.h"
#include "session/PollPublisher.h"
#include "windows/Formhelp.h"
#include "windows/Formlogo.h"
#include "windows/Formmain.h"
#include "windows/Formoptions.h"
#include "windows/Forms.h"
#include "windows/Formstat.h"

#include <QTest>
#include <QThread>
#include <QTimer>

// Waits until the exchange with the instrument in flight (on the session's link thread)
// has ended and the window shows its outcome.
inline bool settleLink() {
    return QTest::qWaitFor([] { return !FMain->session()->isExchanging(); }, 15000);
}

// Publishing as the session sees it: every call must come from the session's thread and
// return at once (the real one only queues).
struct PublisherDouble : PollPublisher {
    QList<PublishedPoll> polls;
    QStringList keys;
    int elsewhere = 0; // calls from another thread
    void enqueue(const PublishedPoll& poll) override {
        note();
        polls << poll;
    }
    void setChannels(const QList<PublishedChannel>& channels) override {
        note();
        keys.clear();
        for (const PublishedChannel& c : channels)
            keys << c.key;
    }
    void note() { elsewhere += QThread::currentThread() != QCoreApplication::instance()->thread(); }
};

// The five windows as the program creates them, by default without the search thread
// (tests drive the link state themselves). Destroyed in reverse order.
struct MainWindowFixture {
    IsolatedPortMap ports;
    IsolatedStateFolder state;
    // The questions the main window asked, and the buttons to answer the next ones with;
    // without a given answer, leaving does not save and any other question is put off.
    QStringList questions;
    QStringList answers;
    // The program's own question box, for tests that press its keys.
    std::function<QString(const QString&, const QStringList&)> messageBox;

    enum Search { WithoutSearch, WithSearch };

    explicit MainWindowFixture(Search search = WithoutSearch) {
        ResetComPortState();
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        if (search == WithSearch)
            InitialiseMainModule();
        CreateForms();
        FMain->TimerDetekt->stop();
        FMain->TimerLogo->stop();
        messageBox = FMain->Ask;
        FMain->Ask = [this](const QString& text, const QStringList& buttons) {
            questions << text;
            // Like the box, nothing answers with a button it does not show.
            if (!answers.isEmpty() && buttons.contains(answers.first()))
                return answers.takeFirst();
            const QString dontSave = QStringLiteral("Не сохранять");
            return buttons.contains(dontSave) ? dontSave : buttons.last();
        };
    }
    ~MainWindowFixture() {
        DestroyForms();
        ResetComPortState();
        RegionalSettings::resetToSystem();
    }
    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;
};
