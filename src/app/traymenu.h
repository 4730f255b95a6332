#pragma once

#include <QObject>

class TrayAnimation;
class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// The tray icon and its menu: start and pause recording, settings, show the window, exit. The
// icon follows the recording animation; the window decides what the entries do.
class TrayMenu : public QObject
{
    Q_OBJECT

public:
    // `animation` is not owned and must outlive the tray; `window` owns the menu.
    TrayMenu(TrayAnimation *animation, QWidget *window);

    QSystemTrayIcon *icon() const { return m_icon; }
    QMenu *menu() const { return m_menu; }
    // Offers "Start Recording" while paused and "Pause Recording" while recording.
    void setRecording(bool on);

Q_SIGNALS:
    void startRequested();
    void stopRequested();
    void settingsRequested();
    void showRequested();
    void exitRequested();

private:
    QAction *m_startAction;
    QAction *m_stopAction;
    QMenu *m_menu;
    QSystemTrayIcon *m_icon;
};
