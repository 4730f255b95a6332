#include "tavroapp.h"

#include "mainwindow.h"

#include <QDebug>

TavroApp::TavroApp(int &argc, char **argv)
    : QApplication(argc, argv)
{}

void TavroApp::onShowRequested()
{
    qDebug() << "someone's asking for tavro";
    if (!mainWindow) {
        qDebug() << "no mainwnd";
        return;
    }
    qDebug() << "show mainwnd";
    mainWindow->onTrayMenuShow();
}
