#pragma once

#include <memory>

class MyThread;
class TFMain;
class TFStat;
class TFOptions;
class TFLogo;
class TFHelp;

// The program's windows, one instance each, created once at start in this order and
// living until the end; closing a secondary window only hides it.
extern TFMain* FMain;
extern TFStat* FStat;
extern TFOptions* FOptions;
extern TFLogo* FLogo;
extern TFHelp* FHelp;

// The search thread, created suspended before any window exists.
extern MyThread* SearchThread;

// Module start of the main window: the port label "COM*" and the suspended search.
void InitialiseMainModule();
// Creates the five windows in their order and connects the settings to the main window.
void CreateForms();
// Stops the search (waiting at most for the probe under way) and deletes the windows.
void DestroyForms();
