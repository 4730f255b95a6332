#include "tavroapp.h"

#include "buildinfo.h"
#include "mainwindow.h"
#include "startupactivation.h"
#include "translations.h"
#include "windowiconloader.h"

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
    new WindowIconLoader(this);
}

QIcon TavroApp::applicationIcon()
{
    // Sharp at every size a desktop asks for: the drawing, or its 256-pixel rendering where SVG cannot be
    // drawn. Only then is the rendering read: decoded, it would be a quarter of a megabyte held all day.
    QIcon icon(QStringLiteral(":/icons/app/tavrodesk.svg"));
    if (icon.isNull()) {
        icon = QIcon(QStringLiteral(":/icons/app/tavrodesk-256.png"));
    }
    return icon;
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
