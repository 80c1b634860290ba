#pragma once

#include "IsolatedPortMap.h"
#include "link/Unitcomport.h"
#include "measurement/RegionalSettings.h"
#include "windows/Formhelp.h"
#include "windows/Formlogo.h"
#include "windows/Formmain.h"
#include "windows/Formoptions.h"
#include "windows/Forms.h"
#include "windows/Formstat.h"

#include <QTimer>

// The five windows as the program creates them, by default without the search thread
// (tests drive the link state themselves). Destroyed in reverse order.
struct MainWindowFixture {
    IsolatedPortMap ports;

    enum Search { WithoutSearch, WithSearch };

    explicit MainWindowFixture(Search search = WithoutSearch) {
        ResetComPortState();
        RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
        if (search == WithSearch)
            InitialiseMainModule();
        CreateForms();
        FMain->TimerDetekt->stop();
        FMain->TimerLogo->stop();
    }
    ~MainWindowFixture() {
        DestroyForms();
        ResetComPortState();
        RegionalSettings::resetToSystem();
    }
    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;
};
