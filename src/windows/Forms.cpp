#include "Forms.h"

#include "Formevents.h"
#include "Formhelp.h"
#include "Formlogo.h"
#include "Formmain.h"
#include "Formoptions.h"
#include "Formstat.h"
#include "link/Rcpthread.h"
#include "link/Unitcomport.h"

TFMain* FMain = nullptr;
TFStat* FStat = nullptr;
TFOptions* FOptions = nullptr;
TFLogo* FLogo = nullptr;
TFHelp* FHelp = nullptr;
TFEvents* FEvents = nullptr;
MyThread* SearchThread = nullptr;

void InitialiseMainModule() {
    ComPort.PortLabel = QStringLiteral("COM*");
    if (!SearchThread)
        SearchThread = new MyThread;
}

void CreateForms() {
    FMain = new TFMain;
    FStat = new TFStat;
    FOptions = new TFOptions;
    FLogo = new TFLogo;
    FHelp = new TFHelp;
    FMain->connectSecondaryWindows(FStat, FOptions, FLogo, FHelp);
    TFMain* main = FMain;
    FEvents = new TFEvents(&FMain->Log.events(), [main] { return main->Clock(); });
    FMain->setEventsWindow(FEvents);
}

void DestroyForms() {
    if (SearchThread) {
        SearchThread->requestStop();
        delete SearchThread; // joins: at most the probe under way
        SearchThread = nullptr;
    }
    delete FEvents; // it watches the main window's log
    FEvents = nullptr;
    delete FHelp;
    delete FLogo;
    delete FOptions;
    delete FStat;
    delete FMain;
    FHelp = nullptr;
    FLogo = nullptr;
    FOptions = nullptr;
    FStat = nullptr;
    FMain = nullptr;
}
