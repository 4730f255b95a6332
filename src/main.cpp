#include "commandline.h"
#include "debuglog.h"
#include "exportcommand.h"
#include "hosts.h"
#include "legacylayout.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "tavroapp.h"
#include "unixsignals.h"
#include "updatechecker.h"
#include "widgetmessagepresenter.h"

#include <QFile>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <QTimer>

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

    TavroApp app(argc, argv);
    DebugLog::enableDebugMessages(commandLine.debugRequested());
    // Before anything opens a file: where an earlier version kept them, they move once.
    const QStringList moves = LegacyLayout::moveToXdgPlaces();
    if (commandLine.debugRequested()) {
        DebugLog::open(SettingsFile::debugLogPath());
    }
    for (const QString &move : moves) {
        qDebug() << move;
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
    // Started at log-in the program waits in the tray; without a tray it must show its window.
    window->setVisible(!(commandLine.autostarted() && QSystemTrayIcon::isSystemTrayAvailable()));
    app.mainWindow = window.get();
    if (app.showPending) {
        app.onShowRequested();
    }
    if (quitRequested) {
        QTimer::singleShot(0, window.get(), &MainWindow::on_actionExit_triggered);
    }

    if (UpdateChecker *checker = window->updateChecker()) {
        checker->setAppcastUrl(Hosts::appcastUrl());
        checker->init();
    }

    const int result = TavroApp::exec();
    DebugLog::close();
    window.reset();
    return result;
}
