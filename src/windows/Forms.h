#pragma once

#include <memory>

class MyThread;
class TFMain;
class TFStat;
class TFOptions;
class TFLogo;
class TFHelp;
class TFEvents;

// The program's windows, one instance each, created once at start in this order and
// living until the end; closing a secondary window only hides it. The windows reach one
// another through what they are handed (TFMain::connectSecondaryWindows,
// TFStat::setOptionsWindow); these references serve what stands outside any window: the
// program's start and end (main, CreateForms, DestroyForms) and the tests.
extern TFMain* FMain;
extern TFStat* FStat;
extern TFOptions* FOptions;
extern TFLogo* FLogo;
extern TFHelp* FHelp;
// The events window, made after the others since it watches the main window's log.
extern TFEvents* FEvents;

// The search thread, created suspended before any window exists, so the main window
// finds it here when its creation resumes it.
extern MyThread* SearchThread;

// Module start of the main window: the port label "COM*" and the suspended search.
void InitialiseMainModule();
// Creates the five windows in their order and connects the settings to the main window.
void CreateForms();
// Stops the search (waiting at most for the probe under way) and deletes the windows.
void DestroyForms();
