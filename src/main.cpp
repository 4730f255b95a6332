#include "cataloguefile.h"
#include "commandline.h"
#include "debuglog.h"
#include "displayserver.h"
#include "exportcommand.h"
#include "hosts.h"
#include "legacylayout.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "projectscatalogue.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "startupactivation.h"
#include "tavroapp.h"
#include "unixsignals.h"
#include "updatechecker.h"
#include "widgetmessagepresenter.h"

#include <QDir>
#include <QFile>
#include <QSystemTrayIcon>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {
// An export needs no window, no display and no lock: it runs beside a recording instance.
int runExport(const QCommandLineParser &parser)
{
    // The descriptor, unbuffered: each write's failure (a full disk, a closed pipe) shows at once.
    QFile standardOutput;
    standardOutput.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QTextStream messages(stderr);
    // The projects the window last loaded name the clients, as File > Export does while signed in.
    ProjectsCatalogue catalogue;
    CatalogueFile::load(catalogue);
    return ExportCommand::run(parser, SettingsFile::databasePath(), &catalogue, &standardOutput, messages);
}

// Two instances on one data folder would store the same time twice, and each would take the
// other's journal for a crashed run's.
void tellDataFolderInUse(const QString &holder)
{
    const QString text = QStringLiteral("TavroDesk is already running with the data folder %1 (%2), in another "
                                        "session or on another computer. Quit it there before starting it here.")
                             .arg(QDir::toNativeSeparators(SettingsFile::dataFolder()), holder);
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    MessageBox::critical(nullptr, QStringLiteral("TavroDesk"), text);
}
} // namespace

int main(int argc, char *argv[])
{
    // Read before the application object exists: --help, --version and commands need no display.
    CommandLine commandLine;
    commandLine.addCommand(ExportCommand::exportOption(), &runExport);
    commandLine.addOption(ExportCommand::formatOption());
    commandLine.addOption(ExportCommand::outputOption());
    commandLine.addOption(ExportCommand::perDayOption());
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
    const bool sharedMemorySwitchSet = DisplayServer::avoidSharedMemoryImages();
    // Qt's X11 support clears the launcher's startup id when the application object is made.
    const QString activation = StartupActivation::fromEnvironment();
    TavroApp app(argc, argv);
    // Read as the application connected to the display: programs started from here (a browser for a
    // link) get the user's environment as it was.
    if (sharedMemorySwitchSet) {
        qunsetenv("QT_XCB_NO_MITSHM");
    }
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
    // half-way; one that comes before the window exists is carried out once it does. Open dialogs
    // and boxes are closed (exit() ends every event loop, the boxes' too) and no new box waits for
    // an answer: a logout must not hang on them.
    WidgetMessagePresenter presenter;
    UnixSignals terminationSignals;
    bool quitRequested = false;
    QObject::connect(&terminationSignals, &UnixSignals::quitRequested, &app, [&app, &quitRequested, &presenter](int) {
        presenter.silence();
        TavroApp::closeModalDialogs();
        if (app.mainWindow) {
            app.mainWindow->quitNow();
        } else {
            quitRequested = true;
            QCoreApplication::exit(1);
        }
    });
    MessageBox::setPresenter(&presenter);

    SettingsFile::ensureFolders();
    SingleInstance instance(SettingsFile::dataFolder());
    switch (instance.start(activation)) {
    case SingleInstance::Outcome::Started:
        break;
    case SingleInstance::Outcome::OtherShown:
        return 0;
    case SingleInstance::Outcome::DataFolderInUse:
        tellDataFolderInUse(instance.dataFolderHolder());
        return 1;
    }
    QObject::connect(&instance, &SingleInstance::showRequested, &app, &TavroApp::onShowRequested);

    auto window = std::make_unique<MainWindow>();
    if (!window->isUsable()) {
        // Without its database the program cannot keep anything it records.
        DebugLog::close();
        return 1;
    }
    if (quitRequested) {
        // Asked to end while the window was being built (a first-start dialog, say): save and go.
        window->quitNow();
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

    if (UpdateChecker *checker = window->updateChecker()) {
        checker->setAppcastUrl(Hosts::appcastUrl());
        checker->init();
    }

    const int result = TavroApp::exec();
    DebugLog::close();
    window.reset();
    return result;
}
