#pragma once

class QCoreApplication;

// Installs Qt's own Russian texts (standard dialogs, message-box buttons, the edit
// fields' context menu), whatever the regional settings: the program speaks Russian
// throughout. False when Qt's Russian catalogue is not installed; Qt's texts then stay
// English.
bool installQtTranslations(QCoreApplication* application);
