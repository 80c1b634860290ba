#include "windows/Formmain.h"
#include "windows/Forms.h"
#include "windows/QtTranslations.h"
#include "windows/Resources.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv) {
    InitialiseMainModule();
    QApplication app(argc, argv);
    initResources();
    installQtTranslations(&app);
    // The application's title (task bar and message boxes).
    QApplication::setApplicationName(QStringLiteral("ВИЛТА Монитор"));
    QApplication::setDesktopFileName(QStringLiteral("vilta-monitor"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vilta-monitor.png")));
    CreateForms();
    FMain->show();
    // Once the window is up: a recording left by a run that did not end normally, then a
    // measurement file named on the command line (a double-click in a file manager).
    const QStringList arguments = QApplication::arguments().mid(1);
    QTimer::singleShot(0, FMain, [arguments] {
        FMain->offerRecordings();
        if (!arguments.isEmpty())
            FMain->openFile(arguments.first());
    });
    const int rc = QApplication::exec();
    DestroyForms();
    return rc;
}
