#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class TrayAnimation;
class QAction;
class QMenu;
class QWidget;

// The tray icon and its menu: start and pause recording, settings, show the window, exit. The
// icon follows the recording animation; the window decides what the entries do, and asks here
// whether it may hide in the tray.
class TrayMenu : public QObject
{
    Q_OBJECT

public:
    // `window` owns the menu.
    explicit TrayMenu(QWidget *window);

    QSystemTrayIcon *icon() const { return m_icon; }
    QMenu *menu() const { return m_menu; }
    // Its frames keep step with the recorder's ticks (TrayAnimation::step).
    TrayAnimation *animation() const { return m_animation; }
    // Offers "Start Recording" while paused and "Pause Recording" while recording, and animates
    // the icon while recording.
    void setRecording(bool on);

    // Whether a notification area can show the icon; replaceable for tests.
    void setAvailabilityCheck(std::function<bool()> check) { m_available = std::move(check); }
    bool isUsable() const;
    // Whether closing the window leaves TavroDesk running, as the settings ask. Without a usable
    // icon only a new start brings the window back.
    bool keepsRunningOnClose() const;
    // Whether minimising hides the window in the tray. Never without a usable icon: the window
    // would be out of reach.
    bool takesMinimisedWindow() const;
    // Whether this click on the icon opens the window: a single or a double one, as the settings ask.
    bool opensWindowOn(QSystemTrayIcon::ActivationReason reason) const;

Q_SIGNALS:
    void startRequested();
    void stopRequested();
    void settingsRequested();
    void showRequested();
    void exitRequested();

private:
    TrayAnimation *m_animation;
    QAction *m_startAction;
    QAction *m_stopAction;
    QMenu *m_menu;
    QSystemTrayIcon *m_icon;
    std::function<bool()> m_available = &QSystemTrayIcon::isSystemTrayAvailable;
};
