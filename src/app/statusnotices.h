#pragma once

#include "bookingservice.h"

#include <QObject>

#include <functional>

class ClickableLabel;
class DesktopNotifications;
class QLabel;
class QProgressBar;
class QStatusBar;
class QSystemTrayIcon;

// What the window tells the user in passing: the status bar's messages, progress bar, sign-in
// indicator and storage warning, and notices on the desktop (the tray's balloons where the desktop
// has no notification server).
class StatusNotices : public QObject
{
    Q_OBJECT

public:
    // Adds the indicator, the warning and the progress bar to `bar` (not owned).
    explicit StatusNotices(QStatusBar *bar, QObject *parent = nullptr);

    // The tray icon (not owned) and whether a notification area shows it; balloons that only
    // inform wait for that.
    void setTray(QSystemTrayIcon *icon, std::function<bool()> usable);
    // The desktop's notification server (not owned): notices go there, tray or not.
    void setNotifications(DesktopNotifications *notifications);

    QProgressBar *progressBar() const { return m_progressBar; }
    ClickableLabel *loginIndicator() const { return m_loginIndicator; }
    QLabel *storageWarning() const { return m_storageWarning; }

    // How long a note about something that happened stays in the status bar.
    static constexpr int NoteTimeoutMs = 10000;

    // A message in the status bar, e.g. the session's; a time-out of 0 keeps it until the next.
    void showMessage(const QString &text, int timeout);
    void showProgress(int minimum, int maximum);
    void setProgress(int value);
    void hideProgress();

    // Around a link: the service may take up to its time-out to answer.
    void linkingStarted();
    void linkingFinished(BookingService::LinkResult::Status status);

    // A lasting warning and a tray balloon while `problem` is not empty; clears them otherwise.
    void showStorageProblem(const QString &problem);
    // The recorder's stretches stopped or started reaching the database again.
    void showStorageFailing(bool failing, const QString &text);
    // How windows are read on this desktop, when the user should know; an empty note takes the
    // last one off the status bar (the desktop's helper started answering).
    void showSessionNote(const QString &note);
    // Offers to describe the away time; awayDescriptionRequested() when the user takes that up.
    void showAwayTime(const QString &title, const QString &message);

Q_SIGNALS:
    void awayDescriptionRequested();

private:
    // A notice on the desktop; `kind` names what a later notice of the same kind replaces.
    void notify(const QString &kind, const QString &title, const QString &text, bool warning);

    bool trayUsable() const { return m_trayUsable && m_trayUsable(); }

    QStatusBar *m_bar;
    ClickableLabel *m_loginIndicator;
    QLabel *m_storageWarning;
    QProgressBar *m_progressBar;
    QSystemTrayIcon *m_tray = nullptr;
    DesktopNotifications *m_notifications = nullptr;
    std::function<bool()> m_trayUsable;
    QString m_sessionNote;
};
