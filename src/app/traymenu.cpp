#include "traymenu.h"

#include "settings.h"
#include "trayanimation.h"

#include <QAction>
#include <QMenu>

namespace {
bool setting(SettingKey<bool> key)
{
    return Settings::instance()->value(key);
}
} // namespace

TrayMenu::TrayMenu(QWidget *window)
    : QObject(window)
    , m_animation(new TrayAnimation(this))
    , m_startAction(new QAction(tr("&Start Recording"), this))
    , m_stopAction(new QAction(tr("&Pause Recording"), this))
    , m_menu(new QMenu(window))
    , m_icon(new QSystemTrayIcon(this))
{
    m_stopAction->setEnabled(false);
    connect(m_startAction, &QAction::triggered, this, &TrayMenu::startRequested);
    connect(m_stopAction, &QAction::triggered, this, &TrayMenu::stopRequested);
    m_menu->addAction(m_startAction);
    m_menu->addAction(m_stopAction);
    m_menu->addSeparator();
    m_menu->addAction(tr("S&ettings..."), this, &TrayMenu::settingsRequested);
    m_menu->addSeparator();
    m_menu->addAction(tr("Sho&w TavroDesk"), this, &TrayMenu::showRequested);
    m_menu->addAction(tr("E&xit"), this, &TrayMenu::exitRequested);

    m_icon->setContextMenu(m_menu);
    m_icon->setToolTip(QStringLiteral("TavroDesk"));
    m_icon->setIcon(m_animation->currentIcon());
    connect(m_animation, &TrayAnimation::iconChanged, m_icon, &QSystemTrayIcon::setIcon);
    m_icon->show();
}

void TrayMenu::setRecording(bool on)
{
    m_startAction->setEnabled(!on);
    m_stopAction->setEnabled(on);
    m_animation->setRecording(on);
}

bool TrayMenu::isUsable() const
{
    return m_icon->isVisible() && m_available && m_available();
}

bool TrayMenu::keepsRunningOnClose() const
{
    return setting(Setting::CloseToTray);
}

bool TrayMenu::takesMinimisedWindow() const
{
    return setting(Setting::MinimizeToTray) && isUsable();
}

bool TrayMenu::opensWindowOn(QSystemTrayIcon::ActivationReason reason) const
{
    return reason == (setting(Setting::SingleClickTrayOpen) ? QSystemTrayIcon::Trigger : QSystemTrayIcon::DoubleClick);
}
