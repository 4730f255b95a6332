#include "tavroapp.h"

#include "buildinfo.h"
#include "mainwindow.h"

#include <QDebug>

TavroApp::TavroApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Docks, the task switcher and notifications find the installed entry and icon by this name.
    setDesktopFileName(BuildInfo::appId());
}

void TavroApp::onShowRequested()
{
    qDebug() << "someone's asking for tavro";
    if (!mainWindow) {
        qDebug() << "no mainwnd";
        showPending = true;
        return;
    }
    showPending = false;
    qDebug() << "show mainwnd";
    mainWindow->onTrayMenuShow();
}
