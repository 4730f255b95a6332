#include "commandline.h"
#include "debuglog.h"
#include "displayserver.h"
#include "exportcommand.h"
#include "hosts.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "startupactivation.h"
#include "tavroapp.h"
#include "unixsignals.h"
#include "updatechecker.h"
#include "widgetmessagepresenter.h"

#include <QFile>
#include <QSystemTrayIcon>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {
// An export needs no window, no display and no lock: it runs beside a recording instance.
int runExport(const QCommandLineParser &parser)
{
    QFile standardOutput;
    standardOutput.open(stdout, QIODevice::WriteOnly);
    QTextStream messages(stderr);
    return ExportCommand::run(parser, SettingsFile::databasePath(), &standardOutput, messages);
}
} // namespace

int main(int argc, char *argv[])
{
    // Read before the application object exists: --help, --version and commands need no display.
    CommandLine commandLine;
    commandLine.addCommand(ExportCommand::exportOption(), &runExport);
    commandLine.addOption(ExportCommand::formatOption());
    commandLine.addOption(ExportCommand::outputOption());
    switch (commandLine.parse(CommandLine::arguments(argc, argv))) {
    case CommandLine::Action::Exit:
        std::fputs(commandLine.output().toLocal8Bit().constData(), stdout);
        std::fputs(commandLine.error().toLocal8Bit().constData(), stderr);
        return commandLine.exitCode();
    case CommandLine::Action::RunCommand: {
        const QCoreApplication commandApp(argc, argv);
        return commandLine.runCommand();
    }
    case CommandLine::Action::RunWindow:
        break;
    }

    // Qt would abort on a Wayland compositor it cannot reach: fall back to X11 or say why not.
    const QString displayProblem = DisplayServer::choosePlatform();
    if (!displayProblem.isEmpty()) {
        std::fputs((displayProblem + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        return 1;
    }
    // Qt's X11 support clears the launcher's startup id when the application object is made.
    const QString activation = StartupActivation::fromEnvironment();
    TavroApp app(argc, argv);
    if (commandLine.debugRequested()) {
        DebugLog::open(SettingsFile::debugLogPath());
    }

    // Installed before anything else so that a termination request never kills the program
    // half-way; one that comes before the window exists is carried out once it does. Open dialogs
    // are closed and no new box waits for an answer: a logout must not hang on them.
    WidgetMessagePresenter presenter;
    UnixSignals terminationSignals;
    bool quitRequested = false;
    QObject::connect(&terminationSignals, &UnixSignals::quitRequested, &app, [&app, &quitRequested, &presenter](int) {
        presenter.silence();
        quitRequested = true;
        TavroApp::closeModalDialogs();
        if (app.mainWindow) {
            app.mainWindow->on_actionExit_triggered();
        }
    });

    SingleInstance instance;
    if (!instance.start(activation)) {
        return 0;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, &app, &TavroApp::onShowRequested);

    MessageBox::setPresenter(&presenter);

    auto window = std::make_unique<MainWindow>();
    if (!window->isUsable()) {
        // Without its database the program cannot keep anything it records.
        DebugLog::close();
        return 1;
    }
    if (quitRequested) {
        // Asked to end while the window was being built (a first-start dialog, say): save and go.
        window->on_actionExit_triggered();
        window.reset();
        DebugLog::close();
        return 0;
    }
    // Started at log-in the program waits in the tray; without a tray it must show its window.
    window->setVisible(!(commandLine.autostarted() && QSystemTrayIcon::isSystemTrayAvailable()));
    app.mainWindow = window.get();
    if (app.showPending) {
        app.onShowRequested(app.pendingActivation);
    }

    window->updateChecker()->setAppcastUrl(Hosts::appcastUrl());
    window->updateChecker()->init();

    const int result = TavroApp::exec();
    DebugLog::close();
    window.reset();
    return result;
}
