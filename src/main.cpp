#include "debuglog.h"
#include "exportcommand.h"
#include "hosts.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "tavroapp.h"
#include "unixsignals.h"
#include "updatechecker.h"
#include "widgetmessagepresenter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {
// An export needs no window, no display and no lock: it runs beside a recording instance.
int runExport(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QFile standardOutput;
    standardOutput.open(stdout, QIODevice::WriteOnly);
    QTextStream messages(stderr);
    return ExportCommand::run(QCoreApplication::arguments(), SettingsFile::databasePath(), &standardOutput, messages);
}
} // namespace

int main(int argc, char *argv[])
{
    if (ExportCommand::requested(argc, argv)) {
        return runExport(argc, argv);
    }
    TavroApp app(argc, argv);
    if (DebugLog::requested(TavroApp::arguments())) {
        DebugLog::open(SettingsFile::debugLogPath());
    }

    // Installed before anything else so that a termination request never kills the program
    // half-way; one that comes before the window exists is carried out once it does.
    UnixSignals terminationSignals;
    bool quitRequested = false;
    QObject::connect(&terminationSignals, &UnixSignals::quitRequested, &app, [&app, &quitRequested](int) {
        if (app.mainWindow) {
            app.mainWindow->on_actionExit_triggered();
        } else {
            quitRequested = true;
        }
    });

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
    if (quitRequested) {
        QTimer::singleShot(0, window.get(), &MainWindow::on_actionExit_triggered);
    }

    window->updateChecker()->setAppcastUrl(Hosts::appcastUrl());
    window->updateChecker()->init();

    const int result = TavroApp::exec();
    DebugLog::close();
    window.reset();
    return result;
}
