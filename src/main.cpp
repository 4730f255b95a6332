#include "debuglog.h"
#include "hosts.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "tavroapp.h"
#include "unixsignals.h"
#include "updatechecker.h"
#include "widgetmessagepresenter.h"

#include <memory>

int main(int argc, char *argv[])
{
    TavroApp app(argc, argv);
    if (DebugLog::requested(TavroApp::arguments())) {
        DebugLog::open(SettingsFile::debugLogPath());
    }

    SingleInstance instance;
    if (!instance.start()) {
        return 0;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, &app, &TavroApp::onShowRequested);

    WidgetMessagePresenter presenter;
    MessageBox::setPresenter(&presenter);

    auto window = std::make_unique<MainWindow>();
    if (!window->isUsable()) {
        // Without its database the program cannot keep anything it records.
        DebugLog::close();
        return 1;
    }
    window->setVisible(true);
    app.mainWindow = window.get();

    UnixSignals terminationSignals;
    QObject::connect(&terminationSignals, &UnixSignals::quitRequested, window.get(),
                     &MainWindow::on_actionExit_triggered);

    window->updateChecker()->setAppcastUrl(Hosts::appcastUrl());
    window->updateChecker()->init();

    const int result = TavroApp::exec();
    DebugLog::close();
    window.reset();
    return result;
}
