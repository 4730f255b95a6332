#pragma once

#include <QApplication>
#include <QIcon>
#include <QPointer>

class MainWindow;

// The application object. Besides the event loop it answers a later start's request to bring the
// window forward.
class TavroApp : public QApplication
{
    Q_OBJECT

public:
    TavroApp(int &argc, char **argv);

    // Not owned; null until the start-up has shown the window.
    QPointer<MainWindow> mainWindow;
    bool wasRecordingOnSuspend = false;
    // A request that came while the window was being built (the keyring is asked then); answered
    // once the window exists.
    bool showPending = false;
    QString pendingActivation;

    // The program's own icon, for its windows.
    static QIcon applicationIcon();

    // Closes every modal dialog and message box: their own event loops would keep the program
    // from ending.
    static void closeModalDialogs();

public Q_SLOTS:
    // Another start asked for the running instance; `activation` is its launcher's.
    void onShowRequested(const QString &activation);
};
