#include "tavroapp.h"

#include "buildinfo.h"
#include "mainwindow.h"
#include "startupactivation.h"
#include "translations.h"

#include <QDebug>
#include <QDialog>
#include <QIcon>
#include <QLocale>

TavroApp::TavroApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Docks, the task switcher and notifications find the installed entry and icon by this name.
    setDesktopFileName(BuildInfo::appId());
    Translations::install(this, QLocale());
    // Sharp at every size a desktop asks for: the drawing, and its 256-pixel rendering where SVG
    // cannot be drawn.
    QIcon icon(QStringLiteral(":/icons/app/tavrodesk.svg"));
    icon.addFile(QStringLiteral(":/icons/app/tavrodesk-256.png"));
    setWindowIcon(icon);
}

void TavroApp::onShowRequested(const QString &activation)
{
    qDebug() << "someone's asking for tavro";
    if (!mainWindow) {
        qDebug() << "no mainwnd";
        showPending = true;
        pendingActivation = activation;
        return;
    }
    showPending = false;
    qDebug() << "show mainwnd";
    // The launcher's activation lets the desktop give the window the focus and end its busy cursor.
    StartupActivation::prepare(activation);
    mainWindow->onTrayMenuShow();
    StartupActivation::complete(activation);
}

void TavroApp::closeModalDialogs()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<QDialog *>(widget);
        if (dialog && dialog->isVisible() && dialog->isModal()) {
            qDebug() << "closing" << dialog->windowTitle();
            dialog->reject();
        }
    }
}
